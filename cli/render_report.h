// What the render command tells: one JSON line per file written, and clamps in words.
#pragma once

#include <cstdint>
#include <string>

#include "sound/wav_buffer.h"

// Shortest text that reads back as the same number, whatever the locale: "997", "22050", "0.1".
std::string NumberText(float value);
std::string NumberText(double value);

// "" when the value was rendered as given, else e.g. "30000 Hz is above 22049 Hz at 44100 Hz:
// rendered 22049 Hz".
std::string FrequencyClampNote(const std::string& text, float given, const RenderOutcome& planned,
                               std::int32_t sampleRate);
std::string AmplitudeClampNote(std::int64_t given);
std::string LengthClampNote(float given);

struct WrittenFile {
  std::string path;
  std::string shape;
  std::string frequencyText;
  std::string rendered;  // the frequency, as NumberText gives it
  std::int32_t sampleRate;
  std::int16_t channels;
  std::string amplitude;  // percent of full scale, as rendered
  std::string length;     // seconds, as rendered
  std::uint64_t dataBytes;
  bool clamped;
  bool exact;  // rendered exactly, not as the window renders
  std::string format;
  std::uint64_t frames;
  std::string signalKeys;  // further keys of this kind of signal, as JSON: ,"key":value...
};

// A text as a JSON string, faulty UTF-8 replaced.
std::string JsonString(const std::string& text);
// One line of JSON, without its line end. Texts that are not UTF-8 have their faulty bytes
// replaced, so that every line stays valid JSON.
std::string JsonLine(const WrittenFile& file);
