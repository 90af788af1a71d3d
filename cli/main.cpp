// The render command: the window's tones from scripts, byte for byte.
#include <unistd.h>

#include <csignal>
#include <iostream>

#include "cli/interruption.h"
#include "cli/render_jobs.h"
#include "cli/render_options.h"
#include "cli/render_plan.h"

namespace {

int Refuse(const std::string& fault) {
  std::cerr << FailureText(fault);
  return kExitBadRequest;
}

}  // namespace

int main(int argc, char** argv) {
  // A reader that goes away is a write failure to report, not a reason to die unreported.
  std::signal(SIGPIPE, SIG_IGN);
  const ParsedCommandLine parsed = ParseCommandLine(argc, argv);
  if (parsed.finished) return parsed.exitCode;

  const RenderPlan plan = PlanRenders(parsed.options);
  if (!plan.fault.empty()) return Refuse(plan.fault);
  if (plan.jobs.front().path == kStandardOutputName && ::isatty(STDOUT_FILENO))
    return Refuse("--output - would write WAV data to the terminal; redirect standard output");
  for (const std::string& note : plan.clampNotes) std::cerr << note << '\n';
  StopOnInterrupt();
  return RunRenderJobs(plan, parsed.options);
}
