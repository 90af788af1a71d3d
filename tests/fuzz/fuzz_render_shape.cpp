// Arbitrary frequency, amplitude, length, shape and format, and sometimes a foreign header:
// writes stay inside the block (the sanitizer watches), the data size stays within the capacity,
// every sample stays within the peak and both channels of a frame agree. Every synthesis path
// this processor has takes its turn.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "sound/vector_paths.h"
#include "sound/wav_buffer.h"

namespace {

// The block every render goes into, as the shell keeps its main WAV buffer.
std::uint8_t* Block = nullptr;

struct FuzzInput {
  float frequency;
  std::int64_t amplitude;
  float length;
  std::int32_t shape;
  std::uint8_t format;
  std::uint8_t foreignHeader;  // bit 0: foreign header; bits 1 and 2: the synthesis path
  std::uint8_t header[12];     // channels, sample rate, bits, RIFF size when foreignHeader is odd
};

constexpr SynthesisPath kPaths[] = {SynthesisPath::kFastest, SynthesisPath::kPlain,
                                    SynthesisPath::kAvx2, SynthesisPath::kAvx512};

constexpr RenderSettings kFormats[] = {
    {1, 2, 44100}, {2, 2, 44100}, {1, 2, 192000}, {2, 2, 192000}};

std::uint8_t* BufferFor(std::uint8_t format) {
  static int builtFormat = -1;
  const int wanted = format % 4;
  if (builtFormat != wanted || Block == nullptr) {
    const RenderSettings& settings = kFormats[wanted];
    Block = BuildWavBuffer(kCapacitySeconds, settings.channels, settings.bytesPerSample,
                           settings.sampleRate);
    builtFormat = wanted;
  }
  EmptyWavBlock(Block);
  return Block;
}

void CheckRendering(const std::uint8_t* buffer, std::int64_t amplitude) {
  const std::uint32_t capacity = ReadLE32(buffer + kRiffSizeOffset) - kRiffSizeOverData;
  const std::uint32_t dataSize = ReadLE32(buffer + kDataSizeOffset);
  if (dataSize > capacity) std::abort();
  const int channels = ReadLE16(buffer + kChannelsOffset);
  const double percent = static_cast<double>(std::clamp<std::int64_t>(amplitude, 0, 100));
  const double peak =
      std::nearbyint(static_cast<double>(static_cast<float>(32767.0 * percent / 100.0)));
  for (std::uint32_t at = 0; at + 2 <= dataSize; at += 2) {
    const auto sample = static_cast<std::int16_t>(ReadLE16(buffer + kWavHeaderSize + at));
    if (std::abs(static_cast<double>(sample)) > peak) std::abort();
    if (channels == 2 && at % 4 == 2 &&
        ReadLE16(buffer + kWavHeaderSize + at) != ReadLE16(buffer + kWavHeaderSize + at - 2)) {
      std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input{};
  std::memcpy(&input, data, std::min(size, sizeof input));
  std::uint8_t* buffer = BufferFor(input.format);
  const SynthesisPath path = kPaths[(input.foreignHeader >> 1) % 4];
  if (input.foreignHeader & 1) {
    std::memcpy(buffer + kChannelsOffset, input.header, 2);
    std::memcpy(buffer + kSampleRateOffset, input.header + 2, 4);
    std::memcpy(buffer + kBitsPerSampleOffset, input.header + 6, 2);
    std::memcpy(buffer + kRiffSizeOffset, input.header + 8, 4);
    RenderShapeOnPath(path, buffer, input.frequency, input.amplitude, input.length, input.shape);
    Block = nullptr;  // a foreign header is not rendered twice: build afresh next time
    return 0;
  }
  RenderShapeOnPath(path, buffer, input.frequency, input.amplitude, input.length, input.shape);
  CheckRendering(buffer, input.amplitude);
  return 0;
}
