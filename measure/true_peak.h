// The true peak of sampled signals by ITU-R BS.1770-4 Annex 2: the samples interpolated by its
// 48-tap, 4-phase filter, 4 times over below 96 kHz, twice (the filter's middle phase added)
// below 192 kHz, not at all above; never less than the sample peak. Its coefficients are whole
// numbers of 1/8192, so with samples that are whole numbers of steps every sum is exact, in any
// order and in both builds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "measure/frame_decoding.h"

class TruePeakMeter {
 public:
  TruePeakMeter(unsigned channels, unsigned rate);

  // Frames of interleaved values in full scale 1.0, in order.
  void Add(const double* interleaved, std::size_t frames);
  // The largest |value| between and at the samples so far.
  double Peak() const { return peak_; }

 private:
  void AddBlock(const double* interleaved, std::size_t frames);

  unsigned channels_;
  unsigned phaseStep_;           // 1: four phases, 2: two, 4: the samples alone
  std::vector<double> history_;  // the last taps - 1 values of each channel, oldest first
  std::vector<double> window_;   // one channel's history and block, for the filter
  double peak_ = 0;
};

// The same, of encoded frames.
class EncodedTruePeak {
 public:
  explicit EncodedTruePeak(const FrameFormat& format);
  void Add(const std::uint8_t* encoded, std::size_t frames);
  double Peak() const { return meter_.Peak(); }

 private:
  FrameFormat format_;
  TruePeakMeter meter_;
  std::vector<double> values_;
};
