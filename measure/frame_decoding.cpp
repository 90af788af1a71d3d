#include "measure/frame_decoding.h"

#include <cstring>

namespace {

constexpr int kBitsPerByte = 8;
constexpr double kFullScale32 = 2147483648.0;

double SampleAt(const std::uint8_t* at, SampleFormat format) {
  if (format == SampleFormat::kFloat32) {
    float value = 0;
    std::memcpy(&value, at, sizeof value);  // little-endian, as the formats are
    return value;
  }
  const unsigned bytes = BytesPerSample(format);
  std::uint32_t word = 0;
  for (unsigned i = 0; i < bytes; ++i)
    word |= std::uint32_t{at[i]} << (kBitsPerByte * (i + 4 - bytes));
  // The sample in the top bits of a signed 32-bit word, then scaled: full scale is 2^31.
  return static_cast<double>(static_cast<std::int32_t>(word)) / kFullScale32;
}

}  // namespace

void DecodeFrames(const FrameFormat& format, const std::uint8_t* bytes, std::size_t frames,
                  double* out) {
  const std::size_t sampleBytes = BytesPerSample(format.format);
  const std::size_t samples = frames * format.channels;
  for (std::size_t i = 0; i < samples; ++i)
    out[i] = SampleAt(bytes + i * sampleBytes, format.format);
}
