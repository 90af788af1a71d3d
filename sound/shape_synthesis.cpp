#include <algorithm>
#include <charconv>
#include <cmath>

#include "sound/shape_values.h"
#include "sound/vector_paths.h"
#include "sound/wav_buffer.h"

namespace {

constexpr float kLowestFrequency = 20.0f;
constexpr char kLowestFrequencyText[] = "20";
constexpr std::int64_t kLowestAmplitude = 0;
constexpr std::int64_t kHighestAmplitude = 100;
constexpr double kPercent = 100.0;
constexpr float kShortestLength = 0.1f;
constexpr float kLongestLength = kCapacitySeconds;
constexpr unsigned kRenderedBits = kSixteenBitSampleBytes * kBitsPerByte;

// The format as the buffer's own header states it, and the room its block really has.
struct BufferFormat {
  std::uint32_t channels = 0;
  std::uint32_t bitsPerSample = 0;
  std::uint32_t sampleRate = 0;
  std::size_t capacityBytes = 0;

  bool Renderable() const {
    return bitsPerSample == kRenderedBits && channels > 0 && sampleRate > 0;
  }
  std::size_t FrameSize() const {
    return std::size_t{channels} * std::size_t{kSixteenBitSampleBytes};
  }
  double BytesPerSecond() const {
    return static_cast<double>(sampleRate) * std::size_t{kSixteenBitSampleBytes} * channels;
  }
};

BufferFormat ReadBufferFormat(const std::uint8_t* buffer, std::size_t blockSize) {
  BufferFormat format;
  format.channels = ReadLE16(buffer + kChannelsOffset);
  format.sampleRate = ReadLE32(buffer + kSampleRateOffset);
  format.bitsPerSample = ReadLE16(buffer + kBitsPerSampleOffset);
  // A RIFF size that claims more than the block holds must not lead writes past it.
  const std::uint32_t riffSize = ReadLE32(buffer + kRiffSizeOffset);
  const std::size_t statedCapacity =
      riffSize > kRiffSizeOverData ? riffSize - kRiffSizeOverData : 0;
  format.capacityBytes = std::min(statedCapacity, blockSize - kWavHeaderSize);
  return format;
}

inline void WriteSample(std::uint8_t* at, std::int16_t sample) {
  WriteLE16(at, static_cast<std::uint16_t>(sample));
}

void WriteFieldText(RenderOutcome& outcome, float frequency) {
  const double whole = std::nearbyint(frequency);  // bounded by half a 32-bit sample rate
  const auto value = static_cast<std::int64_t>(std::clamp(whole, -2147483648.0, 2147483647.0));
  const auto end =
      std::to_chars(outcome.fieldText, outcome.fieldText + sizeof outcome.fieldText - 1, value).ptr;
  *end = '\0';
}

// Ceiling first: a NaN is not below it either.
void ClampFrequency(RenderOutcome& outcome, std::uint32_t sampleRate) {
  const double half = sampleRate / 2.0;
  if (!(outcome.frequency < half)) {
    outcome.frequency = static_cast<float>(half - 1);
    outcome.frequencyClamped = true;
    WriteFieldText(outcome, outcome.frequency);
  } else if (outcome.frequency < kLowestFrequency) {
    outcome.frequency = kLowestFrequency;
    outcome.frequencyClamped = true;
    std::copy(std::begin(kLowestFrequencyText), std::end(kLowestFrequencyText), outcome.fieldText);
  }
}

// Whole cycles over the length, halves rounded away from zero.
float FitWholeCycles(float frequency, float length) {
  const double exact = double{frequency} * length;
  const double cycles = exact > 0 ? std::floor(exact + 0.5) : std::ceil(exact - 0.5);
  return static_cast<float>(cycles / length);
}

// Bytes to render: a whole number of 16-bit samples, never more than the block holds.
std::size_t DataBytesFor(float length, const BufferFormat& format) {
  const auto longest = static_cast<float>(format.capacityBytes / format.BytesPerSecond());
  if (longest < length) length = longest;
  const double bytes = std::nearbyint(double{length} * format.sampleRate *
                                      std::size_t{kSixteenBitSampleBytes} * format.channels);
  if (!(bytes > 0)) return 0;
  std::size_t dataBytes =
      bytes < double(format.capacityBytes) ? static_cast<std::size_t>(bytes) : format.capacityBytes;
  if (dataBytes % 2 != 0)
    dataBytes = dataBytes < format.capacityBytes ? dataBytes + 1 : dataBytes - 1;
  return dataBytes;
}

struct FramePlan {
  std::uint8_t* out;
  std::size_t frames;
  std::size_t frameSize;
  float increment;
  double peak;
};

template <typename ShapeValue, typename StoreFrame>
void RenderFrames(const FramePlan& plan, float phase, ShapeValue value, StoreFrame store) {
  std::uint8_t* out = plan.out;
  for (std::size_t frame = 0; frame < plan.frames; ++frame, out += plan.frameSize) {
    store(out, ToSample(value(phase) * plan.peak));
    phase = AdvancePhase(phase, plan.increment);
  }
}

template <typename ShapeValue>
void RenderChannels(const FramePlan& plan, std::uint32_t channels, float startPhase,
                    ShapeValue value) {
  switch (channels) {
    case 1:
      RenderFrames(plan, startPhase, value,
                   [](std::uint8_t* at, std::int16_t s) { WriteSample(at, s); });
      break;
    case 2:
      RenderFrames(plan, startPhase, value, [](std::uint8_t* at, std::int16_t s) {
        WriteSample(at, s);
        WriteSample(at + std::size_t{kSixteenBitSampleBytes}, s);
      });
      break;
    default:
      RenderFrames(plan, startPhase, value, [channels](std::uint8_t* at, std::int16_t s) {
        for (std::uint32_t channel = 0; channel < channels; ++channel)
          WriteSample(at + channel * std::size_t{kSixteenBitSampleBytes}, s);
      });
      break;
  }
}

// The reference: every frame computed on its own, for any number of channels. The lambdas let
// the compiler inline each value into its loop.
void RenderPlainFrames(const FramePlan& plan, std::uint32_t channels, int shape, float phase) {
  switch (shape) {
    case kShapeSine:
      RenderChannels(plan, channels, phase, [](float p) { return SineValue(p); });
      break;
    case kShapeSaw:
      RenderChannels(plan, channels, phase, [](float p) { return SawValue(p); });
      break;
    case kShapeSquare:
      RenderChannels(plan, channels, phase, [](float p) { return SquareValue(p); });
      break;
    case kShapeTriangle:
      RenderChannels(plan, channels, phase, [](float p) { return TriangleValue(p); });
      break;
    default:  // not a shape: silence of the requested length
      RenderChannels(plan, channels, phase, [](float p) { return SilenceValue(p); });
      break;
  }
}

// A vector path renders the whole groups of frames; the plain path continues the same phase
// chain for the frames left over, and takes every frame of other channel counts.
void RenderShapeFrames(const FramePlan& plan, std::uint32_t channels, int shape,
                       SynthesisPath path) {
  float phase = StartPhaseOf(shape);
  FramePlan rest = plan;
  if (path == SynthesisPath::kFastest) path = FastestPath();
  if (channels <= 2) {
    const std::size_t done = RenderVectorFrames(
        path, VectorFrames{plan.out, plan.frames, channels, plan.increment, plan.peak}, shape,
        phase);
    rest.out += done * plan.frameSize;
    rest.frames -= done;
  }
  RenderPlainFrames(rest, channels, shape, phase);
}

RenderOutcome RenderShapeInBlock(SynthesisPath path, std::uint8_t* buffer, std::size_t blockSize,
                                 float frequency, std::int64_t amplitude, float length, int shape) {
  if (blockSize < kWavHeaderSize) return RenderOutcome{frequency, false, {}};
  const BufferFormat format = ReadBufferFormat(buffer, blockSize);
  if (!format.Renderable()) {
    SetWavDataSize(buffer, 0);
    return RenderOutcome{frequency, false, {}};
  }

  const RenderOutcome outcome = PlanFrequency(frequency, length, format.sampleRate);
  amplitude = ClampAmplitude(amplitude);
  length = ClampLength(length);

  const std::size_t dataBytes = DataBytesFor(length, format);
  SetWavDataSize(buffer, static_cast<std::uint32_t>(dataBytes));

  FramePlan plan;
  plan.out = buffer + kWavHeaderSize;
  plan.frameSize = format.FrameSize();
  plan.frames = dataBytes / plan.frameSize;
  plan.increment = ComputePhaseIncrement(outcome.frequency, format.sampleRate);
  plan.peak = ComputePeak(amplitude);
  RenderShapeFrames(plan, format.channels, shape, path);
  return outcome;
}

}  // namespace

