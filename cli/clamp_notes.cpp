#include "cli/clamp_notes.h"

#include <cmath>

#include "cli/render_options.h"
#include "signals/number_text.h"

namespace {

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

}  // namespace

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
