// The true peak of sampled signals by ITU-R BS.1770-4 Annex 2: the samples interpolated by its
// 48-tap, 4-phase filter, 4 times over below 96 kHz, twice (its phases 0 and 2) below 192 kHz,
// not at all above; never less than the sample peak. Its coefficients are whole numbers of
// 1/8192, so for samples that are whole numbers of steps every sum is exact; every path sums in
// one order, so for any samples every path and both builds give the same bits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "measure/frame_decoding.h"
#include "measure/true_peak_paths.h"

// The most a true peak can be of samples none of which exceeds `samplePeak`.
double LargestTruePeak(double samplePeak);

class TruePeakMeter {
 public:
  // Below `floor` only whether the true peak passes it matters: Peak() is exact where it does,
  // and may be anything from the sample peak up to `floor` where it does not.
  TruePeakMeter(unsigned channels, unsigned rate, double floor = 0,
                ProcessorPath path = FastestProcessorPath());

  // Frames of interleaved values in full scale 1.0, in order.
  void Add(const double* interleaved, std::size_t frames);
  // The frames before what comes next are these (fewer than the filter's memory: silence before
  // them), not those added last.
  void Restart(const double* interleaved, std::size_t frames);
  // The largest |value| at and between the samples so far.
  double Peak() const { return peak_; }

 private:
  void AddChannelBlock(unsigned channel, const double* interleaved, std::size_t frames);
  // Outputs start .. start + count - 1 of the window.
  void FilterRun(std::size_t start, std::size_t count);

  unsigned channels_;
  unsigned step_;  // between the phases used: 1 (four), 2 (two), 4 (the samples alone)
  LargestInterpolatedFunction filter_;
  std::vector<double> history_;  // the last taps - 1 values of each channel, oldest first
  std::vector<double> window_;   // one channel's history and block, contiguous
  double floor_;
  double peak_ = 0;
};

// The same, of encoded frames.
class EncodedTruePeak {
 public:
  explicit EncodedTruePeak(const FrameFormat& format, double floor = 0);
  void Add(const std::uint8_t* encoded, std::size_t frames);
  // Frames from anywhere in the file, after the frames just before them (fewer at its start).
  void AddSpan(const std::uint8_t* before, std::size_t framesBefore, const std::uint8_t* encoded,
               std::size_t frames);
  double Peak() const { return meter_.Peak(); }

 private:
  FrameFormat format_;
  TruePeakMeter meter_;
  std::vector<double> values_;
};

// The true peak of frames seen span by span, on several threads at once: one meter a thread's
// place, their peaks joined at the end.
class SpanTruePeaks {
 public:
  SpanTruePeaks(const FrameFormat& format, unsigned places, double floor = 0);
  void Add(const std::uint8_t* before, std::size_t framesBefore, const std::uint8_t* encoded,
           std::size_t frames, unsigned place);
  double Peak() const;

 private:
  std::vector<EncodedTruePeak> meters_;
};
