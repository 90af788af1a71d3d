// One line on a terminal's standard error while files are made: files done of all, seconds of
// audio made, and how many times faster than real time. Redrawn at most ten times a second and
// cleared at the end; nothing at all when standard error is not a terminal.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>

class ProgressLine {
 public:
  // `rate`: frames per second of audio; `totalFrames`: of all the files.
  ProgressLine(bool shown, std::size_t files, double rate, std::uint64_t totalFrames);
  ~ProgressLine();
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  void AddFrames(std::uint64_t frames);  // from any thread
  void FileDone();
  // Takes the line away before other text is written to the terminal; it comes back when due.
  void Erase();

 private:
  void DrawIfDue();

  const bool shown_;
  const std::size_t files_;
  const double rate_;
  const std::uint64_t totalFrames_;
  const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point drawn_ = start_;
  std::mutex mutex_;
  std::size_t filesDone_ = 0;
  std::uint64_t frames_ = 0;
  bool onScreen_ = false;
};
