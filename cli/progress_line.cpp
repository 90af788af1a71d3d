#include "cli/progress_line.h"

#include <cstdio>
#include <string>

namespace {

constexpr std::chrono::milliseconds kRedrawEvery{100};
constexpr char kClearLine[] = "\r\033[K";

}  // namespace

ProgressLine::ProgressLine(bool shown, std::size_t files, double rate, std::uint64_t totalFrames)
    : shown_(shown), files_(files), rate_(rate), totalFrames_(totalFrames) {}

ProgressLine::~ProgressLine() { Erase(); }

void ProgressLine::Erase() {
  if (!shown_) return;
  std::lock_guard lock(mutex_);
  if (!onScreen_) return;
  std::fputs(kClearLine, stderr);
  std::fflush(stderr);
  onScreen_ = false;
}

void ProgressLine::AddFrames(std::uint64_t frames) {
  if (!shown_) return;
  std::lock_guard lock(mutex_);
  frames_ += frames;
  DrawIfDue();
}

void ProgressLine::FileDone() {
  if (!shown_) return;
  std::lock_guard lock(mutex_);
  ++filesDone_;
  DrawIfDue();
}

void ProgressLine::DrawIfDue() {
  const auto now = std::chrono::steady_clock::now();
  if (now - drawn_ < kRedrawEvery) return;
  drawn_ = now;
  onScreen_ = true;
  const double seconds = std::chrono::duration<double>(now - start_).count();
  const double audio = static_cast<double>(frames_) / rate_;
  char line[160];
  std::snprintf(line, sizeof line, "%s%zu of %zu files, %.1f of %.1f s of audio, %.0fx real time",
                kClearLine, filesDone_, files_, audio, static_cast<double>(totalFrames_) / rate_,
                seconds > 0 ? audio / seconds : 0.0);
  std::fputs(line, stderr);
  std::fflush(stderr);
}
