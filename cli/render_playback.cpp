#include "cli/render_playback.h"

#include "cli/interruption.h"

namespace {

constexpr char kStoppedText[] = "Stopped";

std::string FormatText(const PlayedFormat& format) {
  return std::string(SampleFormatName(format.format)) + ", " + std::to_string(format.rate) +
         " Hz, " + std::to_string(format.channels) + " channel" + (format.channels == 1 ? "" : "s");
}

// Playing ended early: by Ctrl-C (no reason) or by the device.
bool Unheard(const std::string& reason, std::string& message) {
  message = reason.empty() ? kStoppedText : "The sound device failed: " + reason;
  return false;
}

bool Heard(AlsaPlayer& player, std::string& message) {
  std::string reason;
  return player.Finish(Interrupted, reason) || Unheard(reason, message);
}

}  // namespace

std::unique_ptr<AlsaPlayer> OpenPlayer(const PlayedFormat& format, std::string& message) {
  bool missing = false;
  std::string reason;
  std::unique_ptr<AlsaPlayer> player = AlsaPlayer::Open(format, missing, reason);
  if (missing) message = kNoSoundDeviceText;
  if (!player && !missing)
    message = "The sound device cannot play " + FormatText(format) + ": " + reason;
  return player;
}

bool PlayStream(AlsaPlayer& player, const WavLayout& layout, const SampleEncoding& encoding,
                const ValueSource& values, unsigned times, std::optional<FileMeasures>& measures,
                std::string& message) {
  const std::uint64_t headerBytes = WavHeader(layout).size();
  const std::uint64_t dataEnd = headerBytes + DataBytes(layout);
  const std::size_t frameBytes = FrameBytes(layout);
  std::optional<WavMeter> meter;
  if (measures)
    meter.emplace(WavDataPlace{layout.format, layout.channels, layout.sampleRate, headerBytes,
                               DataBytes(layout)});
  for (unsigned pass = 0; pass < times; ++pass) {
    std::uint64_t at = 0;
    std::string reason;
    // The stream's pieces are the header, whole frames, then the pad byte.
    const bool played =
        StreamWavFile(layout, encoding, values, [&](const std::uint8_t* bytes, std::size_t count) {
          if (meter && pass == 0) meter->Add(bytes, count);
          const bool samples = at >= headerBytes && at < dataEnd;
          at += count;
          return !samples || player.Play(bytes, count / frameBytes, Interrupted, reason);
        });
    if (!played) return Unheard(reason, message);
  }
  if (meter) measures = meter->Finish();
  return Heard(player, message);
}

bool PlaySamples(AlsaPlayer& player, const std::uint8_t* samples, std::size_t frames,
                 unsigned times, std::string& message) {
  for (unsigned pass = 0; pass < times; ++pass) {
    std::string reason;
    if (!player.Play(samples, frames, Interrupted, reason)) return Unheard(reason, message);
  }
  return Heard(player, message);
}
