#include "cli/render_jobs.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <iostream>
#include <mutex>
#include <optional>
#include <thread>

#include "cli/interruption.h"
#include "cli/progress_line.h"
#include "cli/render_playback.h"
#include "cli/render_report.h"
#include "measure/wav_meter.h"
#include "signals/exact_tone.h"
#include "signals/inverse_filter.h"
#include "signals/span_rounds.h"
#include "toolkit/files.h"
#include "wav/wav_stream.h"

namespace {

// Every render of one request has the same format, so each worker keeps one image for all.
WavImage BuildImageFor(const RenderOptions& options) {
  return BuildWavImage(kCapacitySeconds, options.channels, kSixteenBitSampleBytes,
                       options.sampleRate);
}

// The file's bytes to their place; on failure the message, as the window's save words it.
// With a meter, what those bytes measure.
bool WriteRendering(const std::string& path, const WavImage& image, const RenderOptions& options,
                    std::string& message, std::optional<FileMeasures>& measures) {
  const std::uint8_t* block = image.block.get();
  std::array<std::uint8_t, kWavHeaderSize> header;
  CopyFileHeader(block, header.data());
  const std::vector<ByteBlock> blocks{{header.data(), header.size()},
                                      {block + kWavHeaderSize, ReadLE32(block + kDataSizeOffset)}};
  if (measures) {
    WavMeter meter({SampleFormat::kPcm16, static_cast<unsigned>(options.channels),
                    static_cast<unsigned>(options.sampleRate), kWavHeaderSize, blocks[1].length});
    for (const ByteBlock& piece : blocks)
      meter.Add(static_cast<const std::uint8_t*>(piece.data), piece.length);
    measures = meter.Finish();
  }
  if (!options.outputGiven) return true;  // played only
  const bool written = path == kStandardOutputName ? WriteToDescriptor(STDOUT_FILENO, blocks)
                       : options.noClobber         ? WriteNewFile(path, blocks)
                                                   : WriteWholeFile(path, blocks);
  if (!written) message = WriteFailureText(path, LastFileError());
  return written;
}

WavLayout ExactLayout(const RenderPlan& plan, const RenderJob& job, const RenderOptions& options) {
  WavLayout layout{plan.request.format, static_cast<std::uint32_t>(options.sampleRate),
                   static_cast<std::uint16_t>(options.channels), job.exact.frames};
  layout.loop = options.loop;
  layout.loopFrequency = job.exact.frequency;
  return layout;
}

// A WAV file streamed block by block to its place, or to standard output: memory stays flat at
// any length. On failure the message, as the window's save words it.
bool WriteWavStream(const std::string& path, const WavLayout& layout,
                    const SampleEncoding& encoding, const ValueSource& values,
                    const RenderOptions& options, std::size_t files, std::string& message,
                    std::optional<FileMeasures>& measures, ProgressLine* progress) {
  const unsigned threads =
      ThreadsPerFile(static_cast<unsigned>(std::min<std::size_t>(options.jobs, files)));
  // A write may be tried again from the start (in place, after a failed replacement): each try
  // is measured afresh.
  const auto stream = [&](int descriptor) {
    std::optional<WavMeter> meter;
    if (measures)
      meter.emplace(WavDataPlace{layout.format, layout.channels, layout.sampleRate,
                                 WavHeader(layout).size(), DataBytes(layout)});
    const std::uint64_t headerBytes = WavHeader(layout).size();
    const std::size_t frameBytes = FrameBytes(layout);
    std::uint64_t at = 0;
    const bool streamed = StreamWavFile(
        layout, encoding, values,
        [&](const std::uint8_t* bytes, std::size_t count) {
          if (Interrupted()) return false;  // the writer drops what it has written
          if (meter) meter->Add(bytes, count);
          if (progress && at >= headerBytes) progress->AddFrames(count / frameBytes);
          at += count;
          return WriteToDescriptor(descriptor, {{bytes, count}});
        },
        kStreamBlockFrames, threads);
    if (streamed && meter) measures = meter->Finish();
    return streamed;
  };
  const FileContent content{WavFileBytes(layout), stream};
  const bool written = path == kStandardOutputName ? stream(STDOUT_FILENO)
                       : options.noClobber         ? WriteNewFile(path, content)
                                                   : WriteWholeFile(path, content);
  if (!written) message = WriteFailureText(path, LastFileError());
  return written;
}

bool WriteExactRendering(const RenderPlan& plan, const RenderJob& job, const RenderOptions& options,
                         std::string& message, std::optional<FileMeasures>& measures,
                         ProgressLine* progress) {
  const WavLayout layout = ExactLayout(plan, job, options);
  const SampleEncoding encoding = ExactEncoding(plan.request, options, job.exact.gain);
  return WriteWavStream(job.path, layout, encoding, job.exact.values, options, plan.jobs.size(),
                        message, measures, progress);
}

// The sweep as written, whole, then its inverse filter as float32 beside it.
bool WriteInverseFilter(const RenderJob& job, const RenderOptions& options, std::string& message) {
  std::vector<double> sweep(job.exact.frames);
  job.exact.values(0, sweep.size(), sweep.data());
  for (double& value : sweep) value *= job.exact.gain;
  const InverseFilter filter =
      InverseFilterOf(sweep, job.exact.frequency, job.exact.sweepEnd, options.sampleRate);
  const WavLayout layout{SampleFormat::kFloat32, static_cast<std::uint32_t>(options.sampleRate), 1,
                         filter.taps.size()};
  const SampleEncoding encoding{SampleFormat::kFloat32, 1, 1.0, false, 0};
  const ValueSource taps = [&filter](std::uint64_t first, std::size_t count, double* out) {
    std::copy_n(filter.taps.begin() + static_cast<std::ptrdiff_t>(first), count, out);
  };
  std::optional<FileMeasures> unmeasured;
  return WriteWavStream(options.inversePath, layout, encoding, taps, options, 1, message,
                        unmeasured, nullptr);
}

std::uint64_t TotalFrames(const RenderPlan& plan, const RenderOptions& options) {
  std::uint64_t frames = 0;
  for (const RenderJob& job : plan.jobs)
    frames += plan.exact
                  ? job.exact.frames
                  : static_cast<std::uint64_t>(ClampLength(plan.length) * options.sampleRate);
  return frames;
}

class JobRunner {
 public:
  JobRunner(const RenderPlan& plan, const RenderOptions& options)
      : plan_(plan),
        options_(options),
        progress_(!options.quiet && ::isatty(STDERR_FILENO), plan.jobs.size(), options.sampleRate,
                  TotalFrames(plan, options)),
        written_(plan.jobs.size()) {}

