#include "plot/plot_collector.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <iterator>

#include "encode/levels.h"
#include "signals/fft.h"
#include "signals/plain_math.h"

namespace {

constexpr double kPeriodsShown = 4;
constexpr double kSecondsShownOfNoise = 0.01;
constexpr std::size_t kFewestShown = 32;
constexpr std::size_t kMostShown = 8192;
constexpr std::size_t kEnvelopeColumns = 1000;
constexpr std::size_t kSegment = 8192;  // Welch's, for rates up to 48 kHz: 5.9 Hz a bin
constexpr std::size_t kSmallestSegment = 256;
// A long file is sampled by this many segments at most, evenly over it: the average settles
// long before, and the picture costs no more than a second however long the file.
constexpr std::uint64_t kMostSegments = 256;
// A sweep is not steady: each segment holds a band of its own, so its segments cover every frame
// alike, from before the first to after the last. At an eighth of a segment apart the squared
// windows sum flat (at a half they would draw a 10 dB comb).
constexpr std::size_t kSweepSegmentsPerFrame = 8;
constexpr std::size_t kResponsePoints = 800;

std::size_t FramesShown(const PlotRequest& request) {
  const double rate = request.format.rate;
  const double shown = request.frequency > 0 ? kPeriodsShown * rate / request.frequency
                                             : kSecondsShownOfNoise * rate;
  const auto frames = static_cast<std::size_t>(std::ceil(shown));
  return std::min<std::uint64_t>(request.frames, std::clamp(frames, kFewestShown, kMostShown));
}

std::size_t SegmentFor(std::uint64_t frames) {
  std::size_t segment = kSmallestSegment;
  while (segment < kSegment && segment < frames) segment *= 2;
  return segment;
}

double PowerDb(double power) { return power > 0 ? 10 * std::log10(power) : kSilenceDb; }

}  // namespace

struct PlotCollector::State {
  PlotRequest request;
  PlotData data;
  std::vector<double> decoded, window, power, pending, sweep;
  std::vector<std::complex<double>> bins;
  bool holding = false;  // a segment waits in bins' real part for a second one
  std::size_t segment = 0;
  std::uint64_t hop = 0, next = 0, segments = 0, frame = 0;
  std::uint64_t position = 0;      // in the frames the segments are cut from, padding included
  std::uint64_t pendingStart = 0;  // the position pending[0] is at
  std::uint64_t padding = 0;       // silence before and after a sweep
  std::uint64_t framesPerColumn = 1;
  double windowGain = 0;

  void Start() {
    segment = SegmentFor(request.frames);
    hop = std::max<std::uint64_t>(segment / 2, request.frames / kMostSegments);
    if (request.envelope) {
      hop = segment / kSweepSegmentsPerFrame;
      padding = segment - hop;
      Pad();
    }
    window.assign(segment, 0.0);
    // Blackman-Harris, 4 terms: side lobes 92 dB down, so a tone's skirt does not hide the
    // floor beside it.
    constexpr double kTerms[] = {0.35875, -0.48829, 0.14128, -0.01168};
    for (std::size_t n = 0; n < segment; ++n) {
      for (std::size_t k = 0; k < std::size(kTerms); ++k)
        window[n] += kTerms[k] * SineOfCycles(static_cast<double>(k * n) / segment + 0.25);
      windowGain += window[n];
    }
    power.assign(segment / 2 + 1, 0.0);
    bins.resize(segment);
    framesPerColumn =
        std::max<std::uint64_t>(1, (request.frames + kEnvelopeColumns - 1) / kEnvelopeColumns);
    data.waveform.reserve(FramesShown(request));
  }

  // Two real segments share one transform, one as its real part and one as its imaginary: at
  // bins k and N - k their powers sum to the same as two transforms' would.
  void Transform(const double* values) {
    ++segments;
    if (!holding) {
      for (std::size_t n = 0; n < segment; ++n) bins[n] = values[n] * window[n];
      holding = true;
      return;
    }
    for (std::size_t n = 0; n < segment; ++n) bins[n].imag(values[n] * window[n]);
    TransformHeld();
  }

