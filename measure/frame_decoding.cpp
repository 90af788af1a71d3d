#include "measure/frame_decoding.h"

#include <cstring>

namespace {

constexpr double kFullScale16 = 32768.0;
constexpr double kFullScale24 = 8388608.0;
constexpr double kFullScale32 = 2147483648.0;

// One loop per format: the samples read in place, little-endian as the formats are, and scaled
// by a power of two, whose reciprocal is exact: the product is the quotient.
template <typename Read>
void DecodeEach(const std::uint8_t* bytes, std::size_t samples, std::size_t width, double scale,
                double* out, Read read) {
  const double step = 1.0 / scale;
  for (std::size_t i = 0; i < samples; ++i) out[i] = read(bytes + i * width) * step;
}

}  // namespace

void DecodeFrames(const FrameFormat& format, const std::uint8_t* bytes, std::size_t frames,
                  double* out) {
  const std::size_t samples = frames * format.channels;
  switch (format.format) {
    case SampleFormat::kPcm16:
      DecodeEach(bytes, samples, 2, kFullScale16, out, [](const std::uint8_t* at) {
        return static_cast<double>(static_cast<std::int16_t>(at[0] | std::uint32_t{at[1]} << 8));
      });
      return;
    case SampleFormat::kPcm24:
      DecodeEach(bytes, samples, 3, kFullScale24, out, [](const std::uint8_t* at) {
        const std::uint32_t word =
            std::uint32_t{at[0]} << 8 | std::uint32_t{at[1]} << 16 | std::uint32_t{at[2]} << 24;
        return static_cast<double>(static_cast<std::int32_t>(word) >> 8);
      });
      return;
    case SampleFormat::kPcm32:
      DecodeEach(bytes, samples, 4, kFullScale32, out, [](const std::uint8_t* at) {
        std::int32_t value = 0;
        std::memcpy(&value, at, sizeof value);
        return static_cast<double>(value);
      });
      return;
    case SampleFormat::kFloat32:
      DecodeEach(bytes, samples, 4, 1.0, out, [](const std::uint8_t* at) {
        float value = 0;
        std::memcpy(&value, at, sizeof value);
        return static_cast<double>(value);
      });
      return;
  }
}
