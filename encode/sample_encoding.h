// Unit values to the bytes of a WAV file's data: scaled, dithered where asked, rounded to the
// nearest step and never wrapped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

enum class SampleFormat { kPcm16, kPcm24, kPcm32, kFloat32 };

struct FormatName {
  SampleFormat format;
  const char* name;
};
constexpr FormatName kSampleFormatNames[] = {{SampleFormat::kPcm16, "pcm16"},
                                             {SampleFormat::kPcm24, "pcm24"},
                                             {SampleFormat::kPcm32, "pcm32"},
                                             {SampleFormat::kFloat32, "float32"}};
const char* SampleFormatName(SampleFormat format);
// False when the name is none of the formats'.
bool SampleFormatNamed(std::string_view name, SampleFormat& format);

unsigned BitsPerSample(SampleFormat format);
inline unsigned BytesPerSample(SampleFormat format) { return BitsPerSample(format) / 8; }
bool IsFloat(SampleFormat format);
// The largest integer sample, 2^(bits - 1) - 1: a unit value of 1 reaches it.
double IntegerFullScale(SampleFormat format);

struct SampleEncoding {
  SampleFormat format;
  unsigned channels;
  double gain;  // the unit value 1 becomes this fraction of full scale
  bool dither;  // triangular, 2 steps peak to peak; integer formats only
  std::uint64_t seed;
};

// Writes `frames` frames, the same value in every channel (each with dither of its own), starting
// at frame `firstFrame` of the file: the dither depends on the seed and the frame, not on how the
// file is cut into blocks.
void EncodeFrames(const SampleEncoding& encoding, const double* values, std::size_t frames,
                  std::uint64_t firstFrame, std::uint8_t* out);

// Integer formats: for each frame, the mean over its channels of the squared samples EncodeFrames
// writes, in units of full scale squared. The values' own power, and what rounding and dither
// add to it. `out` may be `values`.
void WrittenMeanSquares(const SampleEncoding& encoding, const double* values, std::size_t frames,
                        std::uint64_t firstFrame, double* out);

// Triangular dither in (-1, 1) steps for one sample, from a counter-based generator.
double TriangularDither(std::uint64_t seed, std::uint64_t counter);
