// The output format chosen in the Options menu: its check marks, status-bar texts and the
// rebuild of the main WAV buffer that every choice brings.
#pragma once

#include <cstdint>
#include <string>

constexpr std::int16_t kMonoChannels = 1;
constexpr std::int16_t kStereoChannels = 2;
constexpr std::int32_t kLowSampleRate = 44100;
constexpr std::int32_t kHighSampleRate = 192000;
constexpr std::int16_t kSixteenBitSampleBytes = 2;

constexpr int kStatusFieldSampleRate = 0;
constexpr int kStatusFieldChannels = 1;
constexpr int kStatusFieldResolution = 2;

std::string SampleRateStatusText(std::int32_t sampleRate);
std::string ChannelsStatusText(std::int16_t channels);
std::string ResolutionStatusText(std::int16_t bytesPerSample);

// Each runs in full also when the value is already the current one.
void ChooseChannels(std::int16_t channels);
void ChooseSampleRate(std::int32_t sampleRate);
void ChooseResolution(std::int16_t bytesPerSample);
