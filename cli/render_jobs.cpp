#include "cli/render_jobs.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <mutex>
#include <optional>
#include <thread>

#include "cli/render_report.h"
#include "toolkit/files.h"

namespace {

// Every render of one request has the same format, so each worker keeps one image for all.
WavImage BuildImageFor(const RenderOptions& options) {
  return BuildWavImage(kCapacitySeconds, options.channels, kSixteenBitSampleBytes,
                       options.sampleRate);
}

// The file's bytes to their place; on failure the message, as the window's save words it.
bool WriteRendering(const std::string& path, const WavImage& image, bool noClobber,
                    std::string& message) {
  const std::uint8_t* block = image.block.get();
  std::array<std::uint8_t, kWavHeaderSize> header;
  CopyFileHeader(block, header.data());
  const std::vector<ByteBlock> blocks{{header.data(), header.size()},
                                      {block + kWavHeaderSize, ReadLE32(block + kDataSizeOffset)}};
  const bool written = path == kStandardOutputName ? WriteToDescriptor(STDOUT_FILENO, blocks)
                       : noClobber                 ? WriteNewFile(path, blocks)
                                                   : WriteWholeFile(path, blocks);
  if (!written) message = WriteFailureText(path, LastFileError());
  return written;
}

class JobRunner {
 public:
  JobRunner(const RenderPlan& plan, const RenderOptions& options)
      : plan_(plan), options_(options), written_(plan.jobs.size()) {}

  int Run() {
    const std::size_t workers = std::min<std::size_t>(options_.jobs, plan_.jobs.size());
    std::vector<std::thread> threads;
    for (std::size_t i = 1; i < workers; ++i) threads.emplace_back([this] { Work(); });
    Work();
    for (std::thread& thread : threads) thread.join();
    PrintWritten(written_.size(), true);
    return failed_ ? kExitWriteFailed : 0;
  }

 private:
  void Work() {
    WavImage image = BuildImageFor(options_);
    for (std::size_t index; !failed_ && (index = next_++) < plan_.jobs.size();) {
      const RenderJob& job = plan_.jobs[index];
      if (image.size == 0) {
        Fail(WriteFailureText(job.path, std::strerror(ENOMEM)));
        return;
      }
      std::string message;
      EmptyWavImage(image);
      RenderShapeIntoImage(image, job.frequency, plan_.amplitude, plan_.length, job.shapeCode);
      if (!WriteRendering(job.path, image, options_.noClobber, message)) {
        Fail(message);
        return;
      }
      Written(index, ReadLE32(image.block.get() + kDataSizeOffset));
    }
  }

  void Fail(const std::string& message) {
    std::lock_guard lock(mutex_);
    failed_ = true;
    std::cerr << message << '\n';
  }

  void Written(std::size_t index, std::uint32_t dataBytes) {
    const RenderJob& job = plan_.jobs[index];
    std::lock_guard lock(mutex_);
    written_[index] = WrittenFile{job.path,
                                  job.shapeName,
                                  job.frequencyText,
                                  job.planned.frequency,
                                  options_.sampleRate,
                                  options_.channels,
                                  ClampAmplitude(plan_.amplitude),
                                  ClampLength(plan_.length),
                                  dataBytes,
                                  job.planned.frequencyClamped || plan_.parametersClamped};
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
      // With the file itself on standard output, its line goes to standard error.
      std::ostream& out = file->path == kStandardOutputName ? std::cerr : std::cout;
      out << JsonLine(*file) << '\n' << std::flush;
    }
  }

  const RenderPlan& plan_;
  const RenderOptions& options_;
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
