#include "cli/render_report.h"

#include <cmath>
#include <nlohmann/json.hpp>

#include "encode/levels.h"

namespace {

// Keys stay in the order they are added: the report reads in a fixed order.
using Json = nlohmann::ordered_json;

// Whole numbers without a fraction ("997", not "997.0"), the rest by the shortest text that reads
// back as the same double, and null where it is not finite.
Json JsonNumber(double value) {
  constexpr double kWholeNumbersExactBelow = 9007199254740992.0;  // 2^53
  if (!std::isfinite(value)) return nullptr;
  if (value == std::trunc(value) && std::fabs(value) < kWholeNumbersExactBelow)
    return static_cast<std::int64_t>(value);
  return value;
}

Json JsonValue(const ReportValue& value) {
  if (const auto* number = std::get_if<double>(&value)) return JsonNumber(*number);
  if (const auto* list = std::get_if<std::vector<double>>(&value)) {
    Json array = Json::array();
    for (double item : *list) array.push_back(JsonNumber(item));
    return array;
  }
  return std::visit([](const auto& plain) { return Json(plain); }, value);
}

// The figures of --measure with their units in their names; levels of silence are null.
Json MeasuredJson(const FrameMeasures& measures, const std::string& sha256) {
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
          {"sha256", sha256.empty() ? Json(nullptr) : Json(sha256)}};
}

}  // namespace

std::string JsonLine(const JobOutcome& outcome) {
  const RenderJob& job = outcome.job;
  const JobReport& report = job.report;
  const StreamLayout& layout = job.file.layout;
  const std::uint64_t frames = outcome.file.frames;
  Json line = {{"path", outcome.written ? Json(job.file.path) : Json(nullptr)},
               {"shape", report.shape}};
  if (report.frequencyText) line["frequency"] = *report.frequencyText;
  if (report.rendered) line["rendered"] = JsonNumber(*report.rendered);
  line["rate"] = layout.sampleRate;
  line["channels"] = layout.channels;
  line[report.level.key] = JsonValue(report.level.value);
  line["length"] = JsonNumber(report.length);
  line["data_bytes"] = frames * layout.channels * BytesPerSample(layout.format);
  line["clamped"] = false;  // nothing is clamped any more; kept for the scripts that read it
  line["render"] = report.exact ? "exact" : "window";
  line["format"] = SampleFormatName(layout.format);
  line["frames"] = frames;
  if (job.file.type != FileType::kWav && outcome.written) {
    line["type"] = FileTypeNameOf(job.file.type);
    if (outcome.file.fileBytes) line["file_bytes"] = *outcome.file.fileBytes;
  }
  for (const ReportField& field : report.signal) line[field.key] = JsonValue(field.value);
  if (job.plot) line["plot"] = job.plot->path;
  if (outcome.file.measures)
    line["measured"] = MeasuredJson(*outcome.file.measures, outcome.file.sha256);
  if (outcome.played > 0) line["played"] = outcome.played;
  return line.dump(-1, ' ', false, nlohmann::detail::error_handler_t::replace);
}

std::string MeasuredFileLine(const std::string& path, const SoundFileMeasures& file) {
  const Json line = {{"path", path},
                     {"type", file.type},
                     {"format", file.format},
                     {"rate", file.rate},
                     {"channels", file.channels},
                     {"frames", file.frames},
                     {"length", JsonNumber(static_cast<double>(file.frames) / file.rate)},
                     {"measured", MeasuredJson(file.measures, file.sha256)}};
  return line.dump(-1, ' ', false, nlohmann::detail::error_handler_t::replace);
}
