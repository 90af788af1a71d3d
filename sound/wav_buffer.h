// The in-memory WAV image, the render settings, the shape synthesis and the text readers that
// feed it. Nothing here touches the toolkit, so benchmarks and fuzzers use it alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

// ---- render settings -------------------------------------------------------------------------

struct RenderSettings {
  std::int16_t channels;
  std::int16_t bytesPerSample;
  std::int32_t sampleRate;
};

// The formats the program offers.
constexpr std::int16_t kMonoChannels = 1;
constexpr std::int16_t kStereoChannels = 2;
constexpr std::int32_t kLowSampleRate = 44100;
constexpr std::int32_t kHighSampleRate = 192000;
constexpr std::int16_t kSixteenBitSampleBytes = 2;
constexpr int kBitsPerByte = 8;

constexpr RenderSettings kStartRenderSettings{kMonoChannels, kSixteenBitSampleBytes,
                                              kLowSampleRate};
constexpr float kCapacitySeconds = 20.0f;

// ---- WAV buffer ------------------------------------------------------------------------------

constexpr std::size_t kWavHeaderSize = 44;
// Header field offsets; every field is little-endian.
constexpr std::size_t kRiffSizeOffset = 4;
constexpr std::size_t kChannelsOffset = 22;
constexpr std::size_t kSampleRateOffset = 24;
constexpr std::size_t kByteRateOffset = 28;
constexpr std::size_t kBlockAlignOffset = 32;
constexpr std::size_t kBitsPerSampleOffset = 34;
constexpr std::size_t kDataSizeOffset = 40;
// The RIFF size counts everything after its own field, less the data: 36 header bytes.
constexpr std::uint32_t kRiffSizeOverData = 36;

// Builds a zero-filled block of RIFF size + 8 bytes for `duration` seconds in the given format,
// frees the block of the previous build and returns the new one.
std::uint8_t* BuildWavBuffer(float duration, std::int16_t channels, std::int16_t bytesPerSample,
                             std::int32_t sampleRate);
// Size in bytes of the block that the last BuildWavBuffer returned (0 before the first).
std::size_t WavBufferBlockSize();
// Size of `buffer`'s block if it is the block that the last BuildWavBuffer returned, else 0:
// only that block may be written, a reference from before a rebuild is refused.
std::size_t WavBlockSizeOf(const std::uint8_t* buffer);
// Sets the block's data size. Only here is a size written, so that the emptying below knows
// which block has held samples since it was built: a fresh block is zero already.
void SetWavDataSize(std::uint8_t* buffer, std::uint32_t dataSize);
// The largest data size a block is built for: RIFF size + 8 must still fit in 32 bits.
constexpr std::uint32_t kLargestWavDataSize = 0xFFFFFFFFu - kWavHeaderSize;

// Zeroes the samples that the data size covers and sets it to 0; only the block of the last
// build, anything else (a null or stale reference) is left alone.
void EmptyWavBlock(std::uint8_t* buffer);

// A block laid out and built as BuildWavBuffer's, but owned by its user: for renders outside the
// window, several at a time. Pages that are never written take no memory.
struct WavImage {
  struct FreeBlock {
    void operator()(std::uint8_t* block) const { std::free(block); }
  };
  using Block = std::unique_ptr<std::uint8_t, FreeBlock>;
  Block block;
  std::size_t size;  // 0 when the block could not be allocated
};
WavImage BuildWavImage(float duration, std::int16_t channels, std::int16_t bytesPerSample,
                       std::int32_t sampleRate);
// As EmptyWavBlock: silence where the last render wrote, data size 0.
void EmptyWavImage(WavImage& image);

// Inline: the plain synthesis path writes every sample through WriteLE16.
inline std::uint16_t ReadLE16(const std::uint8_t* at) {
  return static_cast<std::uint16_t>(at[0] | (at[1] << 8));
}

inline std::uint32_t ReadLE32(const std::uint8_t* at) {
  return std::uint32_t{at[0]} | (std::uint32_t{at[1]} << 8) | (std::uint32_t{at[2]} << 16) |
         (std::uint32_t{at[3]} << 24);
}

