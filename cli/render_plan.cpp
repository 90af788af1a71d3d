#include "cli/render_plan.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <set>
#include <utility>

#include "cli/output_conflicts.h"
#include "cli/output_names.h"
#include "cli/signal_plan.h"
#include "signals/inverse_filter.h"
#include "signals/number_text.h"
#include "sound/wav_buffer.h"

namespace {

constexpr double kPercent = 100.0;
// Well above float32's rounding, 2^-24 of the value.
constexpr double kFloatRounding = 1e-6;
// The inverse filter is computed whole, in about 64 bytes per frame of the sweep.
constexpr std::uint64_t kLongestInverseSweep = std::uint64_t{1} << 22;

// A float as its own shortest text reads back in double: "0.1", not 0.10000000149011612.
double ShortestDouble(float value) {
  const std::string text = NumberText(value);
  double shortest = 0;
  std::from_chars(text.data(), text.data() + text.size(), shortest);
  return shortest;
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

// The window's rendering of the values, as a save from the window would make it.
void PlanWindowJob(const RenderRequest& request, const ShapeRow& shape, const std::string& text,
                   RenderJob& job, std::string& rendered) {
  const float frequency = ReadDecimalText(text);
  const RenderOutcome planned =
      PlanFrequency(frequency, request.windowLength, static_cast<std::uint32_t>(request.rate));
  // The frames are counted once rendered; until then, as many as the length makes.
  job.file.layout = {SampleFormat::kPcm16, static_cast<std::uint32_t>(request.rate),
                     static_cast<std::uint16_t>(request.channels),
                     static_cast<std::uint64_t>(request.windowLength * request.rate)};
  job.file.source = WindowRendering(shape.windowCode, frequency, request.windowAmplitude,
                                    request.windowLength, request.channels, request.rate);
  job.report.rendered = ShortestDouble(planned.frequency);
  job.report.level = {"amplitude", static_cast<double>(request.windowAmplitude)};
  job.report.length = ShortestDouble(request.windowLength);
  rendered = NumberText(planned.frequency);
}

// A sweep's inverse filter, from the sweep as it is written, mono float32 beside it.
std::shared_ptr<const FileJob> InverseFilterJob(const RenderRequest& request,
                                                const ExactSignal& exact,
                                                std::shared_ptr<const InverseFilter>& filter) {
  const SignalPlan& signal = exact.signal;
  std::vector<double> sweep(signal.soundingFrames > 0 ? signal.soundingFrames : signal.frames);
  signal.values(0, sweep.size(), sweep.data());
  for (double& value : sweep) value *= exact.encoding.gain;
  filter = std::make_shared<const InverseFilter>(
      InverseFilterOf(sweep, signal.frequency, *signal.sweepEnd, request.rate));
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

// The level as it was asked for: percent as rendered, or the dBFS given (or noise's default).
ReportField LevelField(const RenderRequest& request, const ExactSignal& exact) {
  const LevelRequest& level = request.level;
  if (level.kind == LevelKind::kPeak) return {"peak_dbfs", level.value};
  if (level.kind == LevelKind::kRms || (!level.given && exact.signal.defaultRms))
    return {"rms_dbfs", level.kind == LevelKind::kRms ? level.value : *exact.signal.defaultRms};
  return {"amplitude", exact.encoding.gain * exact.signal.levels.peak * kPercent};
}

// The largest |sample| the file can hold: the values' peak at the gain, and what rounding and
// dither add to it (two steps at most; float32 rounds by far less).
double PeakBound(const ExactSignal& exact, SampleFormat format) {
  const double peak = exact.encoding.gain * exact.signal.levels.peak;
  return peak + (IsFloat(format) ? peak * kFloatRounding : 2 / IntegerFullScale(format));
}

std::string PlanExactJob(const RenderRequest& request, const ShapeRow& shape,
                         const std::string& text, RenderJob& job, std::string& rendered) {
  ExactSignal exact = PlanExactSignal(request, shape, text);
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
  if (std::isfinite(signal.frequency) && !(shape.takes & kTakesTones))
    job.report.rendered = signal.frequency;
  job.report.level = LevelField(request, exact);
  job.report.length = static_cast<double>(signal.frames) / request.rate;
  job.report.signal = signal.report;
  job.notes = signal.notes;
  if (!request.inversePath.empty() && signal.sweepEnd) {
    std::shared_ptr<const InverseFilter> filter;
    job.inverse = InverseFilterJob(request, exact, filter);
    job.inverseFilter = filter;
    job.report.signal.push_back({"inverse", request.inversePath});
    job.report.signal.push_back({"inverse_lag", filter->lag});
    job.report.signal.push_back({"inverse_band", std::vector<double>{filter->low, filter->high}});
  }
  job.file.source = ExactRendering(signal.values, signal.frames, exact.encoding);
  job.file.peakBound = PeakBound(exact, request.format);
  rendered = job.report.rendered ? NumberText(*job.report.rendered) : "";
  return "";
}

// Where the file goes, and in what type.
std::string PlanOutput(const RenderRequest& request, const NameFields& fields, FileJob& file) {
  if (std::string fault = ExpandOutputTemplate(request.outputTemplate, fields, file.path);
      !fault.empty())
    return fault;
  if (std::string fault = ChooseFileType(request, file.path, file.type); !fault.empty())
    return fault;
  const std::string containerFault = ContainerFault(file.type, file.layout);
  return containerFault.empty() ? "" : "--output " + file.path + ": " + containerFault;
}

// What the job's picture shows: a tone's first periods, a sweep's envelope (and with its inverse
// filter, the response through it), anything else's first milliseconds.
PlotRequest PlotRequestOf(const ShapeRow& shape, const RenderJob& job) {
  const StreamLayout& layout = job.file.layout;
  PlotRequest plot;
  plot.format = {layout.format, layout.channels, layout.sampleRate};
  plot.frames = layout.frames;
  plot.envelope = (shape.takes & kTakesRange) != 0;
  if (!plot.envelope && job.report.rendered && std::isfinite(*job.report.rendered))
    plot.frequency = *job.report.rendered;
  if (job.inverseFilter) {
    plot.inverse =
        std::shared_ptr<const std::vector<double>>(job.inverseFilter, &job.inverseFilter->taps);
    plot.low = job.inverseFilter->low;
    plot.high = job.inverseFilter->high;
  }
  const std::string name = job.file.path.empty() ? "" : ": " + job.file.path;
  plot.title =
      shape.name + (job.report.frequencyText ? " " + *job.report.frequencyText + " Hz" : "") +
      ", " + std::to_string(layout.sampleRate) + " Hz, " + SampleFormatName(layout.format) + ", " +
      std::to_string(layout.channels) + (layout.channels == 1 ? " channel" : " channels") + name;
  return plot;
}

std::string PlanJob(const RenderRequest& request, const ShapeRow& shape, const std::string& text,
                    RenderJob& job) {
  const bool readsFrequency = (shape.takes & (kTakesFrequency | kTakesRange | kTakesTones)) != 0;
  job.report.shape = shape.name;
  if (readsFrequency) job.report.frequencyText = text;
  job.report.exact = request.exact;
  job.bandLimitHelps =
      (shape.takes & kTakesBandLimit) && shape.windowCode != kShapeSine && !request.bandlimited;
  std::string rendered;
  if (request.exact) {
    if (std::string fault = PlanExactJob(request, shape, text, job, rendered); !fault.empty())
      return fault;
  } else {
    PlanWindowJob(request, shape, text, job, rendered);
  }
  const NameFields fields{shape.name, readsFrequency ? text : "", rendered,
                          std::to_string(request.rate), std::to_string(request.channels)};
  if (!request.plotTemplate.empty()) {
    JobPlot plot;
    if (std::string fault = ExpandOutputTemplate(request.plotTemplate, fields, plot.path);
        !fault.empty())
      return "--plot: " + fault;
    job.plot = std::move(plot);
  }
  if (request.run.outputGiven) {
    if (std::string fault = PlanOutput(request, fields, job.file); !fault.empty()) return fault;
  }
  if (job.plot) job.plot->request = PlotRequestOf(shape, job);
  return "";
}

}  // namespace

RenderPlan PlanRenders(const RenderRequest& request) {
  RenderPlan plan;
  plan.run = request.run;
  plan.fault = request.fault;
  if (!plan.fault.empty()) return plan;
  std::set<std::string> noted;
  for (const ShapeRow* shape : request.shapes) {
    // A shape without a frequency is one file, whatever the list of frequencies.
    const bool readsFrequency = (shape->takes & (kTakesFrequency | kTakesRange | kTakesTones)) != 0;
    const std::vector<std::string> texts =
        readsFrequency ? request.frequencyTexts : std::vector<std::string>{""};
    for (const std::string& text : texts) {
      RenderJob job;
      plan.fault = PlanJob(request, *shape, text, job);
      if (!plan.fault.empty()) return plan;
      for (const std::string& note : job.notes)
        if (noted.insert(note).second) plan.notes.push_back(note);
      plan.jobs.push_back(std::move(job));
    }
  }
  // Played only, nothing written: no file names to compare.
  if (request.run.outputGiven) plan.fault = OutputConflictFault(plan.jobs, request.inversePath);
  if (plan.fault.empty() && !request.plotTemplate.empty())
    plan.fault = PlotConflictFault(plan.jobs, request.inversePath);
  return plan;
}
