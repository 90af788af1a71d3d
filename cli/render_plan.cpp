#include "cli/render_plan.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <set>
#include <utility>

#include "cli/clamp_notes.h"
#include "cli/output_conflicts.h"
#include "cli/output_names.h"
#include "cli/signal_plan.h"
#include "formats/wav_container.h"
#include "signals/inverse_filter.h"
#include "signals/number_text.h"
#include "sound/wav_buffer.h"

namespace {

constexpr double kPercent = 100.0;
// The inverse filter is computed whole, in about 64 bytes per frame of the sweep.
constexpr std::uint64_t kLongestInverseSweep = std::uint64_t{1} << 22;

// A float as its own shortest text reads back in double: "0.1", not 0.10000000149011612.
double ShortestDouble(float value) {
  if (!std::isfinite(value)) return value;
  const std::string text = NumberText(value);
  double shortest = 0;
  std::from_chars(text.data(), text.data() + text.size(), shortest);
  return shortest;
}

// The window's amplitude text is read unless a level in dBFS takes its place.
bool ReadsAmplitude(const RenderRequest& request) {
  return !request.exact || request.level.kind == LevelKind::kPercent;
}

bool ParametersClamped(const RenderRequest& request) {
  return (ReadsAmplitude(request) && ClampAmplitude(request.amplitude) != request.amplitude) ||
         (!request.exact && !(ClampLength(request.length) == request.length));
}

// The type asked for by --type, else by the name's ending, else WAV; a fault when they differ.
std::string ChooseFileType(const RenderRequest& request, const std::string& path, FileType& type) {
  const std::optional<FileType> named =
      path == kStandardOutputName ? std::nullopt : FileTypeOfPath(path);
  type = request.type.value_or(named.value_or(FileType::kWav));
  if (request.type && named && *named != *request.type)
    return "--type " + std::string(FileTypeNameOf(*request.type)) + ": the name " + path +
           " asks for " + FileTypeNameOf(*named);
  return "";
}

// The window's rendering of the texts, as a save from the window would make it.
std::string PlanWindowJob(const RenderRequest& request, const ShapeRow& shape, float frequency,
                          RenderJob& job, std::string& rendered) {
  const RenderOutcome planned =
      PlanFrequency(frequency, request.length, static_cast<std::uint32_t>(request.rate));
  // The frames are counted once rendered; until then, as many as the length makes.
  job.file.layout = {SampleFormat::kPcm16, static_cast<std::uint32_t>(request.rate),
                     static_cast<std::uint16_t>(request.channels),
                     static_cast<std::uint64_t>(ClampLength(request.length) * request.rate)};
  job.file.source = WindowRendering(shape.windowCode, frequency, request.amplitude, request.length,
                                    request.channels, request.rate);
  job.report.rendered = ShortestDouble(planned.frequency);
  job.report.amplitude = static_cast<double>(ClampAmplitude(request.amplitude));
  job.report.length = ShortestDouble(ClampLength(request.length));
  job.report.clamped = planned.frequencyClamped || ParametersClamped(request);
  rendered = NumberText(planned.frequency);
  return "";
}

// A sweep's inverse filter, from the sweep as it is written, mono float32 beside it.
std::shared_ptr<const FileJob> InverseFilterJob(const RenderRequest& request,
                                                const ExactSignal& exact) {
  std::vector<double> sweep(exact.signal.frames);
  exact.signal.values(0, sweep.size(), sweep.data());
  for (double& value : sweep) value *= exact.encoding.gain;
  auto filter = std::make_shared<const InverseFilter>(
      InverseFilterOf(sweep, exact.signal.frequency, *exact.signal.sweepEnd, request.rate));
  const ValueSource taps = [filter](std::uint64_t first, std::size_t count, double* out) {
    std::copy_n(filter->taps.begin() + static_cast<std::ptrdiff_t>(first), count, out);
  };
  auto job = std::make_shared<FileJob>();
  job->path = request.inversePath;
  job->layout = {SampleFormat::kFloat32, static_cast<std::uint32_t>(request.rate), 1,
                 filter->taps.size()};
  job->source =
      ExactRendering(taps, filter->taps.size(), {SampleFormat::kFloat32, 1, 1.0, false, 0});
  return job;
}

std::string PlanExactJob(const RenderRequest& request, const ShapeRow& shape,
                         const std::string& frequencyText, float frequency, RenderJob& job,
                         std::string& rendered) {
  // Only the window's shapes read their frequency as the window does.
  const RenderOutcome clamp =
      shape.windowCode != 0
          ? ClampFrequencyForRate(frequency, static_cast<std::uint32_t>(request.rate))
          : RenderOutcome{frequency, false, {}};
  ExactSignal exact = PlanExactSignal(request, shape, frequencyText, clamp.frequency);
  if (!exact.fault.empty()) return exact.fault;
  const SignalPlan& signal = exact.signal;
  if (!request.inversePath.empty() && signal.frames > kLongestInverseSweep)
    return "--inverse: the sweep has " + std::to_string(signal.frames) +
           " frames; its inverse is made for at most " + std::to_string(kLongestInverseSweep);
  StreamLayout& layout = job.file.layout;
  layout = {request.format, static_cast<std::uint32_t>(request.rate),
            static_cast<std::uint16_t>(request.channels), signal.frames};
  layout.loop = request.loop;
  layout.loopFrequency = signal.frequency;
  job.report.rendered = signal.frequency;
  job.report.amplitude = exact.encoding.gain * signal.levels.peak * kPercent;
  job.report.length = static_cast<double>(signal.frames) / request.rate;
  job.report.clamped = clamp.frequencyClamped || ParametersClamped(request);
  job.report.signal = signal.report;
  job.notes = signal.notes;
  if (!request.inversePath.empty() && signal.sweepEnd) {
    job.inverse = InverseFilterJob(request, exact);
    job.report.signal.push_back({"inverse", request.inversePath});
    job.report.signal.push_back({"inverse_lag", signal.frames});
  }
  job.file.source = ExactRendering(signal.values, signal.frames, exact.encoding);
  rendered = NumberText(signal.frequency);
  return "";
}

std::string PlanJob(const RenderRequest& request, const ShapeRow& shape,
                    const std::string& frequencyText, RenderJob& job) {
  if (std::string fault = UntakenOptionFault(request, shape); !fault.empty()) return fault;
  const float frequency = ReadDecimalText(frequencyText);
  job.report.shape = shape.name;
  job.report.frequencyText = frequencyText;
  job.report.exact = request.exact;
  std::string rendered;
  const std::string fault =
      request.exact ? PlanExactJob(request, shape, frequencyText, frequency, job, rendered)
                    : PlanWindowJob(request, shape, frequency, job, rendered);
  if (!fault.empty()) return fault;
  const NameFields fields{shape.name, frequencyText, rendered, std::to_string(request.rate),
                          std::to_string(request.channels)};
  job.file.path =
      request.run.outputGiven ? ExpandOutputTemplate(request.outputTemplate, fields) : "";
  if (!request.run.outputGiven) return "";
  if (std::string typeFault = ChooseFileType(request, job.file.path, job.file.type);
      !typeFault.empty())
    return typeFault;
  const std::string containerFault = ContainerFault(job.file.type, job.file.layout);
  return containerFault.empty() ? "" : "--output " + job.file.path + ": " + containerFault;
}

void NoteClamps(const RenderRequest& request, RenderPlan& plan) {
  std::set<std::string> noted;
  const auto note = [&](const std::string& text) {
    if (!text.empty() && noted.insert(text).second) plan.notes.push_back(text);
  };
  if (ReadsAmplitude(request)) note(AmplitudeClampNote(request.amplitude));
  if (!request.exact) note(LengthClampNote(request.length));
  for (const RenderJob& job : plan.jobs)
    for (const std::string& text : job.notes) note(text);
  for (const RenderJob& job : plan.jobs) {
    const auto rate = static_cast<std::uint32_t>(request.rate);
    const float given = ReadDecimalText(job.report.frequencyText);
    const RenderOutcome planned = request.exact ? ClampFrequencyForRate(given, rate)
                                                : PlanFrequency(given, request.length, rate);
    if (!request.exact || ShapeNamed(job.report.shape)->windowCode != 0)
      note(FrequencyClampNote(job.report.frequencyText, given, planned, request.rate));
  }
}

}  // namespace

RenderPlan PlanRenders(const RenderRequest& request) {
  RenderPlan plan;
  plan.run = request.run;
  plan.fault = request.fault;
  if (!plan.fault.empty()) return plan;
  for (const ShapeRow* shape : request.shapes)
    for (const std::string& frequencyText : request.frequencyTexts) {
      RenderJob job;
      plan.fault = PlanJob(request, *shape, frequencyText, job);
      if (!plan.fault.empty()) return plan;
      plan.jobs.push_back(std::move(job));
    }
  // Played only, nothing written: no file names to compare.
  if (request.run.outputGiven) plan.fault = OutputConflictFault(plan.jobs, request.inversePath);
  if (plan.fault.empty()) NoteClamps(request, plan);
  return plan;
}
