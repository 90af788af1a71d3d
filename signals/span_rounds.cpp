#include "signals/span_rounds.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// Helper threads that live for the whole run, so that what each keeps per thread (a tone's table,
// pink noise's blocks, a transform's twiddles) is made once, not once a round.
class RoundCrew {
 public:
  RoundCrew(unsigned helpers, const std::function<void(std::uint64_t, unsigned)>& make,
            std::uint64_t spans)
      : make_(make), spans_(spans) {
    for (unsigned slot = 1; slot <= helpers; ++slot)
      threads_.emplace_back([this, slot] { Help(slot); });
  }

  ~RoundCrew() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& thread : threads_) thread.join();
  }

  // Spans first .. first + helpers (those below the end), the first on the calling thread.
  void Round(std::uint64_t first) {
    {
      std::lock_guard lock(mutex_);
      first_ = first;
      busy_ = static_cast<unsigned>(threads_.size());
      ++round_;
    }
    wake_.notify_all();
    make_(first, 0);
    std::unique_lock lock(mutex_);
    done_.wait(lock, [this] { return busy_ == 0; });
  }

 private:
  void Help(unsigned slot) {
    std::uint64_t seen = 0;
    for (;;) {
      std::uint64_t span = 0;
      {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [&] { return stopping_ || round_ != seen; });
        if (stopping_) return;
        seen = round_;
        span = first_ + slot;
      }
      if (span < spans_) make_(span, slot);
      std::lock_guard lock(mutex_);
      if (--busy_ == 0) done_.notify_one();
    }
  }

  const std::function<void(std::uint64_t, unsigned)>& make_;
  const std::uint64_t spans_;
  std::vector<std::thread> threads_;
  std::mutex mutex_;
  std::condition_variable wake_, done_;
  std::uint64_t round_ = 0, first_ = 0;
  unsigned busy_ = 0;
  bool stopping_ = false;
};

}  // namespace

bool RunSpansInRounds(std::uint64_t spans, unsigned threads,
                      const std::function<void(std::uint64_t span, unsigned slot)>& make,
                      const std::function<bool(std::uint64_t span, unsigned slot)>& take) {
  const auto width =
      static_cast<unsigned>(std::clamp<std::uint64_t>(spans, 1, std::max(1u, threads)));
  RoundCrew crew(width - 1, make, spans);
  for (std::uint64_t first = 0; first < spans; first += width) {
    const auto count = static_cast<unsigned>(std::min<std::uint64_t>(width, spans - first));
    crew.Round(first);
    for (unsigned slot = 0; slot < count; ++slot)
      if (!take(first + slot, slot)) return false;
  }
  return true;
}

unsigned ThreadsPerFile(unsigned files) {
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  return std::max(1u, cores / std::max(1u, files));
}
