#include "cli/job_output.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <utility>

#include "cli/interruption.h"
#include "files/file_writer.h"
#include "measure/file_digest.h"
#include "measure/true_peak.h"
#include "plot/plot_drawing.h"

namespace {

constexpr double kFullScale = 1.0;

// A descriptor the file's bytes go to, with their digest where measured. Only a file of our own
// (new, or written in place from its start) is gone back into.
class DescriptorOutput : public ByteOutput {
 public:
  DescriptorOutput(int descriptor, bool seekable, FileDigest* digest)
      : descriptor_(descriptor), seekable_(seekable), digest_(digest) {}

  bool Write(const std::uint8_t* bytes, std::size_t count) override {
    if (digest_ != nullptr && !rewritten_) digest_->Add(bytes, count);
    if (!WriteToDescriptor(descriptor_, {{bytes, count}})) return false;
    position_ += count;
    extent_ = std::max(extent_, position_);
    return true;
  }
  bool CanSeek() const override { return seekable_; }
  bool Seek(std::uint64_t offset) override {
    rewritten_ = true;
    const auto at = static_cast<off_t>(offset);
    if (::lseek(descriptor_, at, SEEK_SET) != at) {
      NoteContentFailure(std::string("Cannot go back in the file: ") + std::strerror(errno));
      return false;
    }
    position_ = offset;
    return true;
  }
  // Bytes were written over again: the digest of the stream is not the file's.
  bool Rewritten() const { return rewritten_; }
  std::uint64_t Extent() const { return extent_; }

 private:
  int descriptor_;
  bool seekable_;
  FileDigest* digest_;
  std::uint64_t position_ = 0, extent_ = 0;
  bool rewritten_ = false;
};

class DigestOutput : public ByteOutput {
 public:
  explicit DigestOutput(FileDigest& digest) : digest_(digest) {}
  bool Write(const std::uint8_t* bytes, std::size_t count) override {
    digest_.Add(bytes, count);
    return true;
  }

 private:
  FileDigest& digest_;
};

StreamLayout CountedLayout(const FileJob& job, std::uint64_t frames) {
  StreamLayout layout = job.layout;
  layout.frames = frames;
  return layout;
}

FrameFormat FormatOf(const StreamLayout& layout) {
  return {layout.format, layout.channels, layout.sampleRate};
}

// One try at putting the file's bytes to a descriptor: a write may be tried again from the start
// (in place, after a failed replacement), and each try is measured afresh.
class FileTry {
 public:
  FileTry(const FileJob& job, const Frames& frames, const WriteSettings& settings,
          const SinkMaker& also)
      : job_(job),
        frames_(frames),
        settings_(settings),
        also_(also),
        layout_(CountedLayout(job, frames.Count())) {}

  std::optional<std::uint64_t> FileBytes() const {
    return MakeContainerWriter(job_.type, layout_)->FileBytes();
  }

  bool Write(int descriptor, bool seekable, WrittenFile& written) {
    std::optional<FrameMeter> meter;
    std::optional<FileDigest> digest;
    const FrameSink also = also_ ? also_() : FrameSink();
    // The true peak by the standard's filter, on the threads that make the frames: measured,
    // and told where a converter would clip it. Unmeasured, only a peak past full scale is of
    // interest, and a file whose samples cannot reach it between them needs no filtering.
    SpanTruePeaks peaks(FormatOf(layout_), settings_.threads, settings_.measure ? 0 : kFullScale);
    SpanObserver watchPeaks;
    if (settings_.measure || LargestTruePeak(job_.peakBound) > kFullScale)
      watchPeaks = [&peaks](const EncodedSpan& span) {
        peaks.Add(span.before, span.framesBefore, span.bytes, span.frames, span.slot);
      };
    if (settings_.measure) {
      meter.emplace(FormatOf(layout_));
      digest.emplace();
    }
    DescriptorOutput output(descriptor, seekable, digest ? &*digest : nullptr);
    const std::unique_ptr<ContainerWriter> container = MakeContainerWriter(job_.type, layout_);
    const auto fail = [&] {
      if (!container->Fault().empty()) NoteContentFailure(container->Fault());
      return false;
    };
    if (!container->Begin(output)) return fail();
    const bool streamed = frames_.Stream(
        [&](const std::uint8_t* encoded, std::size_t count) {
          if (Interrupted()) return false;  // the writer drops what it has written
          if (meter) meter->Add(encoded, count);
          if (settings_.progress != nullptr) settings_.progress->AddFrames(count);
          if (also) also(encoded, count);
          return container->AddFrames(encoded, count);
        },
        settings_.threads, watchPeaks);
    written.fileBytes = output.Extent();
    if (!streamed) return Interrupted() ? false : fail();
    if (!container->End()) return fail();
    written.fileBytes = output.Extent();
    written.frames = layout_.frames;
    written.truePeak = peaks.Peak();
    if (meter) {
      written.measures = meter->Finish();
      written.measures->truePeak = written.truePeak;
    }
    if (digest) written.sha256 = output.Rewritten() ? "" : digest->Finish();
    rewritten_ = output.Rewritten();
    return true;
  }

