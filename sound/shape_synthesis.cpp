#include <algorithm>
#include <charconv>
#include <cmath>

#include "sound/wav_buffer.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr double kPiD = 3.141592653589793;
constexpr double kHalfPiF = kPiF / 2.0f;
// The sign test of square and triangle compares against π in double precision, which no
// single-precision phase equals. The 32-bit build holds it in single precision, so a phase of
// exactly π gives the sign 0 there: its square starts with one 0 sample, and has another
// wherever the phase chain comes back to exactly π.
constexpr bool kThirtyTwoBitBuild = sizeof(void*) == 4;
constexpr double kSignTestPi = kThirtyTwoBitBuild ? double{kPiF} : kPiD;

constexpr float kLowestFrequency = 20.0f;
constexpr char kLowestFrequencyText[] = "20";
constexpr std::int64_t kLowestAmplitude = 0;
constexpr std::int64_t kHighestAmplitude = 100;
constexpr double kPercent = 100.0;
constexpr float kShortestLength = 0.1f;
constexpr float kLongestLength = kCapacitySeconds;
constexpr unsigned kRenderedBits = 16;
constexpr unsigned kBytesPerRenderedSample = kRenderedBits / 8;
constexpr double kFullScale = 32767.0;  // 2^16 / 2 - 1
constexpr double kHighestSample = 32767.0;
constexpr double kLowestSample = -32768.0;

// The format as the buffer's own header states it, and the room its block really has.
struct BufferFormat {
  std::uint32_t channels = 0;
  std::uint32_t bitsPerSample = 0;
  std::uint32_t sampleRate = 0;
  std::size_t capacityBytes = 0;

  bool Renderable() const {
    return bitsPerSample == kRenderedBits && channels > 0 && sampleRate > 0;
  }
  std::size_t FrameSize() const { return std::size_t{channels} * kBytesPerRenderedSample; }
  double BytesPerSecond() const {
    return static_cast<double>(sampleRate) * kBytesPerRenderedSample * channels;
  }
};

BufferFormat ReadBufferFormat(const std::uint8_t* buffer, std::size_t blockSize) {
  BufferFormat format;
  format.channels = ReadLE16(buffer + kChannelsOffset);
  format.sampleRate = ReadLE32(buffer + kSampleRateOffset);
  format.bitsPerSample = ReadLE16(buffer + kBitsPerSampleOffset);
  // A RIFF size that claims more than the block holds must not lead writes past it.
  const std::uint32_t riffSize = ReadLE32(buffer + kRiffSizeOffset);
  const std::size_t statedCapacity = riffSize > kRiffSizeOverData ? riffSize - kRiffSizeOverData : 0;
  format.capacityBytes = std::min(statedCapacity, blockSize - kWavHeaderSize);
  return format;
}

// Ties to even in the current rounding mode; inline because std::lrint is a library call even
// at -O2. The caller keeps x within the 32-bit range.
inline std::int32_t RoundToInt32(double x) {
#if defined(__SSE2__)
  return _mm_cvtsd_si32(_mm_set_sd(x));
#else
  return static_cast<std::int32_t>(std::lrint(x));
#endif
}

inline std::int16_t ToSample(double x) {
  x = x < kHighestSample ? x : kHighestSample;
  x = x > kLowestSample ? x : kLowestSample;
  return static_cast<std::int16_t>(RoundToInt32(x));
}

inline void WriteSample(std::uint8_t* at, std::int16_t sample) {
  const auto bits = static_cast<std::uint16_t>(sample);
  at[0] = static_cast<std::uint8_t>(bits);
  at[1] = static_cast<std::uint8_t>(bits >> 8);
}

inline double SignOf(double x) { return x > 0 ? 1.0 : (x < 0 ? -1.0 : 0.0); }

