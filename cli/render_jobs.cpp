#include "cli/render_jobs.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <iostream>
#include <mutex>
#include <optional>
#include <thread>

#include "cli/interruption.h"
#include "cli/progress_line.h"
#include "cli/render_playback.h"
#include "encode/levels.h"
#include "files/file_writer.h"
#include "signals/number_text.h"
#include "signals/span_rounds.h"

namespace {

std::uint64_t TotalFrames(const RenderPlan& plan) {
  std::uint64_t frames = 0;
  for (const RenderJob& job : plan.jobs) frames += job.file.layout.frames;
  return frames;
}

class JobRunner {
 public:
  JobRunner(const RenderPlan& plan, const OutcomeSink& tell)
      : plan_(plan),
        tell_(tell),
        progress_(!plan.run.quiet && ::isatty(STDERR_FILENO), plan.jobs.size(),
                  plan.jobs.empty() ? 1 : plan.jobs.front().file.layout.sampleRate,
                  TotalFrames(plan)),
        outcomes_(plan.jobs.size()) {
    const auto files = std::min<std::size_t>(plan.run.jobs, plan.jobs.size());
    settings_ = {plan.run.noClobber, plan.run.measure,
                 ThreadsPerFile(static_cast<unsigned>(std::max<std::size_t>(1, files))),
                 &progress_};
  }

  int Run() {
    if (plan_.run.playTimes > 0 && !OpenThePlayer()) return kExitWriteFailed;
    // Files are played one after another, each after it is written.
    const std::size_t workers =
        player_ ? 1 : std::min<std::size_t>(plan_.run.jobs, plan_.jobs.size());
    std::vector<std::thread> threads;
    for (std::size_t i = 1; i < workers; ++i) threads.emplace_back([this] { Work(); });
    Work();
    for (std::thread& thread : threads) thread.join();
    TellDone(outcomes_.size(), true);
    if (Interrupted()) {
      // Between two files nothing failed to tell of.
      if (!failed_) std::cerr << "Stopped\n";
      return kExitInterrupted;
    }
    return failed_ ? kExitWriteFailed : 0;
  }

 private:
  struct Outcome {
    WrittenFile file;
    bool written = false;
    unsigned played = 0;
  };

  // Before a file is written: without a device, nothing is.
  bool OpenThePlayer() {
    const StreamLayout& layout = plan_.jobs.front().file.layout;
    std::string message;
    player_ = OpenPlayer({layout.format, layout.channels, layout.sampleRate}, message);
    if (!player_) std::cerr << message << '\n';
    return player_ != nullptr;
  }

  void Work() {
    for (std::size_t index; Going() && (index = next_++) < plan_.jobs.size();)
      if (!MakeFile(index)) return;
  }

  bool MakeFile(std::size_t index) {
    const RenderJob& job = plan_.jobs[index];
    std::string message;
    const std::unique_ptr<Frames> frames = job.file.source->Start(message);
    if (!frames) return Fail(WriteFailureText(job.file.path, message));
    Outcome outcome;
    outcome.written = plan_.run.outputGiven;
    // The picture's collector, made afresh for each pass over the frames.
    std::optional<PlotCollector> plot;
    const SinkMaker toPlot = [&plot, &job]() -> FrameSink {
      if (!job.plot) return nullptr;
      plot.emplace(job.plot->request);
      return [&plot](const std::uint8_t* encoded, std::size_t count) {
        plot->Add(encoded, count);
        return true;
      };
    };
    if (outcome.written &&
        !WriteFileJob(job.file, *frames, settings_, outcome.file, message, toPlot))
      return Fail(message);
    if (outcome.written) WarnOfOvers(job, outcome.file);
    if (job.inverse && !WriteInverse(*job.inverse, message))
      // The sweep is there, though no report line will say so.
      return Fail(message +
                  (outcome.written ? "; the sweep itself was written to " + job.file.path : ""));
    if (!outcome.written && !player_ && job.plot && !frames->Stream(toPlot(), settings_.threads))
      return Fail("Stopped: the picture " + job.plot->path + " was not drawn");
    if (!outcome.written) {
      progress_.AddFrames(frames->Count());
      outcome.file.frames = frames->Count();
    }
    const bool heard = !player_ || Play(job, *frames, outcome, message, toPlot);
    if (heard && job.plot && !WritePicture(*job.plot, *plot, settings_.noClobber, message))
      return Fail(message);
    // A file written is reported even when playing it was cut short.
    if (outcome.written || heard) Done(index, std::move(outcome), heard);
    return heard || Fail(message);
  }