inline void WriteLE16(std::uint8_t* at, std::uint16_t value) {
  at[0] = static_cast<std::uint8_t>(value);
  at[1] = static_cast<std::uint8_t>(value >> 8);
}

inline void WriteLE32(std::uint8_t* at, std::uint32_t value) {
  at[0] = static_cast<std::uint8_t>(value);
  at[1] = static_cast<std::uint8_t>(value >> 8);
  at[2] = static_cast<std::uint8_t>(value >> 16);
  at[3] = static_cast<std::uint8_t>(value >> 24);
}

// The header a saved file starts with: the buffer's own, except that the RIFF size describes the
// rendered data instead of the buffer's capacity.
void CopyFileHeader(const std::uint8_t* buffer, std::uint8_t* header);

// ---- shape synthesis -------------------------------------------------------------------------

enum ShapeCode : int { kShapeSine = 1, kShapeSaw = 2, kShapeSquare = 3, kShapeTriangle = 4 };
// The shapes' names in the order of their codes, as the window's list shows them.
constexpr const char* kShapeNames[] = {"sine", "saw", "square", "triangle"};
constexpr int kFirstShapeCode = kShapeSine;
// The parameter texts the window starts with; the render command's defaults too.
constexpr const char* kStartFrequencyText = "997";
constexpr const char* kStartAmplitudeText = "90";
constexpr const char* kStartLengthText = "3.0";

constexpr float kPiF = 3.14159265358979323846f;
constexpr float kTwoPiF = 6.28318530717958647692f;

// One step of the synthesis phase: single-precision sum, wrapped once when it passes 2π. Always
// inlined: files built for a wider instruction set use it too, and no out-of-line copy of theirs
// may end up serving the plain path.
[[gnu::always_inline]] inline float AdvancePhase(float phase, float increment) {
  phase += increment;
  if (phase > kTwoPiF) phase -= kTwoPiF;
  return phase;
}

// Whether the frequency had to be clamped to the ceiling or the floor, in which case the caller
// writes `fieldText` into the frequency field.
struct RenderOutcome {
  float frequency;        // the frequency actually rendered
  bool frequencyClamped;  // true: show fieldText in the frequency field
  char fieldText[16];     // the clamped frequency as plain decimal digits
};

// The phase step per frame: frequency / sample rate × 2π, in single precision.
float ComputePhaseIncrement(float frequency, std::uint32_t sampleRate);
// The largest sample value for an amplitude in percent of full scale (0 to 100).
float ComputePeak(std::int64_t amplitude);

// Renders into `buffer`, which must be the block that the last BuildWavBuffer returned; any other
// pointer is left untouched and the frequency comes back as given. The format is read from the
// buffer's header; a header that is not 16-bit PCM with at least one channel and a sample rate
// renders nothing (data size 0). Codes other than the four shapes render silence.
RenderOutcome RenderShape(std::uint8_t* buffer, float frequency, std::int64_t amplitude,
                          float length, int shape);

// RenderShape into an image of its own, on the fastest path; the image must be empty.
RenderOutcome RenderShapeIntoImage(WavImage& image, float frequency, std::int64_t amplitude,
                                   float length, int shape);
// The length and amplitude that RenderShape renders for the ones given.
float ClampLength(float length);
std::int64_t ClampAmplitude(std::int64_t amplitude);
// The frequency that RenderShape would render at this sample rate, and its clamp, without
// rendering: the ceiling and floor, then the whole-cycle fit over the clamped length.
RenderOutcome PlanFrequency(float frequency, float length, std::uint32_t sampleRate);
// The ceiling and floor alone, without the whole-cycle fit.
RenderOutcome ClampFrequencyForRate(float frequency, std::uint32_t sampleRate);

// ---- text readers ----------------------------------------------------------------------------

// Decimal number from the start of the text, rounded once to single precision; "+Infinity",
// "-Infinity" and "NaN" (any case) are read as such; no leading number gives 0.
float ReadDecimalText(std::string_view text);
// Blanks and tabs, optional sign, digits up to the first other character; no digits give 0.
// Saturates beyond 64 bits.
std::int64_t ReadIntegerText(std::string_view text);