  void TransformHeld() {
    TransformInPlace(bins, false);
    for (std::size_t k = 0; k < power.size(); ++k)
      power[k] += (std::norm(bins[k]) + std::norm(bins[(segment - k) % segment])) / 2;
    holding = false;
  }

  // Each segment once it is whole; then what no later segment needs is let go.
  void TakeSegments() {
    for (; next + segment <= position; next += hop)
      Transform(pending.data() + static_cast<std::size_t>(next - pendingStart));
    if (next <= pendingStart) return;
    const auto drop =
        static_cast<std::size_t>(std::min<std::uint64_t>(pending.size(), next - pendingStart));
    pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(drop));
    pendingStart += drop;
  }

  void AddValue(double value) {
    const std::size_t shown = data.waveform.capacity();
    if (data.waveform.size() < shown) data.waveform.push_back(value);
    if (request.envelope) {
      const auto column = static_cast<std::size_t>(frame / framesPerColumn);
      if (column >= data.lowest.size()) {
        data.lowest.push_back(value);
        data.highest.push_back(value);
      }
      data.lowest.back() = std::min(data.lowest.back(), value);
      data.highest.back() = std::max(data.highest.back(), value);
    }
    if (request.inverse) sweep.push_back(value);
    AddToSpectrum(value);
    ++frame;
  }

  void AddToSpectrum(double value) {
    // Frames before the next segment's start are not kept.
    if (position >= next) {
      if (pending.empty()) pendingStart = position;
      pending.push_back(value);
    }
    ++position;
  }

  void Pad() {
    for (std::uint64_t i = 0; i < padding; ++i) AddToSpectrum(0);
  }

  void FinishSpectrum() {
    Pad();
    TakeSegments();
    if (segments == 0) {  // shorter than a segment: the file alone, padded with silence
      pending.resize(segment, 0.0);
      Transform(pending.data());
    }
    if (holding) TransformHeld();
    const double fullScaleSine = windowGain / 2;
    data.binHz = static_cast<double>(request.format.rate) / segment;
    for (double sum : power)
      data.spectrumDb.push_back(
          PowerDb(sum / static_cast<double>(segments) / (fullScaleSine * fullScaleSine)));
  }

  // The sweep as written convolved with its inverse, in the frequency domain: its magnitude over
  // the band, on a logarithmic grid, relative to its median.
  void FinishResponse() {
    const std::vector<double>& inverse = *request.inverse;
    const std::size_t size = FastTransformSize(sweep.size() + inverse.size());
    std::vector<std::complex<double>> a(size), b(size);
    std::copy(sweep.begin(), sweep.end(), a.begin());
    std::copy(inverse.begin(), inverse.end(), b.begin());
    TransformInPlace(a, false);
    TransformInPlace(b, false);
    const double binHz = static_cast<double>(request.format.rate) / static_cast<double>(size);
    const double span = LogOf(request.high / request.low);
    for (std::size_t i = 0; i < kResponsePoints; ++i) {
      const double hz = request.low * ExpOf(span * static_cast<double>(i) / (kResponsePoints - 1));
      const auto bin = std::min(size / 2, static_cast<std::size_t>(std::llround(hz / binHz)));
      data.responseHz.push_back(hz);
      data.responseDb.push_back(PowerDb(std::norm(a[bin] * b[bin])));
    }
    std::vector<double> sorted = data.responseDb;
    std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
    const double median = sorted[sorted.size() / 2];
    for (double& level : data.responseDb) level -= median;
  }
};

PlotCollector::PlotCollector(const PlotRequest& request) : state_(std::make_unique<State>()) {
  state_->request = request;
  state_->data.request = request;
  state_->Start();
}

PlotCollector::~PlotCollector() = default;

void PlotCollector::Add(const std::uint8_t* encoded, std::size_t frames) {
  State& s = *state_;
  const unsigned channels = s.request.format.channels;
  s.decoded.resize(frames * channels);
  DecodeFrames(s.request.format, encoded, frames, s.decoded.data());
  for (std::size_t i = 0; i < frames; ++i) s.AddValue(s.decoded[i * channels]);
  s.TakeSegments();
}

PlotData PlotCollector::Finish() {
  State& s = *state_;
  s.FinishSpectrum();
  if (s.request.inverse && !s.sweep.empty()) s.FinishResponse();
  return std::move(s.data);
}
