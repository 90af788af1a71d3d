#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "sound/wav_buffer.h"
#include "tests/figures.h"
#include "tests/sound/engine_block.h"

namespace {

struct FormatFigures {
  std::int16_t channels;
  std::int32_t sampleRate;
  std::uint32_t dataSize;
  std::uint32_t riffSize;
  std::size_t blockSize;
  std::uint32_t byteRate;
  std::uint16_t blockAlign;
};

constexpr FormatFigures kOfferedFormats[] = {
    {1, 44100, 1764000, 1764036, 1764044, 88200, 2},
    {2, 44100, 3528000, 3528036, 3528044, 176400, 4},
    {1, 192000, 7680000, 7680036, 7680044, 384000, 2},
    {2, 192000, 15360000, 15360036, 15360044, 768000, 4},
};

std::string Letters(const std::uint8_t* at) {
  return std::string(reinterpret_cast<const char*>(at), 4);
}

bool AllZero(const std::uint8_t* from, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i)
    if (from[i] != 0) return false;
  return true;
}

std::uint8_t* BuildMain(float duration, std::int16_t channels, std::int16_t bytesPerSample,
                        std::int32_t sampleRate) {
  Block = BuildWavBuffer(duration, channels, bytesPerSample, sampleRate);
  return Block;
}

// The header always describes the block it heads, whatever the build was asked for.
void ExpectHeaderMatchesBlock(const std::uint8_t* buffer) {
  EXPECT_EQ(WavBufferBlockSize(), std::size_t{ReadLE32(buffer + kRiffSizeOffset)} + 8);
  EXPECT_EQ(ReadLE32(buffer + kDataSizeOffset) + kRiffSizeOverData,
            ReadLE32(buffer + kRiffSizeOffset));
}

TEST(WavBuffer, LittleEndianFieldsAreWrittenByteByByte) {
  std::uint8_t bytes[4] = {};
  WriteLE32(bytes, 0x11223344u);
  EXPECT_EQ(bytes[0], 0x44);
  EXPECT_EQ(bytes[3], 0x11);
  EXPECT_EQ(ReadLE32(bytes), 0x11223344u);
  WriteLE16(bytes, 0xA1B2u);
  EXPECT_EQ(bytes[0], 0xB2);
  EXPECT_EQ(bytes[1], 0xA1);
  EXPECT_EQ(ReadLE16(bytes), 0xA1B2u);
}

TEST(WavBuffer, OfferedFormatsGiveTheirSizesAndHeaders) {
  for (const FormatFigures& format : kOfferedFormats) {
    SCOPED_TRACE(std::to_string(format.channels) + " channels at " +
                 std::to_string(format.sampleRate));
    const std::uint8_t* buffer = BuildMain(kCapacitySeconds, format.channels, 2, format.sampleRate);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(WavBufferBlockSize(), format.blockSize);
    EXPECT_EQ(Letters(buffer), "RIFF");
    EXPECT_EQ(ReadLE32(buffer + kRiffSizeOffset), format.riffSize);
    EXPECT_EQ(Letters(buffer + 8), "WAVE");
    EXPECT_EQ(Letters(buffer + 12), "fmt ");
    EXPECT_EQ(ReadLE32(buffer + 16), 16u);
    EXPECT_EQ(ReadLE16(buffer + 20), 1u);
    EXPECT_EQ(ReadLE16(buffer + kChannelsOffset), static_cast<std::uint16_t>(format.channels));
    EXPECT_EQ(ReadLE32(buffer + kSampleRateOffset), static_cast<std::uint32_t>(format.sampleRate));
    EXPECT_EQ(ReadLE32(buffer + kByteRateOffset), format.byteRate);
    EXPECT_EQ(ReadLE16(buffer + kBlockAlignOffset), format.blockAlign);
    EXPECT_EQ(ReadLE16(buffer + kBitsPerSampleOffset), 16u);
    EXPECT_EQ(Letters(buffer + 36), "data");
    EXPECT_EQ(ReadLE32(buffer + kDataSizeOffset), format.dataSize);
    EXPECT_TRUE(AllZero(buffer + kWavHeaderSize, format.blockSize - kWavHeaderSize));
  }
}

TEST(WavBuffer, StartValuesBuildTheMonoBuffer) {
  const RenderSettings start = kStartRenderSettings;
  const std::uint8_t* buffer =
      BuildMain(kCapacitySeconds, start.channels, start.bytesPerSample, start.sampleRate);
  EXPECT_EQ(WavBufferBlockSize(), figures::kStartBlockSize);
  EXPECT_EQ(ReadLE32(buffer + kDataSizeOffset), 1764000u);
}

