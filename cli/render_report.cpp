#include "cli/render_report.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "cli/render_options.h"

namespace {

constexpr char kReplacementCharacter[] = "\\ufffd";

// The value as read, and the text too when it is not simply that value.
std::string Given(const std::string& text, float value, const char* unit) {
  const std::string read = NumberText(value) + unit;
  if (text == NumberText(value)) return read;
  return "\"" + text + "\" (read as " + read + ")";
}

std::string ClampNote(const std::string& given, bool above, const std::string& bound,
                      const std::string& rendered) {
  return given + (above ? " is above " : " is below ") + bound + ": rendered " + rendered;
}

// Length of the UTF-8 sequence at `at`, or 0 when it is not a well-formed one.
std::size_t Utf8SequenceLength(const std::string& text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  const std::size_t length = lead < 0x80   ? 1
                             : lead < 0xC2 ? 0
                             : lead < 0xE0 ? 2
                             : lead < 0xF0 ? 3
                             : lead < 0xF5 ? 4
                                           : 0;
  if (length == 0 || at + length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i)
    if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) return 0;
  const auto second = static_cast<unsigned char>(text[at + 1]);
  if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
      (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90))
    return 0;  // overlong, surrogate or beyond U+10FFFF
  return length;
}

}  // namespace

std::string JsonString(const std::string& text) {
  std::string json = "\"";
  for (std::size_t at = 0; at < text.size();) {
    const char c = text[at];
    const std::size_t length = Utf8SequenceLength(text, at);
    if (length == 0) {
      json += kReplacementCharacter;
      ++at;
      continue;
    }
    if (c == '"' || c == '\\') {
      json += '\\';
      json += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
      json += escaped;
    } else {
      json.append(text, at, length);
    }
    at += length;
  }
  return json + "\"";
}

std::string NumberText(float value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
  char text[32];
  return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

std::string NumberText(double value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
  char text[32];
  return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

std::string FrequencyClampNote(const std::string& text, float given, const RenderOutcome& planned,
                               std::int32_t sampleRate) {
  if (!planned.frequencyClamped) return "";
  const std::string bound = std::string(planned.fieldText) + " Hz";
  const std::string rendered = NumberText(planned.frequency) + " Hz";
  const std::string subject = Given(text, given, " Hz");
  if (std::isnan(given)) return subject + " is not a number: rendered " + rendered;
  const bool above = !(given < sampleRate / 2.0);
  const std::string where = above ? bound + " at " + std::to_string(sampleRate) + " Hz" : bound;
  return ClampNote(subject, above, where, rendered);
}

std::string AmplitudeClampNote(std::int64_t given) {
  const std::int64_t rendered = ClampAmplitude(given);
  if (rendered == given) return "";
  const std::string bound = std::to_string(rendered) + " %";
  return ClampNote(std::to_string(given) + " %", given > rendered, bound, bound);
}

std::string LengthClampNote(float given) {
  const float rendered = ClampLength(given);
  if (rendered == given) return "";
  const std::string bound = NumberText(rendered) + " s";
  if (std::isnan(given)) return "NaN s is not a number: rendered " + bound;
  const std::string note = ClampNote(NumberText(given) + " s", given > rendered, bound, bound);
  return given > rendered
             ? note + " (--exact renders up to " + std::to_string(kLongestExactSeconds) + " s)"
             : note;
}

std::string JsonLine(const WrittenFile& file) {
  std::string line = "{\"path\":" + JsonString(file.path);
  line += ",\"shape\":" + JsonString(file.shape);
  line += ",\"frequency\":" + JsonString(file.frequencyText);
  line += ",\"rendered\":" + file.rendered;
  line += ",\"rate\":" + std::to_string(file.sampleRate);
  line += ",\"channels\":" + std::to_string(file.channels);
  line += ",\"amplitude\":" + file.amplitude;
  line += ",\"length\":" + file.length;
  line += ",\"data_bytes\":" + std::to_string(file.dataBytes);
  line += std::string(",\"clamped\":") + (file.clamped ? "true" : "false");
  line += std::string(",\"render\":") + (file.exact ? "\"exact\"" : "\"window\"");
  line += ",\"format\":" + JsonString(file.format);
  line += ",\"frames\":" + std::to_string(file.frames);
  return line + file.signalKeys + "}";
}