  int Run() {
    if (options_.playTimes > 0) {
      std::string message;
      // Before a file is written: without a device, nothing is.
      player_ = OpenPlayer(
          {plan_.exact ? plan_.request.format : SampleFormat::kPcm16,
           static_cast<unsigned>(options_.channels), static_cast<unsigned>(options_.sampleRate)},
          message);
      if (!player_) {
        std::cerr << message << '\n';
        return kExitWriteFailed;
      }
    }
    // Files are played one after another, each after it is written.
    const std::size_t workers =
        player_ ? 1 : std::min<std::size_t>(options_.jobs, plan_.jobs.size());
    std::vector<std::thread> threads;
    for (std::size_t i = 1; i < workers; ++i) threads.emplace_back([this] { Work(); });
    Work();
    for (std::thread& thread : threads) thread.join();
    PrintWritten(written_.size(), true);
    if (Interrupted()) {
      // Between two files nothing failed to tell of.
      if (!failed_) std::cerr << "Stopped\n";
      return kExitInterrupted;
    }
    return failed_ ? kExitWriteFailed : 0;
  }

 private:
  void Work() {
    if (plan_.exact) {
      WorkExactly();
      return;
    }
    WavImage image = BuildImageFor(options_);
    for (std::size_t index; Going() && (index = next_++) < plan_.jobs.size();) {
      const RenderJob& job = plan_.jobs[index];
      if (image.size == 0) {
        Fail(WriteFailureText(job.path, std::strerror(ENOMEM)));
        return;
      }
      std::string message;
      EmptyWavImage(image);
      RenderShapeIntoImage(image, job.frequency, plan_.amplitude, plan_.length, job.shapeCode);
      std::optional<FileMeasures> measures = Measuring();
      const std::uint32_t dataBytes = ReadLE32(image.block.get() + kDataSizeOffset);
      const std::size_t frameBytes = std::size_t{kSixteenBitSampleBytes} * options_.channels;
      if (!WriteRendering(job.path, image, options_, message, measures)) {
        Fail(StoppedOr(message, job));
        return;
      }
      progress_.AddFrames(dataBytes / frameBytes);
      const bool heard =
          !player_ || PlaySamples(*player_, image.block.get() + kWavHeaderSize,
                                  dataBytes / frameBytes, options_.playTimes, message);
      if (options_.outputGiven || heard) WrittenAsWindow(index, dataBytes, measures, heard);
      if (!heard) {
        Fail(message);
        return;
      }
    }
  }

  void WorkExactly() {
    for (std::size_t index; Going() && (index = next_++) < plan_.jobs.size();) {
      const RenderJob& job = plan_.jobs[index];
      std::string message;
      std::optional<FileMeasures> measures = Measuring();
      if (options_.outputGiven &&
          !WriteExactRendering(plan_, job, options_, message, measures, &progress_)) {
        Fail(StoppedOr(message, job));
        return;
      }
      if (!options_.inversePath.empty() && !WriteInverseFilter(job, options_, message)) {
        // The sweep is there, though no report line will say so.
        Fail(message +
             (options_.outputGiven ? "; the sweep itself was written to " + job.path : ""));
        return;
      }
      const bool heard = !player_ || PlayExactly(job, measures, message);
      // A file written is reported even when playing it was cut short.
      if (options_.outputGiven || heard) WrittenExactly(index, measures, heard);
      if (!heard) {
        Fail(message);
        return;
      }
    }
  }

