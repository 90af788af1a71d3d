// The render command: the window's tones from scripts, byte for byte, and measurement signals.
#include <unistd.h>

#include <csignal>
#include <iostream>

#include "cli/interruption.h"
#include "cli/render_jobs.h"
#include "cli/render_options.h"
#include "cli/render_plan.h"
#include "cli/render_report.h"
#include "cli/render_request.h"

namespace {

int Refuse(const std::string& fault) {
  std::cerr << FailureText(fault);
  return kExitBadRequest;
}

// Each file measured and told, whatever became of the others.
int MeasureNamedFiles(const std::vector<std::string>& paths) {
  int status = 0;
  for (const std::string& path : paths) {
    const SoundFileMeasures file = MeasureSoundFile(path);
    if (!file.fault.empty()) {
      std::cerr << "Could not measure " << path << ": " << file.fault << '\n';
      status = kExitWriteFailed;
      continue;
    }
    std::cout << MeasuredFileLine(path, file) << '\n' << std::flush;
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  // A reader that goes away is a write failure to report, not a reason to die unreported.
  std::signal(SIGPIPE, SIG_IGN);
  const ParsedCommandLine parsed = ParseCommandLine(argc, argv);
  if (parsed.finished) return parsed.exitCode;
  if (!parsed.options.measuredFiles.empty()) return MeasureNamedFiles(parsed.options.measuredFiles);

  const RenderPlan plan = PlanRenders(ReadRequest(parsed.options));
  if (!plan.fault.empty()) return Refuse(plan.fault);
  if (plan.jobs.front().file.path == kStandardOutputName && ::isatty(STDOUT_FILENO))
    return Refuse(
        "--output - would write the file's data to the terminal; redirect standard "
        "output");
  for (const std::string& note : plan.notes) std::cerr << note << '\n';
  StopOnInterrupt();
  const bool quiet = plan.run.quiet;
  return RunRenderJobs(plan, [quiet](const JobOutcome& outcome) {
    if (quiet) return;
    // With the file itself on standard output, its line goes to standard error.
    std::ostream& out =
        outcome.written && outcome.job.file.path == kStandardOutputName ? std::cerr : std::cout;
    out << JsonLine(outcome) << '\n' << std::flush;
  });
}
