#include "encode/frame_stream.h"

#include <algorithm>
#include <vector>

#include "signals/span_rounds.h"

namespace {

// Bytes a thread makes at once: enough work to be worth a thread, and long enough that signals
// made in long blocks of their own (pink noise) seldom make one block on two threads.
constexpr std::uint64_t kSpanBytes = std::uint64_t{4} << 20;

}  // namespace

bool StreamEncodedFrames(const ValueSource& values, const SampleEncoding& encoding,
                         std::uint64_t frames, const FrameSink& sink, std::size_t blockFrames,
                         unsigned threads, const SpanObserver& observer) {
  const std::size_t frameBytes = std::size_t{encoding.channels} * BytesPerSample(encoding.format);
  const std::uint64_t spanFrames =
      std::max<std::uint64_t>(1, kSpanBytes / frameBytes / blockFrames) * blockFrames;
  const std::uint64_t spans = (frames + spanFrames - 1) / spanFrames;
  struct Slot {
    std::vector<double> block;
    std::vector<std::uint8_t> bytes;
    std::vector<std::uint8_t> before;
  };
  std::vector<Slot> slots(std::max(1u, threads));
  const auto make = [&](std::uint64_t span, unsigned slot) {
    Slot& own = slots[slot];
    const std::uint64_t first = span * spanFrames;
    const std::uint64_t count = std::min(spanFrames, frames - first);
    own.block.resize(blockFrames);
    own.bytes.resize(static_cast<std::size_t>(count) * frameBytes);
    for (std::uint64_t done = 0; done < count; done += blockFrames) {
      const auto block =
          static_cast<std::size_t>(std::min<std::uint64_t>(blockFrames, count - done));
      values(first + done, block, own.block.data());
      EncodeFrames(encoding, own.block.data(), block, first + done,
                   own.bytes.data() + static_cast<std::size_t>(done) * frameBytes);
    }
    if (!observer) return;
    // The frames before the span, made again: each frame depends on its index alone.
    const auto framesBefore =
        static_cast<std::size_t>(std::min<std::uint64_t>(first, kFramesBeforeSpan));
    own.before.resize(framesBefore * frameBytes);
    values(first - framesBefore, framesBefore, own.block.data());
    EncodeFrames(encoding, own.block.data(), framesBefore, first - framesBefore, own.before.data());
    observer({own.before.data(), framesBefore, own.bytes.data(), static_cast<std::size_t>(count),
              first, slot});
  };
  const auto take = [&](std::uint64_t, unsigned slot) {
    return sink(slots[slot].bytes.data(), slots[slot].bytes.size() / frameBytes);
  };
  return RunSpansInRounds(spans, threads, make, take);
}
