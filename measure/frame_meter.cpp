#include "measure/frame_meter.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace {

constexpr std::size_t kFramesPerBlock = 16384;
// The writer hands the measuring thread runs of about this many bytes, and runs ahead of it by a
// few at most, so that memory stays bounded whatever the file's length.
constexpr std::size_t kHandOverBytes = std::size_t{1} << 20;
constexpr std::size_t kMostWaiting = 4;

struct LoudnessDeleter {
  void operator()(ebur128_state* state) const { ebur128_destroy(&state); }
};

}  // namespace

struct FrameMeter::State {
  FrameFormat format;
  std::unique_ptr<ebur128_state, LoudnessDeleter> loudness;
  std::vector<double> frames;  // decoded, interleaved
  // Sums kept apart by the sample's place in the file modulo kLanes, so that the additions need
  // not wait on each other, whatever runs the frames come in.
  static constexpr std::size_t kLanes = 4;
  double peak = 0, sums[kLanes] = {}, sumsOfSquares[kLanes] = {};
  std::uint64_t samples = 0;

  // Loudness filtering is most of measuring's cost: it runs on a thread of its own beside the
  // writing, where the machine has a second core.
  std::thread worker;
  std::mutex lock;
  std::condition_variable changed;
  std::deque<std::vector<std::uint8_t>> waiting, spare;
  std::vector<std::uint8_t> filling;
  bool finished = false;

  void MeasureRun(const std::uint8_t* bytes, std::size_t frames) {
    for (std::size_t done = 0; done < frames;) {
      const std::size_t run = std::min(kFramesPerBlock, frames - done);
      MeasureBlock(bytes + done * FrameBytes(format), run);
      done += run;
    }
  }

  void HandOver() {
    std::unique_lock<std::mutex> held(lock);
    changed.wait(held, [this] { return waiting.size() < kMostWaiting; });
    waiting.push_back(std::move(filling));
    if (!spare.empty()) {
      filling = std::move(spare.front());
      spare.pop_front();
    }
    filling.clear();
    changed.notify_all();
  }

  void Work() {
    for (;;) {
      std::vector<std::uint8_t> run;
      {
        std::unique_lock<std::mutex> held(lock);
        changed.wait(held, [this] { return !waiting.empty() || finished; });
        if (waiting.empty()) return;
        run = std::move(waiting.front());
        waiting.pop_front();
        changed.notify_all();
      }
      MeasureRun(run.data(), run.size() / FrameBytes(format));
      std::lock_guard<std::mutex> held(lock);
      spare.push_back(std::move(run));
    }
  }

  // The sums in locals, which the compiler keeps in registers.
  void AddToSums(const double* values, std::size_t count, std::uint64_t place) {
    double largest = peak, sum[kLanes], squares[kLanes];
    std::copy(sums, sums + kLanes, sum);
    std::copy(sumsOfSquares, sumsOfSquares + kLanes, squares);
    const auto add = [&](double value, std::size_t lane) {
      largest = std::max(largest, std::fabs(value));
      sum[lane] += value;
      squares[lane] += value * value;
    };
    std::size_t i = 0;
    for (; i < count && (place + i) % kLanes != 0; ++i) add(values[i], (place + i) % kLanes);
    for (; i + kLanes <= count; i += kLanes)
      for (std::size_t lane = 0; lane < kLanes; ++lane) add(values[i + lane], lane);
    for (; i < count; ++i) add(values[i], (place + i) % kLanes);
    peak = largest;
    std::copy(sum, sum + kLanes, sums);
    std::copy(squares, squares + kLanes, sumsOfSquares);
  }

  void MeasureBlock(const std::uint8_t* bytes, std::size_t count) {
    frames.resize(count * format.channels);
    DecodeFrames(format, bytes, count, frames.data());
    AddToSums(frames.data(), frames.size(), samples);
    samples += frames.size();
    ebur128_add_frames_double(loudness.get(), frames.data(), count);
  }
};

FrameMeter::FrameMeter(const FrameFormat& format) : state_(std::make_unique<State>()) {
  state_->format = format;
  // Loudness alone: the true peak is the standard's own filter, measured beside it.
  state_->loudness.reset(ebur128_init(format.channels, format.rate, EBUR128_MODE_I));
  if (std::thread::hardware_concurrency() > 1)
    state_->worker = std::thread([state = state_.get()] { state->Work(); });
}

FrameMeter::~FrameMeter() { Stop(); }

void FrameMeter::Stop() {
  if (!state_->worker.joinable()) return;
  {
    std::lock_guard<std::mutex> held(state_->lock);
    state_->finished = true;
    state_->changed.notify_all();
  }
  state_->worker.join();
}

void FrameMeter::Add(const std::uint8_t* encoded, std::size_t frames) {
  State& s = *state_;
  if (!s.worker.joinable()) return s.MeasureRun(encoded, frames);
  s.filling.insert(s.filling.end(), encoded, encoded + frames * FrameBytes(s.format));
  if (s.filling.size() >= kHandOverBytes) s.HandOver();
}

FrameMeasures FrameMeter::Finish() {
  State& s = *state_;
  if (!s.filling.empty() && s.worker.joinable()) s.HandOver();
  Stop();
  FrameMeasures measures;
  measures.samplePeak = s.peak;
  const double sum = (s.sums[0] + s.sums[1]) + (s.sums[2] + s.sums[3]);
  const double sumOfSquares =
      (s.sumsOfSquares[0] + s.sumsOfSquares[1]) + (s.sumsOfSquares[2] + s.sumsOfSquares[3]);
  measures.meanSquare = s.samples > 0 ? sumOfSquares / static_cast<double>(s.samples) : 0;
  measures.mean = s.samples > 0 ? sum / static_cast<double>(s.samples) : 0;
  if (ebur128_loudness_global(s.loudness.get(), &measures.loudness) != EBUR128_SUCCESS)
    measures.loudness = -HUGE_VAL;
  return measures;
}
