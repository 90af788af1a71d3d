#include "formats/flac_writer.h"

#include <FLAC/stream_encoder.h>

#include <algorithm>
#include <vector>

namespace {

// flac's own default: a good size for little time.
constexpr unsigned kCompressionLevel = 5;
constexpr std::size_t kFramesPerCall = 4096;
constexpr unsigned kBitsPerByte = 8;

struct EncoderDeleter {
  void operator()(FLAC__StreamEncoder* encoder) const { FLAC__stream_encoder_delete(encoder); }
};

// A little-endian sample of `bytes` bytes, sign-extended.
FLAC__int32 ReadSample(const std::uint8_t* at, unsigned bytes) {
  std::uint32_t word = 0;
  for (unsigned i = 0; i < bytes; ++i) word |= std::uint32_t{at[i]} << (kBitsPerByte * i);
  const unsigned unused = kBitsPerByte * (4 - bytes);
  return static_cast<FLAC__int32>(word << unused) >> unused;
}

class FlacWriter : public ContainerWriter {
 public:
  explicit FlacWriter(const StreamLayout& layout) : layout_(layout) {}

  std::optional<std::uint64_t> FileBytes() const override { return std::nullopt; }

  bool Begin(ByteOutput& output) override {
    output_ = &output;
    encoder_.reset(FLAC__stream_encoder_new());
    if (!encoder_) return Failed("libFLAC could not make an encoder");
    const unsigned bits = BitsPerSample(layout_.format);
    FLAC__StreamEncoder* encoder = encoder_.get();
    // Beyond 24 bits or the subset's rates the stream is still FLAC, for every decoder that
    // reads the whole format.
    FLAC__stream_encoder_set_streamable_subset(
        encoder, bits <= 24 && FLAC__format_sample_rate_is_subset(layout_.sampleRate));
    FLAC__stream_encoder_set_channels(encoder, layout_.channels);
    FLAC__stream_encoder_set_bits_per_sample(encoder, bits);
    FLAC__stream_encoder_set_sample_rate(encoder, layout_.sampleRate);
    FLAC__stream_encoder_set_compression_level(encoder, kCompressionLevel);
    FLAC__stream_encoder_set_total_samples_estimate(encoder, layout_.frames);
    const bool seekable = output.CanSeek();
    const FLAC__StreamEncoderInitStatus status = FLAC__stream_encoder_init_stream(
        encoder, Write, seekable ? Seek : nullptr, seekable ? Tell : nullptr, nullptr, this);
    if (status == FLAC__STREAM_ENCODER_INIT_STATUS_OK) return true;
    if (outputFailed_) return false;
    return Failed(std::string("libFLAC refused the stream: ") +
                  FLAC__StreamEncoderInitStatusString[status]);
  }

  bool AddFrames(const std::uint8_t* encoded, std::size_t frames) override {
    const unsigned bytes = BytesPerSample(layout_.format);
    const std::size_t perFrame = layout_.channels;
    while (frames > 0) {
      const std::size_t count = std::min(frames, kFramesPerCall);
      samples_.resize(count * perFrame);
      for (std::size_t i = 0; i < samples_.size(); ++i)
        samples_[i] = ReadSample(encoded + i * bytes, bytes);
      if (!FLAC__stream_encoder_process_interleaved(encoder_.get(), samples_.data(),
                                                    static_cast<unsigned>(count)))
        return EncoderFailed();
      encoded += count * perFrame * bytes;
      frames -= count;
    }
    return true;
  }

  bool End() override {
    // Writes the last frames, then the checksum and sizes into STREAMINFO where it can seek.
    return FLAC__stream_encoder_finish(encoder_.get()) || EncoderFailed();
  }

  std::string Fault() const override { return fault_; }

 private:
  static FLAC__StreamEncoderWriteStatus Write(const FLAC__StreamEncoder*, const FLAC__byte bytes[],
                                              size_t count, uint32_t, uint32_t, void* data) {
    auto* self = static_cast<FlacWriter*>(data);
    if (!self->output_->Write(bytes, count)) {
      self->outputFailed_ = true;
      return FLAC__STREAM_ENCODER_WRITE_STATUS_FATAL_ERROR;
    }
    self->position_ += count;
    return FLAC__STREAM_ENCODER_WRITE_STATUS_OK;
  }

  static FLAC__StreamEncoderSeekStatus Seek(const FLAC__StreamEncoder*, FLAC__uint64 offset,
                                            void* data) {
    auto* self = static_cast<FlacWriter*>(data);
    if (!self->output_->Seek(offset)) {
      self->outputFailed_ = true;
      return FLAC__STREAM_ENCODER_SEEK_STATUS_ERROR;
    }
    self->position_ = offset;
    return FLAC__STREAM_ENCODER_SEEK_STATUS_OK;
  }

  static FLAC__StreamEncoderTellStatus Tell(const FLAC__StreamEncoder*, FLAC__uint64* offset,
                                            void* data) {
    *offset = static_cast<FlacWriter*>(data)->position_;
    return FLAC__STREAM_ENCODER_TELL_STATUS_OK;
  }

  bool Failed(std::string fault) {
    fault_ = std::move(fault);
    return false;
  }

  // The output's own reason where it failed, else the encoder's state in libFLAC's words.
  bool EncoderFailed() {
    if (outputFailed_) return false;
    return Failed(std::string("libFLAC failed: ") +
                  FLAC__stream_encoder_get_resolved_state_string(encoder_.get()));
  }

  StreamLayout layout_;
  ByteOutput* output_ = nullptr;
  std::unique_ptr<FLAC__StreamEncoder, EncoderDeleter> encoder_;
  std::vector<FLAC__int32> samples_;
  std::uint64_t position_ = 0;
  bool outputFailed_ = false;
  std::string fault_;
};

}  // namespace

std::string FlacFault(const StreamLayout& layout) {
  if (IsFloat(layout.format))
    return "FLAC holds integer samples only; give --format pcm16, pcm24 or pcm32, or write WAV";
  if (layout.loop) return "a sampler loop is a WAV chunk, which FLAC has not; write WAV for --loop";
  if (layout.channels < 1 || layout.channels > FLAC__MAX_CHANNELS)
    return "FLAC holds 1 to " + std::to_string(FLAC__MAX_CHANNELS) + " channels";
  if (!FLAC__format_sample_rate_is_valid(layout.sampleRate))
    return "FLAC holds no rate of " + std::to_string(layout.sampleRate) + " Hz";
  return "";
}

std::unique_ptr<ContainerWriter> MakeFlacWriter(const StreamLayout& layout) {
  return std::make_unique<FlacWriter>(layout);
}
