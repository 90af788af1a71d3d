// What the render command tells: one JSON line per file written, and clamps in words.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>

#include "measure/wav_meter.h"
#include "sound/wav_buffer.h"

// Keys stay in the order they are added: the report reads in a fixed order.
using Json = nlohmann::ordered_json;

constexpr double kDecibelsPerFactorOfTen = 20.0;
// AES17 reads a full-scale sine as 0 dB: the RMS is scaled by √2.
constexpr double kAes17MeanSquareOfFullScale = 0.5;

// Shortest text that reads back as the same number, whatever the locale: "997", "22050", "0.1".
std::string NumberText(float value);
std::string NumberText(double value);

// "" when the value was rendered as given, else e.g. "30000 Hz is above 22049 Hz at 44100 Hz:
// rendered 22049 Hz".
std::string FrequencyClampNote(const std::string& text, float given, const RenderOutcome& planned,
                               std::int32_t sampleRate);
std::string AmplitudeClampNote(std::int64_t given);
std::string LengthClampNote(float given);

// A number as JSON: whole numbers without a fraction ("997", not "997.0"), the rest by the
// shortest text that reads back as the same double, and null where it is not finite.
Json JsonNumber(double value);
// The float's own shortest text ("0.1", not 0.10000000149011612), as a JSON number.
Json JsonNumber(float value);

struct WrittenFile {
  std::string path;  // empty: played only, not written
  std::string shape;
  std::string frequencyText;
  Json rendered;  // the frequency rendered; null for noise, which has none
  std::int32_t sampleRate;
  std::int16_t channels;
  Json amplitude;  // percent of full scale, as rendered
  Json length;     // seconds, as rendered
  std::uint64_t dataBytes;
  bool clamped;
  bool exact;  // rendered exactly, not as the window renders
  std::string format;
  std::uint64_t frames;
  Json signalKeys = Json::object();  // further keys of this kind of signal
  Json measured = nullptr;           // from the file's bytes, with --measure
  unsigned played = 0;               // times over, with --play or --loop-play
};

// The figures of --measure with their units in their names; levels of silence are null.
Json MeasuredJson(const FileMeasures& measures);

// One line of JSON, without its line end, written by the JSON library. Texts that are not UTF-8
// have their faulty bytes replaced (U+FFFD), so that every line stays valid JSON.
std::string JsonLine(const WrittenFile& file);
