#include "measure/frame_meter.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr std::size_t kFramesPerBlock = 16384;

struct LoudnessDeleter {
  void operator()(ebur128_state* state) const { ebur128_destroy(&state); }
};

}  // namespace

struct FrameMeter::State {
  FrameFormat format;
  std::unique_ptr<ebur128_state, LoudnessDeleter> loudness;
  std::vector<double> frames;  // decoded, interleaved
  double peak = 0, sum = 0, sumOfSquares = 0;
  std::uint64_t samples = 0;

  void MeasureBlock(const std::uint8_t* bytes, std::size_t count) {
    frames.resize(count * format.channels);
    DecodeFrames(format, bytes, count, frames.data());
    for (const double value : frames) {
      peak = std::max(peak, std::fabs(value));
      sum += value;
      sumOfSquares += value * value;
    }
    samples += frames.size();
    ebur128_add_frames_double(loudness.get(), frames.data(), count);
  }
};

FrameMeter::FrameMeter(const FrameFormat& format) : state_(std::make_unique<State>()) {
  state_->format = format;
  state_->loudness.reset(
      ebur128_init(format.channels, format.rate, EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK));
}

FrameMeter::~FrameMeter() = default;

void FrameMeter::Add(const std::uint8_t* encoded, std::size_t frames) {
  const std::size_t frameBytes = state_->format.channels * BytesPerSample(state_->format.format);
  for (std::size_t done = 0; done < frames;) {
    const std::size_t run = std::min(kFramesPerBlock, frames - done);
    state_->MeasureBlock(encoded + done * frameBytes, run);
    done += run;
  }
}

FrameMeasures FrameMeter::Finish() {
  State& s = *state_;
  FrameMeasures measures;
  measures.samplePeak = s.peak;
  measures.meanSquare = s.samples > 0 ? s.sumOfSquares / static_cast<double>(s.samples) : 0;
  measures.mean = s.samples > 0 ? s.sum / static_cast<double>(s.samples) : 0;
  for (unsigned channel = 0; channel < s.format.channels; ++channel) {
    double peak = 0;
    if (ebur128_true_peak(s.loudness.get(), channel, &peak) == EBUR128_SUCCESS)
      measures.truePeak = std::max(measures.truePeak, peak);
  }
  if (ebur128_loudness_global(s.loudness.get(), &measures.loudness) != EBUR128_SUCCESS)
    measures.loudness = -HUGE_VAL;
  return measures;
}
