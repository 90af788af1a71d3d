#include "app/output_format.h"

#include "app/shell.h"

namespace {

void SetCheckMarks(int checked, int unchecked) {
  SetMenuItemChecked(kMainMenu, checked, true);
  SetMenuItemChecked(kMainMenu, unchecked, false);
}

}  // namespace

int ChannelsCommand(std::int16_t channels) {
  return channels == kMonoChannels ? kCommandMono : kCommandStereo;
}

int SampleRateCommand(std::int32_t sampleRate) {
  return sampleRate == kLowSampleRate ? kCommand44100Hz : kCommand192000Hz;
}

int ResolutionCommand(std::int16_t) { return kCommand16Bits; }

void RebuildMainWavBuffer() {
  MainWavBuffer =
      BuildWavBuffer(kCapacitySeconds, CurrentRenderSettings.channels,
                     CurrentRenderSettings.bytesPerSample, CurrentRenderSettings.sampleRate);
  Rerender();
}

std::string SampleRateStatusText(std::int32_t sampleRate) {
  return std::to_string(sampleRate) + " Hz";
}

std::string ChannelsStatusText(std::int16_t channels) {
  return channels == kMonoChannels ? "Mono" : "Stereo";
}

std::string ResolutionStatusText(std::int16_t bytesPerSample) {
  return std::to_string(bytesPerSample * kBitsPerByte) + " bits";
}

void ChooseChannels(std::int16_t channels) {
  const std::int16_t other = channels == kMonoChannels ? kStereoChannels : kMonoChannels;
  SetCheckMarks(ChannelsCommand(channels), ChannelsCommand(other));
  CurrentRenderSettings.channels = channels;
  RebuildMainWavBuffer();
  SetStatusBarText(StatusBar, kStatusFieldChannels, ChannelsStatusText(channels));
}

void ChooseSampleRate(std::int32_t sampleRate) {
  const std::int32_t other = sampleRate == kLowSampleRate ? kHighSampleRate : kLowSampleRate;
  SetCheckMarks(SampleRateCommand(sampleRate), SampleRateCommand(other));
  CurrentRenderSettings.sampleRate = sampleRate;
  RebuildMainWavBuffer();
  SetStatusBarText(StatusBar, kStatusFieldSampleRate, SampleRateStatusText(sampleRate));
}

void ChooseResolution(std::int16_t bytesPerSample) {
  SetMenuItemChecked(kMainMenu, ResolutionCommand(bytesPerSample), true);
  CurrentRenderSettings.bytesPerSample = bytesPerSample;
  RebuildMainWavBuffer();
  SetStatusBarText(StatusBar, kStatusFieldResolution, ResolutionStatusText(bytesPerSample));
}
