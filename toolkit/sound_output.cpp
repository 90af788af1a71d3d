// The probe of the sound output: the default ALSA playback device, opened and held, never played.
#include <alsa/asoundlib.h>

#include "toolkit/toolkit.h"

namespace {

constexpr unsigned kProbeRate = 44100;
constexpr unsigned kProbeChannels = 2;

snd_pcm_t* device = nullptr;

// ALSA reports every failed step on stderr; the program reports a missing device its own way.
void Quiet(const char*, int, const char*, int, const char*, ...) {}

// Sets the device up as a 16-bit player would, so a device that only opens does not count.
bool ConfigureLikeAPlayer(snd_pcm_t* pcm) {
  snd_pcm_hw_params_t* parameters = nullptr;
  if (snd_pcm_hw_params_malloc(&parameters) < 0) {
    return false;
  }
  unsigned channels = kProbeChannels;
  unsigned rate = kProbeRate;
  const bool configured =
      snd_pcm_hw_params_any(pcm, parameters) >= 0 &&
      snd_pcm_hw_params_set_access(pcm, parameters, SND_PCM_ACCESS_RW_INTERLEAVED) >= 0 &&
      snd_pcm_hw_params_set_format(pcm, parameters, SND_PCM_FORMAT_S16_LE) >= 0 &&
      snd_pcm_hw_params_set_channels_near(pcm, parameters, &channels) >= 0 &&
      snd_pcm_hw_params_set_rate_near(pcm, parameters, &rate, nullptr) >= 0 &&
      snd_pcm_hw_params(pcm, parameters) >= 0;
  snd_pcm_hw_params_free(parameters);
  return configured;
}

// ALSA keeps its parsed configuration for the whole process; dropping it lets the next probe
// read the configuration as it is then, and leaves nothing behind at exit.
void ForgetConfiguration() { snd_config_update_free_global(); }

}  // namespace

ObjectRef InitSound() {
  if (device != nullptr) {
    return reinterpret_cast<ObjectRef>(device);
  }
  snd_lib_error_set_handler(Quiet);
  snd_pcm_t* pcm = nullptr;
  if (snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0) {
    ForgetConfiguration();
    return 0;
  }
  if (!ConfigureLikeAPlayer(pcm)) {
    snd_pcm_close(pcm);
    ForgetConfiguration();
    return 0;
  }
  device = pcm;
  return reinterpret_cast<ObjectRef>(device);
}

void ReleaseSound() {
  if (device == nullptr) {
    return;
  }
  snd_pcm_close(device);
  device = nullptr;
  ForgetConfiguration();
}