void WriteFieldText(RenderOutcome& outcome, float frequency) {
  const double whole = std::nearbyint(frequency);  // bounded by half a 32-bit sample rate
  const auto value = static_cast<std::int64_t>(std::clamp(whole, -2147483648.0, 2147483647.0));
  const auto end = std::to_chars(outcome.fieldText, outcome.fieldText + sizeof outcome.fieldText - 1,
                                 value).ptr;
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

float ClampLength(float length) {
  if (!(length >= kShortestLength)) return kShortestLength;
  return std::min(length, kLongestLength);
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
                                      kBytesPerRenderedSample * format.channels);
  if (!(bytes > 0)) return 0;
  std::size_t dataBytes = bytes < double(format.capacityBytes) ? static_cast<std::size_t>(bytes)
                                                               : format.capacityBytes;
  if (dataBytes % 2 != 0) dataBytes = dataBytes < format.capacityBytes ? dataBytes + 1 : dataBytes - 1;
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
      RenderFrames(plan, startPhase, value, [](std::uint8_t* at, std::int16_t s) {
        WriteSample(at, s);
      });
      break;
    case 2:
      RenderFrames(plan, startPhase, value, [](std::uint8_t* at, std::int16_t s) {
        WriteSample(at, s);
        WriteSample(at + kBytesPerRenderedSample, s);
      });
      break;
    default:
      RenderFrames(plan, startPhase, value, [channels](std::uint8_t* at, std::int16_t s) {
        for (std::uint32_t channel = 0; channel < channels; ++channel)
          WriteSample(at + channel * kBytesPerRenderedSample, s);
      });
      break;
  }
}

void RenderShapeFrames(const FramePlan& plan, std::uint32_t channels, int shape) {
  switch (shape) {
    case kShapeSine:
      RenderChannels(plan, channels, 0.0f, [](float p) { return std::sin(double{p}); });
      break;
    case kShapeSaw:
      RenderChannels(plan, channels, kPiF, [](float p) { return (double{p} - kPiF) / kPiF; });
      break;
    case kShapeSquare:
      RenderChannels(plan, channels, kPiF, [](float p) { return SignOf(kSignTestPi - p); });
      break;
    case kShapeTriangle:
      RenderChannels(plan, channels, 0.0f, [](float p) {
        return 1.0 + SignOf(kSignTestPi - p) * (double{p} - kPiF) / kHalfPiF;
      });
      break;
    default:  // not a shape: silence of the requested length
      RenderChannels(plan, channels, 0.0f, [](float) { return 0.0; });
      break;
  }
}

}  // namespace

float ComputePhaseIncrement(float frequency, std::uint32_t sampleRate) {
  if (sampleRate == 0) return 0.0f;
  return static_cast<float>(double{frequency} / sampleRate * double{kTwoPiF});
}

float ComputePeak(std::int64_t amplitude) {
  return static_cast<float>(kFullScale * static_cast<double>(amplitude) / kPercent);
}

RenderOutcome RenderShape(std::uint8_t* buffer, float frequency, std::int64_t amplitude,
                          float length, int shape) {
  RenderOutcome outcome{frequency, false, {}};
  const std::size_t blockSize = WavBlockSizeOf(buffer);
  if (blockSize < kWavHeaderSize) return outcome;
  const BufferFormat format = ReadBufferFormat(buffer, blockSize);
  if (!format.Renderable()) {
    WriteLE32(buffer + kDataSizeOffset, 0);
    return outcome;
  }

  ClampFrequency(outcome, format.sampleRate);
  amplitude = std::clamp(amplitude, kLowestAmplitude, kHighestAmplitude);
  length = ClampLength(length);
  outcome.frequency = FitWholeCycles(outcome.frequency, length);

  const std::size_t dataBytes = DataBytesFor(length, format);
  WriteLE32(buffer + kDataSizeOffset, static_cast<std::uint32_t>(dataBytes));

  FramePlan plan;
  plan.out = buffer + kWavHeaderSize;
  plan.frameSize = format.FrameSize();
  plan.frames = dataBytes / plan.frameSize;
  plan.increment = ComputePhaseIncrement(outcome.frequency, format.sampleRate);
  plan.peak = ComputePeak(amplitude);
  RenderShapeFrames(plan, format.channels, shape);
  return outcome;
}
