#include "cli/frame_sources.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include "sound/wav_buffer.h"

namespace {

// The window's image of its rendering: one per thread and format, reused file after file.
struct WindowImage {
  std::int16_t channels = 0;
  std::int32_t rate = 0;
  WavImage image{};
};

WavImage& ImageFor(std::int16_t channels, std::int32_t rate) {
  thread_local WindowImage kept;
  if (kept.image.block == nullptr || kept.channels != channels || kept.rate != rate) {
    kept.image = BuildWavImage(kCapacitySeconds, channels, kSixteenBitSampleBytes, rate);
    kept.channels = channels;
    kept.rate = rate;
  }
  return kept.image;
}

class ImageFrames : public Frames {
 public:
  ImageFrames(const std::uint8_t* samples, std::uint64_t count, std::size_t frameBytes)
      : samples_(samples), count_(count), frameBytes_(frameBytes) {}

  std::uint64_t Count() const override { return count_; }

  bool Stream(const FrameSink& sink, unsigned, const SpanObserver& observer) const override {
    for (std::uint64_t done = 0; done < count_;) {
      const auto run =
          static_cast<std::size_t>(std::min<std::uint64_t>(kStreamBlockFrames, count_ - done));
      const std::uint8_t* bytes = samples_ + done * frameBytes_;
      if (observer) {
        const auto before =
            static_cast<std::size_t>(std::min<std::uint64_t>(done, kFramesBeforeSpan));
        observer({bytes - before * frameBytes_, before, bytes, run, done, 0});
      }
      if (!sink(bytes, run)) return false;
      done += run;
    }
    return true;
  }

 private:
  const std::uint8_t* samples_;
  std::uint64_t count_;
  std::size_t frameBytes_;
};

class WindowSource : public FrameSource {
 public:
  WindowSource(int shapeCode, float frequency, std::int64_t amplitude, float length,
               std::int16_t channels, std::int32_t rate)
      : shapeCode_(shapeCode),
        frequency_(frequency),
        amplitude_(amplitude),
        length_(length),
        channels_(channels),
        rate_(rate) {}

  std::unique_ptr<Frames> Start(std::string& reason) const override {
    WavImage& image = ImageFor(channels_, rate_);
    if (image.size == 0) {
      reason = std::strerror(ENOMEM);
      return nullptr;
    }
    EmptyWavImage(image);
    RenderShapeIntoImage(image, frequency_, amplitude_, length_, shapeCode_);
    const std::uint8_t* block = image.block.get();
    const std::size_t frameBytes = std::size_t{kSixteenBitSampleBytes} * channels_;
    return std::make_unique<ImageFrames>(
        block + kWavHeaderSize, ReadLE32(block + kDataSizeOffset) / frameBytes, frameBytes);
  }

 private:
  int shapeCode_;
  float frequency_;
  std::int64_t amplitude_;
  float length_;
  std::int16_t channels_;
  std::int32_t rate_;
};

class ValueFrames : public Frames {
 public:
  ValueFrames(const ValueSource& values, std::uint64_t count, const SampleEncoding& encoding)
      : values_(values), count_(count), encoding_(encoding) {}

  std::uint64_t Count() const override { return count_; }

  bool Stream(const FrameSink& sink, unsigned threads,
              const SpanObserver& observer) const override {
    return StreamEncodedFrames(values_, encoding_, count_, sink, kStreamBlockFrames, threads,
                               observer);
  }

 private:
  const ValueSource& values_;
  std::uint64_t count_;
  SampleEncoding encoding_;
};

class ExactSource : public FrameSource {
 public:
  ExactSource(ValueSource values, std::uint64_t frames, const SampleEncoding& encoding)
      : values_(std::move(values)), frames_(frames), encoding_(encoding) {}

  std::unique_ptr<Frames> Start(std::string&) const override {
    return std::make_unique<ValueFrames>(values_, frames_, encoding_);
  }

 private:
  ValueSource values_;
  std::uint64_t frames_;
  SampleEncoding encoding_;
};

}  // namespace

std::shared_ptr<const FrameSource> WindowRendering(int shapeCode, float frequency,
                                                   std::int64_t amplitude, float length,
                                                   std::int16_t channels, std::int32_t rate) {
  return std::make_shared<WindowSource>(shapeCode, frequency, amplitude, length, channels, rate);
}

std::shared_ptr<const FrameSource> ExactRendering(ValueSource values, std::uint64_t frames,
                                                  const SampleEncoding& encoding) {
  return std::make_shared<ExactSource>(std::move(values), frames, encoding);
}
