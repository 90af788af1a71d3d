// Every file the request asks for, named and checked before anything is written: where each
// one's frames come from, how they are laid out, what file type holds them and what its report
// line says.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/frame_sources.h"
#include "cli/render_request.h"
#include "formats/container_writer.h"
#include "plot/plot_collector.h"
#include "signals/inverse_filter.h"
#include "signals/shape_table.h"

// Writing to standard output instead of a file.
constexpr const char* kStandardOutputName = "-";

// One file: its frames, their layout (the window's count is known once rendered) and its place.
struct FileJob {
  std::string path;  // kStandardOutputName for standard output; empty: played only
  FileType type = FileType::kWav;
  StreamLayout layout{};
  std::shared_ptr<const FrameSource> source;
  double peakBound = 1;  // no sample exceeds it (full scale 1)
};

// What a report line says of the request, before the file is written: only what applies.
struct JobReport {
  std::string shape;
  std::optional<std::string> frequencyText;  // as given, for a shape that reads one
  std::optional<double> rendered;            // a tone's or a sweep's start, as rendered
  ReportField level{"amplitude", 0.0};       // as asked: percent, or dBFS of peak or RMS
  double length = 0;                         // seconds, as rendered
  bool exact = false;
  ReportFields signal;  // what this kind of signal adds
};

// A picture of the file as written: where it goes and what it shows.
struct JobPlot {
  std::string path;
  PlotRequest request;
};

struct RenderJob {
  FileJob file;
  std::optional<JobPlot> plot;
  JobReport report;
  std::shared_ptr<const FileJob> inverse;  // a sweep's inverse filter, written beside it
  std::shared_ptr<const InverseFilter> inverseFilter;  // its taps and band, for the picture
  std::vector<std::string> notes;                      // what the signal tells of itself
  bool bandLimitHelps = false;  // a shape whose overshoot --bandlimited would take away
};

struct RenderPlan {
  std::vector<RenderJob> jobs;
  RunSettings run;
  std::vector<std::string> notes;  // clamps and the like, told once each on standard error
  std::string fault;               // not empty: the request is wrong and nothing may be written
};

RenderPlan PlanRenders(const RenderRequest& request);
