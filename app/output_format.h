// The output format chosen in the Options menu: its check marks, status-bar texts and the
// rebuild of the main WAV buffer that every choice brings.
#pragma once

#include <cstdint>
#include <string>

#include "sound/wav_buffer.h"

constexpr int kStatusFieldSampleRate = 0;
constexpr int kStatusFieldChannels = 1;
constexpr int kStatusFieldResolution = 2;

std::string SampleRateStatusText(std::int32_t sampleRate);
std::string ChannelsStatusText(std::int16_t channels);
std::string ResolutionStatusText(std::int16_t bytesPerSample);

// The menu item whose check mark shows the value as chosen.
int ChannelsCommand(std::int16_t channels);
int SampleRateCommand(std::int32_t sampleRate);
int ResolutionCommand(std::int16_t bytesPerSample);

// Builds the main WAV buffer for the current settings and renders into it again when armed: a
// new format needs a new buffer, and the buffer must not stay in its silent built state.
void RebuildMainWavBuffer();

// Each runs in full also when the value is already the current one.
void ChooseChannels(std::int16_t channels);
void ChooseSampleRate(std::int32_t sampleRate);
void ChooseResolution(std::int16_t bytesPerSample);
