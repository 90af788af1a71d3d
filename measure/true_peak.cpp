#include "measure/true_peak.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr std::size_t kTaps = 12;
constexpr unsigned kPhases = 4;
constexpr double kStep = 1.0 / 8192;
// BS.1770-4 Annex 2, table 1, in 1/8192: phase p interpolates p/4 of a period on, its taps
// applied to the newest sample first.
constexpr int kCoefficients[kPhases][kTaps] = {
    {14, 90, -161, 272, -487, 1125, 7964, -838, 390, -218, 122, -68},
    {-239, 240, -424, 730, -1364, 3810, 6388, -1641, 832, -477, 271, -155},
    {-155, 271, -477, 832, -1641, 6388, 3810, -1364, 730, -424, 240, -239},
    {-68, 122, -218, 390, -838, 7964, 1125, -487, 272, -161, 90, 14}};
// No interpolated value exceeds the largest |sample| of its window by more than the largest sum
// of a phase's |coefficients|: a block whose samples cannot beat the peak so far is passed over.
constexpr double kLargestGain = 16571.0 / 8192;
constexpr unsigned kFourTimesBelow = 96000;
constexpr unsigned kTwiceBelow = 192000;
constexpr std::size_t kBlockFrames = 64;

}  // namespace

TruePeakMeter::TruePeakMeter(unsigned channels, unsigned rate)
    : channels_(channels),
      phaseStep_(rate < kFourTimesBelow ? 1
                 : rate < kTwiceBelow   ? 2
                                        : kPhases),
      history_(channels * (kTaps - 1), 0.0) {}

void TruePeakMeter::Add(const double* interleaved, std::size_t frames) {
  for (std::size_t done = 0; done < frames; done += kBlockFrames)
    AddBlock(interleaved + done * channels_, std::min(kBlockFrames, frames - done));
}

void TruePeakMeter::AddBlock(const double* interleaved, std::size_t frames) {
  const std::size_t kept = kTaps - 1;
  for (unsigned channel = 0; channel < channels_; ++channel) {
    double* history = history_.data() + channel * kept;
    window_.assign(history, history + kept);
    double largest = 0;
    for (std::size_t i = 0; i < frames; ++i) {
      const double value = interleaved[i * channels_ + channel];
      window_.push_back(value);
      largest = std::max(largest, std::fabs(value));
    }
    peak_ = std::max(peak_, largest);
    for (std::size_t i = 0; i < kept; ++i) largest = std::max(largest, std::fabs(history[i]));
    if (phaseStep_ < kPhases && largest * kLargestGain > peak_) {
      for (std::size_t n = kept; n < window_.size(); ++n)
        for (unsigned phase = 0; phase < kPhases; phase += phaseStep_) {
          double sum = 0;
          for (std::size_t k = 0; k < kTaps; ++k) sum += kCoefficients[phase][k] * window_[n - k];
          peak_ = std::max(peak_, std::fabs(sum) * kStep);
        }
    }
    std::copy(window_.end() - static_cast<std::ptrdiff_t>(kept), window_.end(), history);
  }
}

EncodedTruePeak::EncodedTruePeak(const FrameFormat& format)
    : format_(format), meter_(format.channels, format.rate) {}

void EncodedTruePeak::Add(const std::uint8_t* encoded, std::size_t frames) {
  values_.resize(frames * format_.channels);
  DecodeFrames(format_, encoded, frames, values_.data());
  meter_.Add(values_.data(), frames);
}
