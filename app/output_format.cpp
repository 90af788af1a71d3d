#include "app/output_format.h"

#include "app/shell.h"

namespace {

constexpr int kBitsPerByte = 8;

void SetCheckMarks(Command checked, Command unchecked) {
  SetMenuItemChecked(kMainMenu, checked, true);
  SetMenuItemChecked(kMainMenu, unchecked, false);
}

// A new format needs a new buffer, and the buffer must not stay in its silent built state.
void RebuildAndRerender() {
  MainWavBuffer = BuildWavBuffer(kCapacitySeconds, CurrentRenderSettings.channels,
                                 CurrentRenderSettings.bytesPerSample,
                                 CurrentRenderSettings.sampleRate);
  Rerender();
}

}  // namespace

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
  if (channels == kMonoChannels) {
    SetCheckMarks(kCommandMono, kCommandStereo);
  } else {
    SetCheckMarks(kCommandStereo, kCommandMono);
  }
  CurrentRenderSettings.channels = channels;
  RebuildAndRerender();
  SetStatusBarText(StatusBar, kStatusFieldChannels, ChannelsStatusText(channels));
}

void ChooseSampleRate(std::int32_t sampleRate) {
  if (sampleRate == kLowSampleRate) {
    SetCheckMarks(kCommand44100Hz, kCommand192000Hz);
  } else {
    SetCheckMarks(kCommand192000Hz, kCommand44100Hz);
  }
  CurrentRenderSettings.sampleRate = sampleRate;
  RebuildAndRerender();
  SetStatusBarText(StatusBar, kStatusFieldSampleRate, SampleRateStatusText(sampleRate));
}

void ChooseResolution(std::int16_t bytesPerSample) {
  SetMenuItemChecked(kMainMenu, kCommand16Bits, true);
  CurrentRenderSettings.bytesPerSample = bytesPerSample;
  RebuildAndRerender();
  SetStatusBarText(StatusBar, kStatusFieldResolution, ResolutionStatusText(bytesPerSample));
}
