// Hearing what the command renders: the file's own frames on the default sound device, as many
// times over as asked, without a gap between the passes.
#pragma once

#include <memory>
#include <string>

#include "cli/frame_sources.h"
#include "playback/alsa_player.h"

// The window's own words when there is no sound device.
constexpr char kNoSoundDeviceText[] = "Soundcard not present";

// The default device, ready for the format; nothing and the message when it cannot be had.
std::unique_ptr<AlsaPlayer> OpenPlayer(const PlayedFormat& format, std::string& message);

// The frames, `times` over, then waits until they are heard. `firstPass`, where given, sees the
// first pass's frames on their way.
bool PlayFrames(AlsaPlayer& player, const Frames& frames, unsigned times, unsigned threads,
                const FrameSink& firstPass, std::string& message);
