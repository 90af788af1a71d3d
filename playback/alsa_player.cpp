#include "playback/alsa_player.h"

#include <alsa/asoundlib.h>

#include <cerrno>

namespace {

// The plug layer over the default device converts what the device does not take itself.
constexpr char kDevice[] = "plug:default";
constexpr unsigned kLatencyMicroseconds = 200000;
constexpr int kAllowResampling = 1;
// How long one wait for room in the device's buffer may take before the stop is looked at again.
constexpr int kWaitMilliseconds = 50;

snd_pcm_format_t AlsaFormat(SampleFormat format) {
  switch (format) {
    case SampleFormat::kPcm16: return SND_PCM_FORMAT_S16_LE;
    case SampleFormat::kPcm24: return SND_PCM_FORMAT_S24_3LE;
    case SampleFormat::kPcm32: return SND_PCM_FORMAT_S32_LE;
    default: return SND_PCM_FORMAT_FLOAT_LE;
  }
}

// ALSA reports failed steps on stderr itself; the command says what failed in its own words.
void Quiet(const char*, int, const char*, int, const char*, ...) {}

}  // namespace

struct AlsaPlayer::Device {
  snd_pcm_t* pcm = nullptr;
  std::size_t frameBytes = 0;
  ~Device() {
    if (pcm != nullptr) snd_pcm_close(pcm);
  }
};

AlsaPlayer::AlsaPlayer(std::unique_ptr<Device> device) : device_(std::move(device)) {}
AlsaPlayer::~AlsaPlayer() = default;

std::unique_ptr<AlsaPlayer> AlsaPlayer::Open(const PlayedFormat& format, bool& missing,
                                             std::string& reason) {
  snd_lib_error_set_handler(Quiet);
  auto device = std::make_unique<Device>();
  missing = snd_pcm_open(&device->pcm, kDevice, SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0;
  if (missing) {
    device->pcm = nullptr;
    return nullptr;
  }
  const int result =
      snd_pcm_set_params(device->pcm, AlsaFormat(format.format), SND_PCM_ACCESS_RW_INTERLEAVED,
                         format.channels, format.rate, kAllowResampling, kLatencyMicroseconds);
  if (result < 0) {
    reason = snd_strerror(result);
    return nullptr;
  }
  device->frameBytes = std::size_t{format.channels} * BytesPerSample(format.format);
  return std::unique_ptr<AlsaPlayer>(new AlsaPlayer(std::move(device)));
}

bool AlsaPlayer::Play(const std::uint8_t* samples, std::size_t frames,
                      const std::function<bool()>& stopped, std::string& reason) {
  snd_pcm_t* pcm = device_->pcm;
  while (frames > 0) {
    if (stopped()) {
      snd_pcm_drop(pcm);
      return false;
    }
    const snd_pcm_sframes_t written = snd_pcm_writei(pcm, samples, frames);
    if (written == -EAGAIN) {
      snd_pcm_wait(pcm, kWaitMilliseconds);
      continue;
    }
    if (written < 0) {
      // An underrun (the device ran dry) or a suspend is recovered from; anything else ends it.
      if (snd_pcm_recover(pcm, static_cast<int>(written), 1) < 0) {
        reason = snd_strerror(static_cast<int>(written));
        return false;
      }
      continue;
    }
    samples += static_cast<std::size_t>(written) * device_->frameBytes;
    frames -= static_cast<std::size_t>(written);
  }
  return true;
}

bool AlsaPlayer::Finish(const std::function<bool()>& stopped, std::string& reason) {
  snd_pcm_t* pcm = device_->pcm;
  // In non-blocking mode draining returns at once; the state says when it is done.
  const int result = snd_pcm_drain(pcm);
  if (result < 0 && result != -EAGAIN) {
    reason = snd_strerror(result);
    return false;
  }
  while (snd_pcm_state(pcm) == SND_PCM_STATE_DRAINING) {
    if (stopped()) {
      snd_pcm_drop(pcm);
      return false;
    }
    snd_pcm_wait(pcm, kWaitMilliseconds);
  }
  return true;
}