  bool WriteInverse(const FileJob& inverse, std::string& message) {
    const std::unique_ptr<Frames> taps = inverse.source->Start(message);
    WrittenFile unused;
    const WriteSettings plain{settings_.noClobber, false, settings_.threads, nullptr};
    return taps && WriteFileJob(inverse, *taps, plain, unused, message);
  }

  // Measured here only when nothing was written to measure.
  bool Play(const RenderJob& job, const Frames& frames, Outcome& outcome, std::string& message,
            const SinkMaker& toPlot) {
    std::optional<UnwrittenMeasure> measure;
    if (!outcome.written && plan_.run.measure) measure.emplace(job.file, frames.Count());
    // Unwritten, the first time through is also measured and drawn.
    FrameSink plotted = outcome.written ? FrameSink() : toPlot();
    if (measure && !plotted) plotted = [](const std::uint8_t*, std::size_t) { return true; };
    const FrameSink firstPass = measure ? measure->Tee(plotted) : plotted;
    if (!PlayFrames(*player_, frames, plan_.run.playTimes, settings_.threads, firstPass, message))
      return false;
    if (measure) measure->Finish(outcome.file);
    if (!outcome.written) outcome.file.frames = frames.Count();
    return true;
  }

  // No file is begun after a failure or Ctrl-C.
  bool Going() const { return !failed_ && !Interrupted(); }

  // A true peak above full scale is no fault of the request, but a converter may clip it.
  void WarnOfOvers(const RenderJob& job, const WrittenFile& file) {
    if (!(file.truePeak > 1)) return;
    const double over = std::round(kDecibelsPerFactorOfTen * std::log10(file.truePeak) * 100) / 100;
    const std::string name =
        job.file.path == kStandardOutputName ? "standard output" : job.file.path;
    std::lock_guard lock(mutex_);
    progress_.Erase();
    std::cerr << name << ": its true peak is +" << NumberText(over)
              << " dBTP, above full scale, which a converter may clip; lower the level by "
              << NumberText(over) << " dB"
              << (job.bandLimitHelps ? ", or render it --bandlimited" : "") << '\n';
  }

  bool Fail(const std::string& message) {
    std::lock_guard lock(mutex_);
    progress_.Erase();
    failed_ = true;
    std::cerr << message << '\n';
    return false;
  }

  void Done(std::size_t index, Outcome outcome, bool heard) {
    progress_.FileDone();
    outcome.played = heard ? plan_.run.playTimes : 0;
    std::lock_guard lock(mutex_);
    outcomes_[index] = std::move(outcome);
    TellDone(index + 1, false);
  }

  // Lines come in the order of the plan: each as soon as every file before it is done. At the
  // end, files that were never done (after a failure) are passed over.
  void TellDone(std::size_t upTo, bool passOverGaps) {
    for (; told_ < upTo; ++told_) {
      const std::optional<Outcome>& outcome = outcomes_[told_];
      if (!outcome) {
        if (passOverGaps) continue;
        return;
      }
      progress_.Erase();
      tell_({plan_.jobs[told_], outcome->written, outcome->file, outcome->played});
    }
  }

  const RenderPlan& plan_;
  const OutcomeSink& tell_;
  std::unique_ptr<AlsaPlayer> player_;
  ProgressLine progress_;
  WriteSettings settings_;
  std::vector<std::optional<Outcome>> outcomes_;
  std::atomic<std::size_t> next_{0};
  std::atomic<bool> failed_{false};
  std::mutex mutex_;
  std::size_t told_ = 0;
};

}  // namespace

int RunRenderJobs(const RenderPlan& plan, const OutcomeSink& tell) {
  return JobRunner(plan, tell).Run();
}
