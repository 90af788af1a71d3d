// One file written: its frames wrapped in its file type, to its place (a file, safely, or
// standard output), measured as they pass where asked.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "cli/frame_sources.h"
#include "cli/progress_line.h"
#include "cli/render_plan.h"
#include "measure/frame_meter.h"
#include "plot/plot_collector.h"

struct WriteSettings {
  bool noClobber = false;
  bool measure = false;
  unsigned threads = 1;
  ProgressLine* progress = nullptr;  // counts the frames as they are written
};

struct WrittenFile {
  std::uint64_t frames = 0;
  std::optional<std::uint64_t> fileBytes;  // of a file type whose size only its end tells
  std::optional<FrameMeasures> measures;
  std::string sha256;   // of the whole file, with measures; empty where it could not be read
  double truePeak = 0;  // of the frames written (BS.1770-4), in full scale
};

// On failure the message, as the window's save words it ("Could not write PATH: REASON"), or how
// much a stop left. Standard output, character devices and named pipes are written straight
// through; files as the window's save writes them.
// Each try at writing the file takes a fresh sink from `also` (a picture's collector), which sees
// the frames in order as they are written.
using SinkMaker = std::function<FrameSink()>;
bool WriteFileJob(const FileJob& job, const Frames& frames, const WriteSettings& settings,
                  WrittenFile& written, std::string& message, const SinkMaker& also = nullptr);
// The picture of the frames collected, drawn and written as a file is (or as a new one only).
bool WritePicture(const JobPlot& plot, PlotCollector& collected, bool noClobber,
                  std::string& message);

// What the file would be, measured without writing it: its frames as they pass to `next`.
class UnwrittenMeasure {
 public:
  UnwrittenMeasure(const FileJob& job, std::uint64_t frames);
  ~UnwrittenMeasure();
  FrameSink Tee(FrameSink next);
  void Finish(WrittenFile& written);

 private:
  struct State;
  std::unique_ptr<State> state_;
};
