#include "measure/true_peak.h"

#include <algorithm>
#include <cmath>

namespace {

using true_peak::kPhases;
using true_peak::kTaps;

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
constexpr std::size_t kBlockFrames = 256;
static_assert(kBlockFrames >= true_peak::kTaps, "a block holds what the next one looks back on");
// Short, so that a quiet stretch between loud samples is passed over.
constexpr std::size_t kRunFrames = 16;

struct Taps {
  double values[kPhases][kTaps];
};

Taps MakeTaps() {
  Taps taps{};
  for (unsigned phase = 0; phase < kPhases; ++phase)
    for (std::size_t k = 0; k < kTaps; ++k) taps.values[phase][k] = kCoefficients[phase][k] * kStep;
  return taps;
}

const Taps& TheTaps() {
  static const Taps taps = MakeTaps();
  return taps;
}

}  // namespace

double LargestTruePeak(double samplePeak) { return samplePeak * kLargestGain; }

TruePeakMeter::TruePeakMeter(unsigned channels, unsigned rate, double floor, ProcessorPath path)
    : channels_(channels),
      step_(rate < kFourTimesBelow ? 1
            : rate < kTwiceBelow   ? 2
                                   : kPhases),
      filter_(TruePeakFunction(path)),
      history_(channels * (kTaps - 1), 0.0),
      floor_(floor) {}

void TruePeakMeter::Add(const double* interleaved, std::size_t frames) {
  const std::size_t kept = kTaps - 1;
  for (std::size_t done = 0; done < frames; done += kBlockFrames) {
    const std::size_t count = std::min(kBlockFrames, frames - done);
    const double* block = interleaved + done * channels_;
    const double largest = true_peak::LargestMagnitude(block, count * channels_);
    const double looksBackOn = true_peak::LargestMagnitude(history_.data(), history_.size());
    // A quiet block, or no filter: the samples alone, and what the next block looks back on.
    if (step_ == kPhases ||
        std::max(largest, looksBackOn) * kLargestGain <= std::max(peak_, floor_)) {
      peak_ = std::max(peak_, largest);
      for (unsigned channel = 0; channel < channels_; ++channel) {
        double* history = history_.data() + channel * kept;
        const std::size_t taken = std::min(count, kept);
        std::copy(history + taken, history + kept, history);
        for (std::size_t i = 0; i < taken; ++i)
          history[kept - taken + i] = block[(count - taken + i) * channels_ + channel];
      }
      continue;
    }
    for (unsigned channel = 0; channel < channels_; ++channel)
      AddChannelBlock(channel, block, count);
  }
}

void TruePeakMeter::Restart(const double* interleaved, std::size_t frames) {
  const std::size_t kept = kTaps - 1;
  std::fill(history_.begin(), history_.end(), 0.0);
  const std::size_t taken = std::min(frames, kept);
  for (unsigned channel = 0; channel < channels_; ++channel)
    for (std::size_t i = 0; i < taken; ++i)
      history_[channel * kept + kept - taken + i] =
          interleaved[(frames - taken + i) * channels_ + channel];
}

void TruePeakMeter::AddChannelBlock(unsigned channel, const double* interleaved,
                                    std::size_t frames) {
  const std::size_t kept = kTaps - 1;
  double* history = history_.data() + channel * kept;
  window_.resize(kept + frames);
  std::copy(history, history + kept, window_.begin());
  double before = 0;  // the largest |value| the outputs before the next run look back on
  for (std::size_t i = 0; i < kept; ++i) before = std::max(before, std::fabs(history[i]));
  for (std::size_t i = 0; i < frames; ++i) window_[kept + i] = interleaved[i * channels_ + channel];
  // Runs of kRunFrames outputs look back less than a run, so a run's window lies within it and the
  // run before.
  std::size_t pending = 0, pendingCount = 0;
  for (std::size_t start = 0; start < frames; start += kRunFrames) {
    const std::size_t count = std::min(kRunFrames, frames - start);
    double largest = 0;
    for (std::size_t i = start; i < start + count; ++i)
      largest = std::max(largest, std::fabs(window_[kept + i]));
    peak_ = std::max(peak_, largest);
    const bool mayBeat = std::max(largest, before) * kLargestGain > std::max(peak_, floor_);
    before = largest;
    if (step_ == kPhases || !mayBeat) continue;
    if (pendingCount == 0) pending = start;
    if (pending + pendingCount == start) {
      pendingCount += count;
      continue;
    }
    FilterRun(pending, pendingCount);
    pending = start;
    pendingCount = count;
  }
  if (pendingCount > 0) FilterRun(pending, pendingCount);
  std::copy(window_.end() - static_cast<std::ptrdiff_t>(kept), window_.end(), history);
}

void TruePeakMeter::FilterRun(std::size_t start, std::size_t count) {
  peak_ =
      std::max(peak_, filter_(window_.data() + kTaps - 1 + start, count, TheTaps().values, step_));
}

EncodedTruePeak::EncodedTruePeak(const FrameFormat& format, double floor)
    : format_(format), meter_(format.channels, format.rate, floor) {}

void EncodedTruePeak::AddSpan(const std::uint8_t* before, std::size_t framesBefore,
                              const std::uint8_t* encoded, std::size_t frames) {
  const std::size_t taken = std::min(framesBefore, kBlockFrames);
  values_.resize(kBlockFrames * format_.channels);
  DecodeFrames(format_, before + (framesBefore - taken) * FrameBytes(format_), taken,
               values_.data());
  meter_.Restart(values_.data(), taken);
  Add(encoded, frames);
}

// Decoded a block at a time into a buffer that keeps its size.
void EncodedTruePeak::Add(const std::uint8_t* encoded, std::size_t frames) {
  values_.resize(kBlockFrames * format_.channels);
  for (std::size_t done = 0; done < frames; done += kBlockFrames) {
    const std::size_t count = std::min(kBlockFrames, frames - done);
    DecodeFrames(format_, encoded + done * FrameBytes(format_), count, values_.data());
    meter_.Add(values_.data(), count);
  }
}

SpanTruePeaks::SpanTruePeaks(const FrameFormat& format, unsigned places, double floor)
    : meters_(std::max(1u, places), EncodedTruePeak(format, floor)) {}

void SpanTruePeaks::Add(const std::uint8_t* before, std::size_t framesBefore,
                        const std::uint8_t* encoded, std::size_t frames, unsigned place) {
  meters_[place].AddSpan(before, framesBefore, encoded, frames);
}

double SpanTruePeaks::Peak() const {
  double peak = 0;
  for (const EncodedTruePeak& meter : meters_) peak = std::max(peak, meter.Peak());
  return peak;
}
