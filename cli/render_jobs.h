// Renders and writes the planned files, several at a time.
#pragma once

#include "cli/render_options.h"
#include "cli/render_plan.h"

// Writes every file of the plan and prints a line for each; returns the exit code. After a
// failure no further file is begun; the files written so far stay.
int RunRenderJobs(const RenderPlan& plan, const RenderOptions& options);