  bool PlayExactly(const RenderJob& job, std::optional<FileMeasures>& measures,
                   std::string& message) {
    // Measured here only when nothing was written to measure.
    std::optional<FileMeasures> unwritten = options_.outputGiven ? std::nullopt : measures;
    const WavLayout layout = ExactLayout(plan_, job, options_);
    const SampleEncoding encoding = ExactEncoding(plan_.request, options_, job.exact.gain);
    if (!PlayStream(*player_, layout, encoding, job.exact.values, options_.playTimes, unwritten,
                    message))
      return false;
    if (!options_.outputGiven) measures = unwritten;
    return true;
  }

  // No file is begun after a failure or Ctrl-C.
  bool Going() const { return !failed_ && !Interrupted(); }

  // Set when the files are to be measured; the writer fills it in.
  std::optional<FileMeasures> Measuring() const {
    return options_.measure ? std::optional<FileMeasures>(FileMeasures{}) : std::nullopt;
  }

  static Json MeasuredOrNull(const std::optional<FileMeasures>& measures) {
    return measures ? MeasuredJson(*measures) : Json(nullptr);
  }

  // A write cut short by Ctrl-C left no file; say so rather than how the write failed.
  std::string StoppedOr(const std::string& message, const RenderJob& job) const {
    if (!Interrupted() || message.rfind("Could not write", 0) != 0) return message;
    return "Stopped: " + job.path + " was not written";
  }

  void Fail(const std::string& message) {
    std::lock_guard lock(mutex_);
    progress_.Erase();
    failed_ = true;
    std::cerr << message << '\n';
  }

  void WrittenAsWindow(std::size_t index, std::uint32_t dataBytes,
                       const std::optional<FileMeasures>& measures, bool heard) {
    const RenderJob& job = plan_.jobs[index];
    const std::size_t frameBytes = std::size_t{kSixteenBitSampleBytes} * options_.channels;
    Written(index,
            WrittenFile{job.path, job.shapeName, job.frequencyText,
                        JsonNumber(job.planned.frequency), options_.sampleRate, options_.channels,
                        ClampAmplitude(plan_.amplitude), JsonNumber(ClampLength(plan_.length)),
                        dataBytes, job.planned.frequencyClamped || plan_.parametersClamped, false,
                        kDefaultFormatName, dataBytes / frameBytes, Json::object(),
                        MeasuredOrNull(measures)},
            heard);
  }

  void WrittenExactly(std::size_t index, const std::optional<FileMeasures>& measures, bool heard) {
    const RenderJob& job = plan_.jobs[index];
    const WavLayout layout = ExactLayout(plan_, job, options_);
    constexpr double kPercent = 100.0;
    Written(index,
            WrittenFile{job.path, job.shapeName, job.frequencyText,
                        JsonNumber(job.exact.frequency),  // noise's NaN: null, not a fiction
                        options_.sampleRate, options_.channels,
                        JsonNumber(job.exact.gain * job.exact.peak * kPercent),
                        JsonNumber(static_cast<double>(job.exact.frames) / options_.sampleRate),
                        DataBytes(layout), job.planned.frequencyClamped || plan_.parametersClamped,
                        true, options_.formatName, job.exact.frames, SignalKeys(job),
                        MeasuredOrNull(measures)},
            heard);
  }

  Json SignalKeys(const RenderJob& job) const {
    Json keys = job.exact.reportKeys;
    if (!options_.inversePath.empty()) {
      keys["inverse"] = options_.inversePath;
      keys["inverse_lag"] = job.exact.frames;
    }
    return keys;
  }

  // `heard`: played as many times as asked (when asked at all).
  void Written(std::size_t index, WrittenFile file, bool heard) {
    progress_.FileDone();
    if (!options_.outputGiven) file.path.clear();
    file.played = heard ? options_.playTimes : 0;
    std::lock_guard lock(mutex_);
    written_[index] = std::move(file);
    PrintWritten(index + 1, false);
  }

  // Lines come in the order of the plan: each as soon as every file before it is written. At
  // the end, files that were never written (after a failure) are passed over.
  void PrintWritten(std::size_t upTo, bool passOverGaps) {
    for (; printed_ < upTo; ++printed_) {
      const std::optional<WrittenFile>& file = written_[printed_];
      if (!file) {
        if (passOverGaps) continue;
        return;
      }
      if (options_.quiet) continue;
      progress_.Erase();
      // With the file itself on standard output, its line goes to standard error.
      std::ostream& out = file->path == kStandardOutputName ? std::cerr : std::cout;
      out << JsonLine(*file) << '\n' << std::flush;
    }
  }

  const RenderPlan& plan_;
  const RenderOptions& options_;
  std::unique_ptr<AlsaPlayer> player_;
  ProgressLine progress_;
  std::vector<std::optional<WrittenFile>> written_;
  std::atomic<std::size_t> next_{0};
  std::atomic<bool> failed_{false};
  std::mutex mutex_;
  std::size_t printed_ = 0;
};

}  // namespace

int RunRenderJobs(const RenderPlan& plan, const RenderOptions& options) {
  return JobRunner(plan, options).Run();
}
