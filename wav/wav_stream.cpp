#include "wav/wav_stream.h"

#include <algorithm>
#include <vector>

std::uint64_t WavFileBytes(const WavLayout& layout) {
  return WavHeader(layout).size() + DataBytes(layout) + WavTrailingPadBytes(layout);
}

bool StreamWavFile(const WavLayout& layout, const SampleEncoding& encoding,
                   const ValueSource& values, const ByteSink& sink, std::size_t blockFrames) {
  const std::vector<std::uint8_t> header = WavHeader(layout);
  if (!sink(header.data(), header.size())) return false;
  const std::size_t frameBytes = std::size_t{layout.channels} * BytesPerSample(layout.format);
  std::vector<double> block(blockFrames);
  std::vector<std::uint8_t> bytes(blockFrames * frameBytes);
  for (std::uint64_t first = 0; first < layout.frames; first += blockFrames) {
    const auto count =
        static_cast<std::size_t>(std::min<std::uint64_t>(blockFrames, layout.frames - first));
    values(first, count, block.data());
    EncodeFrames(encoding, block.data(), count, first, bytes.data());
    if (!sink(bytes.data(), count * frameBytes)) return false;
  }
  const std::uint8_t pad = 0;
  return WavTrailingPadBytes(layout) == 0 || sink(&pad, 1);
}
