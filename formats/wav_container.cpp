#include "formats/wav_container.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace {

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatFloat = 3;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;
constexpr std::uint32_t kPlainFormatChunkSize = 16;
constexpr std::uint32_t kExtensibleFormatChunkSize = 40;
constexpr std::uint16_t kExtensionSize = 22;
constexpr std::uint32_t kDs64ChunkSize = 28;
constexpr std::uint32_t kSamplerChunkSize = 36 + 24;  // one loop
constexpr std::uint32_t kFactChunkSize = 4;
constexpr std::uint32_t kChunkHeaderSize = 8;
constexpr std::uint64_t kLargestRiffSize = 0xFFFFFFFFu;
constexpr std::uint32_t kSizeInDs64 = 0xFFFFFFFFu;
constexpr double kNanosecondsPerSecond = 1e9;
constexpr double kA4Note = 69;
constexpr double kA4Frequency = 440;
constexpr double kSemitonesPerOctave = 12;
constexpr double kHighestNote = 127;
constexpr double kTwoTo32 = 4294967296.0;
// The rest of the KSDATAFORMAT_SUBTYPE GUIDs after their first two bytes (the format code).
constexpr std::uint8_t kSubtypeTail[] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                         0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
// The speakers a channel count means (front left, right, centre, LFE, back, side), as
// WAVE_FORMAT_EXTENSIBLE's dwChannelMask; beyond eight channels, none named.
constexpr std::uint32_t kChannelMasks[] = {0, 0x4, 0x3, 0x7, 0x33, 0x37, 0x3F, 0x13F, 0x63F};

class ChunkWriter {
 public:
  void Text(std::string_view text) { bytes_.insert(bytes_.end(), text.begin(), text.end()); }
  void U16(std::uint32_t value) { Little(value, 2); }
  void U32(std::uint32_t value) { Little(value, 4); }
  void U64(std::uint64_t value) {
    U32(static_cast<std::uint32_t>(value));
    U32(static_cast<std::uint32_t>(value >> 32));
  }
  void Bytes(const std::uint8_t* from, std::size_t count) {
    bytes_.insert(bytes_.end(), from, from + count);
  }
  std::vector<std::uint8_t> Take() { return std::move(bytes_); }

 private:
  void Little(std::uint32_t value, unsigned count) {
    for (unsigned i = 0; i < count; ++i)
      bytes_.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  }
  std::vector<std::uint8_t> bytes_;
};

std::uint32_t FormatChunkSize(const WavLayout& layout) {
  return NeedsExtensibleFormat(layout) ? kExtensibleFormatChunkSize : kPlainFormatChunkSize;
}

// Everything the RIFF (or RF64) size counts: the form type and every chunk.
std::uint64_t RiffContentSize(const WavLayout& layout, bool rf64) {
  std::uint64_t size = 4 + kChunkHeaderSize + FormatChunkSize(layout);
  if (rf64) size += kChunkHeaderSize + kDs64ChunkSize;
  if (IsFloat(layout.format)) size += kChunkHeaderSize + kFactChunkSize;
  if (layout.loop) size += kChunkHeaderSize + kSamplerChunkSize;
  return size + kChunkHeaderSize + DataBytes(layout) + WavTrailingPadBytes(layout);
}

void WriteFormatChunk(ChunkWriter& out, const WavLayout& layout) {
  const bool extensible = NeedsExtensibleFormat(layout);
  const std::uint16_t code = IsFloat(layout.format) ? kFormatFloat : kFormatPcm;
  out.Text("fmt ");
  out.U32(FormatChunkSize(layout));
  out.U16(extensible ? kFormatExtensible : code);
  out.U16(layout.channels);
  out.U32(layout.sampleRate);
  out.U32(layout.sampleRate * FrameBytes(layout));
  out.U16(FrameBytes(layout));
  out.U16(BitsPerSample(layout.format));
  if (!extensible) return;
  out.U16(kExtensionSize);
  out.U16(BitsPerSample(layout.format));  // every bit is valid
  out.U32(layout.channels < std::size(kChannelMasks) ? kChannelMasks[layout.channels] : 0);
  out.U16(code);
  out.Bytes(kSubtypeTail, sizeof kSubtypeTail);
}