float ClampLength(float length) {
  if (!(length >= kShortestLength)) return kShortestLength;
  return std::min(length, kLongestLength);
}

std::int64_t ClampAmplitude(std::int64_t amplitude) {
  return std::clamp(amplitude, kLowestAmplitude, kHighestAmplitude);
}

RenderOutcome ClampFrequencyForRate(float frequency, std::uint32_t sampleRate) {
  RenderOutcome outcome{frequency, false, {}};
  ClampFrequency(outcome, sampleRate);
  return outcome;
}

RenderOutcome PlanFrequency(float frequency, float length, std::uint32_t sampleRate) {
  RenderOutcome outcome{frequency, false, {}};
  ClampFrequency(outcome, sampleRate);
  outcome.frequency = FitWholeCycles(outcome.frequency, ClampLength(length));
  return outcome;
}

float ComputePhaseIncrement(float frequency, std::uint32_t sampleRate) {
  if (sampleRate == 0) return 0.0f;
  return static_cast<float>(double{frequency} / sampleRate * double{kTwoPiF});
}

float ComputePeak(std::int64_t amplitude) {
  return static_cast<float>(kHighestSample * static_cast<double>(amplitude) / kPercent);
}

RenderOutcome RenderShape(std::uint8_t* buffer, float frequency, std::int64_t amplitude,
                          float length, int shape) {
  return RenderShapeOnPath(SynthesisPath::kFastest, buffer, frequency, amplitude, length, shape);
}

RenderOutcome RenderShapeOnPath(SynthesisPath path, std::uint8_t* buffer, float frequency,
                                std::int64_t amplitude, float length, int shape) {
  return RenderShapeInBlock(path, buffer, WavBlockSizeOf(buffer), frequency, amplitude, length,
                            shape);
}

RenderOutcome RenderShapeIntoImage(WavImage& image, float frequency, std::int64_t amplitude,
                                   float length, int shape) {
  return RenderShapeInBlock(SynthesisPath::kFastest, image.block.get(), image.size, frequency,
                            amplitude, length, shape);
}
