// Clamps of the window's rendering, in words on standard error.
#pragma once

#include <cstdint>
#include <string>

#include "sound/wav_buffer.h"

// "" when the value was rendered as given, else e.g. "30000 Hz is above 22049 Hz at 44100 Hz:
// rendered 22049 Hz".
std::string FrequencyClampNote(const std::string& text, float given, const RenderOutcome& planned,
                               std::int32_t sampleRate);
std::string AmplitudeClampNote(std::int64_t given);
std::string LengthClampNote(float given);
