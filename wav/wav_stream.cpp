#include "wav/wav_stream.h"

#include <algorithm>
#include <vector>

#include "signals/span_rounds.h"

namespace {

// Bytes a thread makes at once: enough work to be worth a thread, and long enough that signals
// made in long blocks of their own (pink noise) seldom make one block on two threads.
constexpr std::uint64_t kSpanBytes = std::uint64_t{4} << 20;

}  // namespace

std::uint64_t WavFileBytes(const WavLayout& layout) {
  return WavHeader(layout).size() + DataBytes(layout) + WavTrailingPadBytes(layout);
}

bool StreamWavFile(const WavLayout& layout, const SampleEncoding& encoding,
                   const ValueSource& values, const ByteSink& sink, std::size_t blockFrames,
                   unsigned threads) {
  const std::vector<std::uint8_t> header = WavHeader(layout);
  if (!sink(header.data(), header.size())) return false;
  const std::size_t frameBytes = FrameBytes(layout);
  const std::uint64_t spanFrames =
      std::max<std::uint64_t>(1, kSpanBytes / frameBytes / blockFrames) * blockFrames;
  const std::uint64_t spans = (layout.frames + spanFrames - 1) / spanFrames;
  struct Slot {
    std::vector<double> block;
    std::vector<std::uint8_t> bytes;
  };
  std::vector<Slot> slots(std::max(1u, threads));
  const auto make = [&](std::uint64_t span, unsigned slot) {
    Slot& own = slots[slot];
    const std::uint64_t first = span * spanFrames;
    const std::uint64_t frames = std::min(spanFrames, layout.frames - first);
    own.block.resize(blockFrames);
    own.bytes.resize(static_cast<std::size_t>(frames) * frameBytes);
    for (std::uint64_t done = 0; done < frames; done += blockFrames) {
      const auto count =
          static_cast<std::size_t>(std::min<std::uint64_t>(blockFrames, frames - done));
      values(first + done, count, own.block.data());
      EncodeFrames(encoding, own.block.data(), count, first + done,
                   own.bytes.data() + static_cast<std::size_t>(done) * frameBytes);
    }
  };
  const auto take = [&](std::uint64_t, unsigned slot) {
    return sink(slots[slot].bytes.data(), slots[slot].bytes.size());
  };
  if (!RunSpansInRounds(spans, threads, make, take)) return false;
  const std::uint8_t pad = 0;
  return WavTrailingPadBytes(layout) == 0 || sink(&pad, 1);
}