TEST(WavBuffer, ClearEmptiesTheRenderedBytesAndKeepsTheCapacity) {
  std::uint8_t* buffer = BuildMain(kCapacitySeconds, 1, 2, 44100);
  EmptyWavBlock(Block);
  EXPECT_EQ(ReadLE32(buffer + kDataSizeOffset), 0u);
  EXPECT_EQ(ReadLE32(buffer + kRiffSizeOffset), 1764036u);

  RenderShape(buffer, 997.0f, 90, 3.0f, kShapeSquare);
  ASSERT_EQ(ReadLE32(buffer + kDataSizeOffset), 264600u);
  EmptyWavBlock(Block);
  EXPECT_EQ(ReadLE32(buffer + kDataSizeOffset), 0u);
  EXPECT_EQ(ReadLE32(buffer + kRiffSizeOffset), 1764036u);
  EXPECT_TRUE(AllZero(buffer + kWavHeaderSize, 264600));
}

TEST(WavBuffer, ClearOfAnEmptyBufferWritesNoSampleBytes) {
  std::uint8_t* buffer = BuildMain(kCapacitySeconds, 1, 2, 44100);
  EmptyWavBlock(Block);
  buffer[kWavHeaderSize] = 0x5A;
  EmptyWavBlock(Block);
  EXPECT_EQ(buffer[kWavHeaderSize], 0x5A);
  EXPECT_EQ(ReadLE32(buffer + kDataSizeOffset), 0u);
}

TEST(WavBuffer, ClearStaysInsideTheBlockWhateverTheDataSizeSays) {
  std::uint8_t* buffer = BuildMain(0.01f, 1, 2, 44100);  // 882 data bytes
  ASSERT_EQ(WavBufferBlockSize(), 926u);
  WriteLE32(buffer + kDataSizeOffset, 0xFFFFFFFFu);  // the sanitizer build sees any overrun
  EmptyWavBlock(Block);
  EXPECT_EQ(ReadLE32(buffer + kDataSizeOffset), 0u);
}

TEST(WavBuffer, ClearWithoutABufferOrWithAStaleOneDoesNothing) {
  Block = nullptr;
  EmptyWavBlock(Block);  // must not crash

  std::uint8_t* before = BuildMain(kCapacitySeconds, 1, 2, 44100);
  std::uint8_t* after = BuildWavBuffer(kCapacitySeconds, 2, 2, 44100);
  if (before != after) {  // the allocator may hand out the same address again
    EXPECT_EQ(WavBlockSizeOf(before), 0u);
    Block = before;
    EmptyWavBlock(Block);  // the freed block is not written (the sanitizer build would see it)
  }
  EXPECT_EQ(WavBlockSizeOf(after), 3528044u);
  EXPECT_EQ(ReadLE32(after + kDataSizeOffset), 3528000u);
}

TEST(WavBuffer, HostileFormatsBuildAnEmptyImage) {
  constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
  constexpr float kInfinity = std::numeric_limits<float>::infinity();
  struct Request {
    float duration;
    std::int16_t channels;
    std::int16_t bytesPerSample;
    std::int32_t sampleRate;
  };
  const Request requests[] = {
      {kNaN, 1, 2, 44100},   {-20.0f, 1, 2, 44100},  {-kInfinity, 2, 2, 192000},
      {0.0f, 1, 2, 44100},   {20.0f, 0, 2, 44100},   {20.0f, -2, 2, 44100},
      {20.0f, 1, 0, 44100},  {20.0f, -1, -2, 44100}, {20.0f, 1, 2, 0},
      {20.0f, 1, 2, -44100}, {-20.0f, -1, 2, 44100}, {1e-30f, 2, 2, 192000},
  };
  for (const Request& r : requests) {
    SCOPED_TRACE(std::to_string(r.duration) + "s " + std::to_string(r.channels) + "ch " +
                 std::to_string(r.bytesPerSample) + "B " + std::to_string(r.sampleRate) + "Hz");
    const std::uint8_t* buffer = BuildMain(r.duration, r.channels, r.bytesPerSample, r.sampleRate);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(WavBufferBlockSize(), kWavHeaderSize);
    EXPECT_EQ(ReadLE32(buffer + kDataSizeOffset), 0u);
    ExpectHeaderMatchesBlock(buffer);
    EmptyWavBlock(Block);
    RenderShape(Block, 997.0f, 90, 3.0f, kShapeSine);
    EXPECT_EQ(ReadLE32(buffer + kDataSizeOffset), 0u);
  }
}

TEST(WavBuffer, OversizedRequestsStopAtTheLargestImage) {
  // 1e30 s cannot be described by a 32-bit RIFF size. The block is either the largest image or,
  // where that much memory cannot be had (the 32-bit build), an image with no room at all.
  const std::uint8_t* buffer = BuildMain(1e30f, 2, 2, 192000);
  ASSERT_NE(buffer, nullptr);
  ExpectHeaderMatchesBlock(buffer);
  const std::uint32_t dataSize = ReadLE32(buffer + kDataSizeOffset);
  EXPECT_TRUE(dataSize == kLargestWavDataSize || dataSize == 0u) << dataSize;
  if (sizeof(void*) == 4) {
    EXPECT_EQ(dataSize, 0u);
  }
  EXPECT_EQ(ReadLE32(buffer + kByteRateOffset), 768000u);
  BuildMain(kCapacitySeconds, 1, 2, 44100);  // give the memory back
}

}  // namespace
