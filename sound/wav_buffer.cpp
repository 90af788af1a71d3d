#include "sound/wav_buffer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

// The constant fields of every header: the chunk names, format chunk size 16 and format tag 1
// (integer PCM). A build writes the rest.
constexpr std::array<std::uint8_t, kWavHeaderSize> kHeaderPreset = {
    'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16,  0,   0, 0, 1, 0,
    0,   0,   0,   0,   0, 0, 0, 0, 0,   0,   0,   0,   0,   0,   'd', 'a', 't', 'a', 0, 0, 0, 0};
// The header of the last block built: each build writes its fields here before the header is
// copied into the block.
std::array<std::uint8_t, kWavHeaderSize> gHeaderTemplate = kHeaderPreset;

std::uint8_t* gLastBlock = nullptr;
std::size_t gLastBlockSize = 0;
// Nothing has written samples into the last block since it was built, so it is still silent
// and a clear has nothing to do: after a format change that saves touching 15 MB twice.
bool gLastBlockSilent = false;

// Stands in for a block that could not be allocated: a header with no room for samples, so the
// synthesis renders nothing and saving finds nothing rendered, instead of writing through null.
std::uint8_t gNoRoomImage[kWavHeaderSize];

std::uint32_t DataSizeFor(float duration, std::int16_t channels, std::int16_t bytesPerSample,
                          std::int32_t sampleRate) {
  const double samples = std::nearbyint(static_cast<double>(sampleRate) * duration);
  if (!(samples > 0) || channels <= 0 || bytesPerSample <= 0) return 0;  // NaN lands here too
  const double largest = kLargestWavDataSize;
  const double dataSize = std::min(samples, largest) * bytesPerSample * channels;
  return dataSize < largest ? static_cast<std::uint32_t>(dataSize) : kLargestWavDataSize;
}

void WriteHeader(std::uint8_t* header, std::uint32_t dataSize, std::int16_t channels,
                 std::int16_t bytesPerSample, std::int32_t sampleRate) {
  // Fields wrap to their width when a caller passes a format no WAV file can hold.
  const std::int64_t byteRate = std::int64_t{sampleRate} * bytesPerSample * channels;
  WriteLE32(header + kRiffSizeOffset, dataSize + kRiffSizeOverData);
  WriteLE16(header + kChannelsOffset, static_cast<std::uint16_t>(channels));
  WriteLE32(header + kSampleRateOffset, static_cast<std::uint32_t>(sampleRate));
  WriteLE32(header + kByteRateOffset, static_cast<std::uint32_t>(byteRate));
  WriteLE16(header + kBlockAlignOffset, static_cast<std::uint16_t>(channels * bytesPerSample));
  WriteLE16(header + kBitsPerSampleOffset,
            static_cast<std::uint16_t>(bytesPerSample * kBitsPerByte));
  WriteLE32(header + kDataSizeOffset, dataSize);
}

// Zeroes the samples the data size covers, unless the block is known to be silent still, and
// sets the data size to 0.
void EmptyBlock(std::uint8_t* block, std::size_t blockSize, bool silent) {
  if (blockSize < kWavHeaderSize) return;
  const std::size_t room = blockSize - kWavHeaderSize;
  const std::size_t dataSize = std::min<std::size_t>(ReadLE32(block + kDataSizeOffset), room);
  if (!silent) std::memset(block + kWavHeaderSize, 0, dataSize);
  SetWavDataSize(block, 0);
}

void ReleaseLastBlock() {
  if (gLastBlock != gNoRoomImage) std::free(gLastBlock);
  gLastBlock = nullptr;
  gLastBlockSize = 0;
}

}  // namespace

void CopyFileHeader(const std::uint8_t* buffer, std::uint8_t* header) {
  std::memcpy(header, buffer, kWavHeaderSize);
  WriteLE32(header + kRiffSizeOffset, ReadLE32(buffer + kDataSizeOffset) + kRiffSizeOverData);
}

std::uint8_t* BuildWavBuffer(float duration, std::int16_t channels, std::int16_t bytesPerSample,
                             std::int32_t sampleRate) {
  const std::uint32_t dataSize = DataSizeFor(duration, channels, bytesPerSample, sampleRate);
  WriteHeader(gHeaderTemplate.data(), dataSize, channels, bytesPerSample, sampleRate);
  ReleaseLastBlock();

  const std::size_t blockSize = std::size_t{dataSize} + kWavHeaderSize;  // RIFF size + 8
  gLastBlock = static_cast<std::uint8_t*>(std::calloc(blockSize, 1));    // zero is silence
  gLastBlockSize = blockSize;
  gLastBlockSilent = true;
  if (gLastBlock == nullptr) {
    WriteLE32(gHeaderTemplate.data() + kRiffSizeOffset, kRiffSizeOverData);
    WriteLE32(gHeaderTemplate.data() + kDataSizeOffset, 0);
    gLastBlock = gNoRoomImage;
    gLastBlockSize = kWavHeaderSize;
  }
  std::memcpy(gLastBlock, gHeaderTemplate.data(), kWavHeaderSize);
  return gLastBlock;
}

std::size_t WavBufferBlockSize() { return gLastBlockSize; }

void SetWavDataSize(std::uint8_t* buffer, std::uint32_t dataSize) {
  WriteLE32(buffer + kDataSizeOffset, dataSize);
  if (dataSize != 0 && buffer == gLastBlock) gLastBlockSilent = false;
}

std::size_t WavBlockSizeOf(const std::uint8_t* buffer) {
  return buffer != nullptr && buffer == gLastBlock ? gLastBlockSize : 0;
}

WavImage BuildWavImage(float duration, std::int16_t channels, std::int16_t bytesPerSample,
                       std::int32_t sampleRate) {
  const std::uint32_t dataSize = DataSizeFor(duration, channels, bytesPerSample, sampleRate);
  const std::size_t blockSize = std::size_t{dataSize} + kWavHeaderSize;
  WavImage image{WavImage::Block(static_cast<std::uint8_t*>(std::calloc(blockSize, 1))), 0};
  if (image.block == nullptr) return image;
  image.size = blockSize;
  std::memcpy(image.block.get(), kHeaderPreset.data(), kWavHeaderSize);
  WriteHeader(image.block.get(), dataSize, channels, bytesPerSample, sampleRate);
  return image;
}

void EmptyWavImage(WavImage& image) { EmptyBlock(image.block.get(), image.size, false); }

void EmptyWavBlock(std::uint8_t* buffer) {
  EmptyBlock(buffer, WavBlockSizeOf(buffer), gLastBlockSilent);
}
