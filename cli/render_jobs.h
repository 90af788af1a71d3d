// Renders and writes the planned files, several at a time, and plays them where asked.
#pragma once

#include <functional>

#include "cli/job_output.h"
#include "cli/render_plan.h"

// What became of one file, for its report line.
struct JobOutcome {
  const RenderJob& job;
  bool written;  // false: played only
  const WrittenFile& file;
  unsigned played;  // times over; 0: not played (or not to the end)
};
using OutcomeSink = std::function<void(const JobOutcome&)>;

// Writes every file of the plan and tells each, in the plan's order; returns the exit code.
// After a failure no further file is begun; the files written so far stay.
int RunRenderJobs(const RenderPlan& plan, const OutcomeSink& tell);