void WriteSamplerChunk(ChunkWriter& out, const WavLayout& layout) {
  const SamplerPitch pitch = SamplerPitchOf(layout.loopFrequency);
  out.Text("smpl");
  out.U32(kSamplerChunkSize);
  out.U32(0);  // manufacturer
  out.U32(0);  // product
  out.U32(static_cast<std::uint32_t>(std::lround(kNanosecondsPerSecond / layout.sampleRate)));
  out.U32(pitch.unityNote);
  out.U32(pitch.pitchFraction);
  out.U32(0);  // SMPTE format
  out.U32(0);  // SMPTE offset
  out.U32(1);  // loops
  out.U32(0);  // sampler data
  out.U32(0);  // cue point id
  out.U32(0);  // forward
  out.U32(0);  // start
  // The end is the last frame played, inclusive; beyond 32 bits no sampler could loop it anyway.
  out.U32(static_cast<std::uint32_t>(std::min<std::uint64_t>(layout.frames - 1, 0xFFFFFFFFu)));
  out.U32(0);  // fraction
  out.U32(0);  // play count: for ever
}

}  // namespace

unsigned WavTrailingPadBytes(const WavLayout& layout) { return DataBytes(layout) % 2; }

bool NeedsExtensibleFormat(const WavLayout& layout) {
  return BitsPerSample(layout.format) > 16 || layout.channels > 2;
}

bool NeedsRf64(const WavLayout& layout) {
  return layout.forceRf64 || RiffContentSize(layout, false) > kLargestRiffSize;
}

SamplerPitch SamplerPitchOf(double frequency) {
  if (!(frequency > 0)) return {0, 0};
  const double note = kA4Note + kSemitonesPerOctave * std::log2(frequency / kA4Frequency);
  const double clamped = std::clamp(note, 0.0, kHighestNote);
  const double unity = std::floor(clamped);
  const double fraction = std::min(std::nearbyint((clamped - unity) * kTwoTo32), kTwoTo32 - 1);
  return {static_cast<std::uint32_t>(unity), static_cast<std::uint32_t>(fraction)};
}

std::vector<std::uint8_t> WavHeader(const WavLayout& layout) {
  const bool rf64 = NeedsRf64(layout);
  const std::uint64_t riffSize = RiffContentSize(layout, rf64);
  ChunkWriter out;
  out.Text(rf64 ? "RF64" : "RIFF");
  out.U32(rf64 ? kSizeInDs64 : static_cast<std::uint32_t>(riffSize));
  out.Text("WAVE");
  if (rf64) {
    out.Text("ds64");
    out.U32(kDs64ChunkSize);
    out.U64(riffSize);
    out.U64(DataBytes(layout));
    out.U64(layout.frames);
    out.U32(0);  // no table of other chunks' sizes
  }
  WriteFormatChunk(out, layout);
  if (IsFloat(layout.format)) {
    // Every format but PCM states its length in frames here too; RF64 keeps it in ds64.
    out.Text("fact");
    out.U32(kFactChunkSize);
    out.U32(rf64 ? kSizeInDs64 : static_cast<std::uint32_t>(layout.frames));
  }
  if (layout.loop) WriteSamplerChunk(out, layout);
  out.Text("data");
  const std::uint64_t dataBytes = DataBytes(layout);
  out.U32(rf64 ? kSizeInDs64 : static_cast<std::uint32_t>(dataBytes));
  return out.Take();
}

std::uint64_t WavFileBytes(const WavLayout& layout) {
  return WavHeader(layout).size() + DataBytes(layout) + WavTrailingPadBytes(layout);
}

namespace {

class WavWriter : public ContainerWriter {
 public:
  explicit WavWriter(const WavLayout& layout) : layout_(layout) {}

  std::optional<std::uint64_t> FileBytes() const override { return WavFileBytes(layout_); }

  bool Begin(ByteOutput& output) override {
    output_ = &output;
    const std::vector<std::uint8_t> header = WavHeader(layout_);
    return output.Write(header.data(), header.size());
  }

  bool AddFrames(const std::uint8_t* encoded, std::size_t frames) override {
    return output_->Write(encoded, frames * FrameBytes(layout_));
  }

  bool End() override {
    const std::uint8_t pad = 0;
    return WavTrailingPadBytes(layout_) == 0 || output_->Write(&pad, 1);
  }

 private:
  WavLayout layout_;
  ByteOutput* output_ = nullptr;
};

}  // namespace

std::unique_ptr<ContainerWriter> MakeWavWriter(const WavLayout& layout) {
  return std::make_unique<WavWriter>(layout);
}