  bool Rewritten() const { return rewritten_; }

 private:
  const FileJob& job_;
  const Frames& frames_;
  const WriteSettings& settings_;
  const SinkMaker& also_;
  StreamLayout layout_;
  bool rewritten_ = false;
};

// A stream (standard output, a device, a pipe) is written straight through: nothing to replace.
bool WriteStream(const FileJob& job, FileTry& attempt, WrittenFile& written) {
  if (job.path == kStandardOutputName) return attempt.Write(STDOUT_FILENO, false, written);
  const int descriptor = OpenStreamTarget(job.path);
  if (descriptor < 0) return false;
  const bool done = attempt.Write(descriptor, false, written);
  return ::close(descriptor) == 0 && done;
}

// Ctrl-C: a file is dropped whole, a stream keeps what went down it.
std::string StoppedText(const FileJob& job, bool stream, const WrittenFile& written) {
  const std::string name = job.path == kStandardOutputName ? "standard output" : job.path;
  if (!stream) return "Stopped: " + job.path + " was not written";
  return "Stopped: " + std::to_string(written.fileBytes.value_or(0)) + " bytes had gone to " +
         name + ", not the whole file";
}

}  // namespace

bool WriteFileJob(const FileJob& job, const Frames& frames, const WriteSettings& settings,
                  WrittenFile& written, std::string& message, const SinkMaker& also) {
  FileTry attempt(job, frames, settings, also);
  bool done = false;
  const bool stream = job.path == kStandardOutputName || IsStreamTarget(job.path);
  if (stream) {
    done = WriteStream(job, attempt, written);
  } else {
    const FileContent content{attempt.FileBytes(), [&](int descriptor) {
                                return attempt.Write(descriptor, true, written);
                              }};
    done = settings.noClobber ? WriteNewFile(job.path, content) : WriteWholeFile(job.path, content);
  }
  if (!done) {
    message = Interrupted() ? StoppedText(job, stream, written)
                            : WriteFailureText(job.path, LastFileError());
    return false;
  }
  // The file as it ended, where the container went back into it (FLAC's STREAMINFO).
  if (attempt.Rewritten() && settings.measure) written.sha256 = DigestOfFile(job.path);
  return true;
}

bool WritePicture(const JobPlot& plot, PlotCollector& collected, bool noClobber,
                  std::string& message) {
  const std::vector<std::uint8_t> png = DrawPlot(collected.Finish());
  if (png.empty()) {
    message = WriteFailureText(plot.path, "Cairo could not draw the picture");
    return false;
  }
  const std::vector<ByteBlock> blocks{{png.data(), png.size()}};
  if (noClobber ? WriteNewFile(plot.path, blocks) : WriteWholeFile(plot.path, blocks)) return true;
  message = WriteFailureText(plot.path, LastFileError());
  return false;
}

struct UnwrittenMeasure::State {
  State(const FileJob& job, std::uint64_t frames)
      : layout(CountedLayout(job, frames)),
        meter(FormatOf(layout)),
        peaks(FormatOf(layout)),
        output(digest),
        container(MakeContainerWriter(job.type, layout)) {}
  StreamLayout layout;
  FrameMeter meter;
  EncodedTruePeak peaks;
  FileDigest digest;
  DigestOutput output;
  std::unique_ptr<ContainerWriter> container;
};

UnwrittenMeasure::UnwrittenMeasure(const FileJob& job, std::uint64_t frames)
    : state_(std::make_unique<State>(job, frames)) {
  state_->container->Begin(state_->output);
}

UnwrittenMeasure::~UnwrittenMeasure() = default;

FrameSink UnwrittenMeasure::Tee(FrameSink next) {
  return [this, next = std::move(next)](const std::uint8_t* encoded, std::size_t count) {
    state_->meter.Add(encoded, count);
    state_->peaks.Add(encoded, count);
    state_->container->AddFrames(encoded, count);
    return next(encoded, count);
  };
}

void UnwrittenMeasure::Finish(WrittenFile& written) {
  state_->container->End();
  written.frames = state_->layout.frames;
  written.measures = state_->meter.Finish();
  written.measures->truePeak = state_->peaks.Peak();
  written.sha256 = state_->digest.Finish();
}
