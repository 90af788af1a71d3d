// Encoded frames back to values in full scale 1.0 (2^(bits - 1) for integer samples, as sox and
// libsndfile read them), for what measures them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "encode/sample_encoding.h"

struct FrameFormat {
  SampleFormat format;
  unsigned channels;
  unsigned rate;
};

inline std::size_t FrameBytes(const FrameFormat& format) {
  return format.channels * BytesPerSample(format.format);
}

// `frames` frames of interleaved samples into `out` (frames × channels values).
void DecodeFrames(const FrameFormat& format, const std::uint8_t* bytes, std::size_t frames,
                  double* out);
