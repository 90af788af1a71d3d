#include "encode/sample_encoding.h"

#include <cmath>
#include <cstring>

#include "signals/noise.h"

namespace {

constexpr double kTwoToMinus32 = 1.0 / 4294967296.0;
// Adding and taking away 1.5 · 2^52 rounds to a whole number, ties to even, as nearbyint does,
// without a library call.
constexpr double kRoundingShift = 6755399441055744.0;

void StoreLittleEndian(std::uint8_t* at, std::uint32_t value, unsigned bytes) {
  for (unsigned i = 0; i < bytes; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// Nearest step, ties to even; anything beyond full scale stops there instead of wrapping.
// Selections rather than branches, so that a run of samples is converted in vectors.
std::int32_t ToInteger(double value, double fullScale) {
  double bounded = value < fullScale ? value : fullScale;  // NaN too
  bounded = bounded > -fullScale - 1 ? bounded : -fullScale - 1;
  return static_cast<std::int32_t>((bounded + kRoundingShift) - kRoundingShift);
}

// The one step from values to integer samples, for writing them and for knowing their power
// without writing them: they must agree to the bit. `use(frame, channel, sample)` in order.
template <typename Use>
void ForEachIntegerSample(const SampleEncoding& encoding, const double* values, std::size_t frames,
                          std::uint64_t firstFrame, Use use) {
  const double fullScale = IntegerFullScale(encoding.format);
  const double scale = encoding.gain * fullScale;
  for (std::size_t frame = 0; frame < frames; ++frame) {
    const double scaled = values[frame] * scale;
    if (!encoding.dither) {
      const std::int32_t sample = ToInteger(scaled, fullScale);
      for (unsigned channel = 0; channel < encoding.channels; ++channel)
        use(frame, channel, sample);
      continue;
    }
    const std::uint64_t counter = (firstFrame + frame) * encoding.channels;
    for (unsigned channel = 0; channel < encoding.channels; ++channel)
      use(frame, channel,
          ToInteger(scaled + TriangularDither(encoding.seed, counter + channel), fullScale));
  }
}

// The sample's width known when compiled, and plain undithered mono on a path of its own: the
// common case becomes a loop without calls or branches.
template <unsigned kBytes>
void EncodeIntegerFrames(const SampleEncoding& encoding, const double* values, std::size_t frames,
                         std::uint64_t firstFrame, std::uint8_t* out) {
  if (encoding.channels == 1 && !encoding.dither) {
    const double fullScale = IntegerFullScale(encoding.format);
    const double scale = encoding.gain * fullScale;
    for (std::size_t frame = 0; frame < frames; ++frame, out += kBytes)
      StoreLittleEndian(
          out, static_cast<std::uint32_t>(ToInteger(values[frame] * scale, fullScale)), kBytes);
    return;
  }
  ForEachIntegerSample(encoding, values, frames, firstFrame,
                       [&out](std::size_t, unsigned, std::int32_t sample) {
                         StoreLittleEndian(out, static_cast<std::uint32_t>(sample), kBytes);
                         out += kBytes;
                       });
}

}  // namespace

const char* SampleFormatName(SampleFormat format) {
  for (const FormatName& entry : kSampleFormatNames)
    if (entry.format == format) return entry.name;
  return "";
}

bool SampleFormatNamed(std::string_view name, SampleFormat& format) {
  for (const FormatName& entry : kSampleFormatNames)
    if (name == entry.name) {
      format = entry.format;
      return true;
    }
  return false;
}

unsigned BitsPerSample(SampleFormat format) {
  switch (format) {
    case SampleFormat::kPcm16: return 16;
    case SampleFormat::kPcm24: return 24;
    default: return 32;
  }
}

bool IsFloat(SampleFormat format) { return format == SampleFormat::kFloat32; }

double IntegerFullScale(SampleFormat format) {
  return std::ldexp(1.0, static_cast<int>(BitsPerSample(format)) - 1) - 1.0;
}

double TriangularDither(std::uint64_t seed, std::uint64_t counter) {
  const std::uint64_t bits = CounterHash(seed, counter);
  const double first = static_cast<double>(bits >> 32) * kTwoToMinus32;
  const double second = static_cast<double>(bits & 0xFFFFFFFFu) * kTwoToMinus32;
  return first - second;
}

void EncodeFrames(const SampleEncoding& encoding, const double* values, std::size_t frames,
                  std::uint64_t firstFrame, std::uint8_t* out) {
  const unsigned bytes = BytesPerSample(encoding.format);
  if (IsFloat(encoding.format)) {
    for (std::size_t frame = 0; frame < frames; ++frame) {
      const float sample = static_cast<float>(values[frame] * encoding.gain);
      for (unsigned channel = 0; channel < encoding.channels; ++channel, out += bytes)
        std::memcpy(out, &sample, sizeof sample);  // x86 is little-endian, as WAV is
    }
    return;
  }
  switch (bytes) {
    case 2: return EncodeIntegerFrames<2>(encoding, values, frames, firstFrame, out);
    case 3: return EncodeIntegerFrames<3>(encoding, values, frames, firstFrame, out);
    default: return EncodeIntegerFrames<4>(encoding, values, frames, firstFrame, out);
  }
}

void WrittenMeanSquares(const SampleEncoding& encoding, const double* values, std::size_t frames,
                        std::uint64_t firstFrame, double* out) {
  const double fullScale = IntegerFullScale(encoding.format);
  const double perSquaredStep = 1.0 / (fullScale * fullScale * encoding.channels);
  // The values are read frame by frame before the frame's squares are stored: `out` may be
  // `values`.
  double squares = 0;
  ForEachIntegerSample(encoding, values, frames, firstFrame,
                       [&](std::size_t frame, unsigned channel, std::int32_t sample) {
                         const auto value = static_cast<double>(sample);
                         squares += value * value;
                         if (channel + 1 < encoding.channels) return;
                         out[frame] = squares * perSquaredStep;
                         squares = 0;
                       });
}
