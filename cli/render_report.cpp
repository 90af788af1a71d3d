#include "cli/render_report.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "cli/render_options.h"

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

Json JsonNumber(double value) {
  constexpr double kWholeNumbersExactBelow = 9007199254740992.0;  // 2^53
  if (!std::isfinite(value)) return nullptr;
  if (value == std::trunc(value) && std::fabs(value) < kWholeNumbersExactBelow)
    return static_cast<std::int64_t>(value);
  return value;
}

Json JsonNumber(float value) {
  if (!std::isfinite(value)) return nullptr;
  const std::string text = NumberText(value);
  double shortest = 0;
  std::from_chars(text.data(), text.data() + text.size(), shortest);
  return JsonNumber(shortest);
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

Json MeasuredJson(const FileMeasures& measures) {
  const auto decibels = [](double ratio) {
    return JsonNumber(kDecibelsPerFactorOfTen * std::log10(ratio));
  };
  const double rms = std::sqrt(measures.meanSquare);
  return {{"sample_peak_dbfs", decibels(measures.samplePeak)},
          {"true_peak_dbtp", decibels(measures.truePeak)},
          {"rms_dbfs", decibels(std::sqrt(measures.meanSquare / kAes17MeanSquareOfFullScale))},
          {"dc_offset", JsonNumber(measures.mean)},
          {"crest_factor_db", decibels(measures.samplePeak / rms)},
          {"loudness_lufs", JsonNumber(measures.loudness)},
          {"sha256", measures.sha256}};
}

std::string JsonLine(const WrittenFile& file) {
  Json line = {{"path", file.path.empty() ? Json(nullptr) : Json(file.path)},
               {"shape", file.shape},
               {"frequency", file.frequencyText},
               {"rendered", file.rendered},
               {"rate", file.sampleRate},
               {"channels", file.channels},
               {"amplitude", file.amplitude},
               {"length", file.length},
               {"data_bytes", file.dataBytes},
               {"clamped", file.clamped},
               {"render", file.exact ? "exact" : "window"},
               {"format", file.format},
               {"frames", file.frames}};
  line.update(file.signalKeys);
  if (!file.measured.is_null()) line["measured"] = file.measured;
  if (file.played > 0) line["played"] = file.played;
  return line.dump(-1, ' ', false, nlohmann::detail::error_handler_t::replace);
}
