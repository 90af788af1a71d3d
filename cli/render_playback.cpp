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

bool PlayFrames(AlsaPlayer& player, const Frames& frames, unsigned times, unsigned threads,
                const FrameSink& firstPass, std::string& message) {
  for (unsigned pass = 0; pass < times; ++pass) {
    std::string reason;
    const bool played = frames.Stream(
        [&](const std::uint8_t* encoded, std::size_t count) {
          if (pass == 0 && firstPass && !firstPass(encoded, count)) return false;
          return player.Play(encoded, count, Interrupted, reason);
        },
        threads);
    if (!played) return Unheard(reason, message);
  }
  return Heard(player, message);
}
