// Every file the request asks for, named and checked before anything is written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/exact_plan.h"
#include "cli/render_options.h"
#include "sound/wav_buffer.h"

// Writing to standard output instead of a file.
constexpr const char* kStandardOutputName = "-";

struct RenderJob {
  int shapeCode;
  std::string shapeName;
  std::string frequencyText;
  float frequency;        // as read from the text
  RenderOutcome planned;  // the window's rendering: what will be rendered; exact: the clamps
  ExactSignalPlan exact;  // the exact rendering's values, frames and gain
  std::string path;
};

struct RenderPlan {
  std::vector<RenderJob> jobs;
  bool exact = false;  // rendered exactly, not as the window renders
  ExactRequest request;
  std::int64_t amplitude = 0;      // as read
  float length = 0;                // as read
  bool parametersClamped = false;  // the amplitude or the length
  std::vector<std::string> clampNotes;
  std::string fault;  // not empty: the request is wrong and nothing may be written
};

RenderPlan PlanRenders(const RenderOptions& options);
