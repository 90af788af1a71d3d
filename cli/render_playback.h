// Hearing what the command renders: the file's own samples on the default sound device, as many
// times over as asked, without a gap between the passes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "measure/wav_meter.h"
#include "playback/alsa_player.h"
#include "signals/signal_level.h"
#include "wav/wav_stream.h"

// The window's own words when there is no sound device.
constexpr char kNoSoundDeviceText[] = "Soundcard not present";

// The default device, ready for the format; nothing and the message when it cannot be had.
std::unique_ptr<AlsaPlayer> OpenPlayer(const PlayedFormat& format, std::string& message);

// The samples of the streamed file, `times` over, then waits until they are heard. With a meter,
// the first pass's bytes (the file's, header and all) are measured too.
bool PlayStream(AlsaPlayer& player, const WavLayout& layout, const SampleEncoding& encoding,
                const ValueSource& values, unsigned times, std::optional<FileMeasures>& measures,
                std::string& message);
// Samples already made (the window's image), `times` over, then waits until they are heard.
bool PlaySamples(AlsaPlayer& player, const std::uint8_t* samples, std::size_t frames,
                 unsigned times, std::string& message);
