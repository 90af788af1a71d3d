#include "cli/render_plan.h"

#include <sys/stat.h>

#include <filesystem>
#include <iterator>
#include <map>
#include <set>
#include <utility>

#include "cli/output_names.h"
#include "cli/render_report.h"
#include "cli/signal_plan.h"

namespace {

namespace fs = std::filesystem;

int ShapeCodeNamed(const std::string& name) {
  int code = kFirstShapeCode;
  for (const char* known : kShapeNames) {
    if (name == known) return code;
    ++code;
  }
  code = kFirstExactOnlyShape;
  for (const char* known : kExactOnlyShapeNames) {
    if (name == known) return code;
    ++code;
  }
  return 0;
}

// "sine, saw, ... and multitone".
std::string KnownShapes() {
  std::vector<std::string> names(std::begin(kShapeNames), std::end(kShapeNames));
  names.insert(names.end(), std::begin(kExactOnlyShapeNames), std::end(kExactOnlyShapeNames));
  std::string list = names.front();
  for (std::size_t i = 1; i < names.size(); ++i)
    list += (i + 1 == names.size() ? " and " : ", ") + names[i];
  return list;
}

std::string Describe(const RenderJob& job) {
  return job.shapeName + " at \"" + job.frequencyText + "\"";
}

// Where writing `path` lands: symbolic links followed, dangling ones too, since writing through
// one creates the file it names.
std::string LandingName(const std::string& path) {
  constexpr int kMostLinksFollowed = 40;
  fs::path landing = path;
  std::error_code error;
  for (int followed = 0; followed < kMostLinksFollowed && fs::is_symlink(landing, error);
       ++followed) {
    const fs::path target = fs::read_symlink(landing, error);
    if (error) break;
    landing = target.is_absolute() ? target : landing.parent_path() / target;
  }
  return fs::absolute(landing, error).lexically_normal().string();
}

// Two names for one file: the same path spelled differently, links to one name, or hard links to
// one existing file.
std::string SameFileFault(const std::vector<RenderJob>& jobs, const std::string& inversePath) {
  if (jobs.size() > 1 && jobs.front().path == kStandardOutputName)
    return "--output - writes one file, but the lists ask for " + std::to_string(jobs.size());
  if (!inversePath.empty() && jobs.size() > 1)
    return "--inverse writes one filter, but the lists ask for " + std::to_string(jobs.size()) +
           " sweeps";
  if (!inversePath.empty() && LandingName(inversePath) == LandingName(jobs.front().path))
    return "--inverse and --output name the same file " + inversePath;
  std::map<std::string, const RenderJob*> byName;
  std::map<std::pair<dev_t, ino_t>, const RenderJob*> byFile;
  for (const RenderJob& job : jobs) {
    const std::string name = job.path == kStandardOutputName ? job.path : LandingName(job.path);
    const RenderJob* other = nullptr;
    if (auto [at, added] = byName.emplace(name, &job); !added) other = at->second;
    struct stat status {};
    if (other == nullptr && job.path != kStandardOutputName &&
        ::stat(job.path.c_str(), &status) == 0) {
      if (auto [at, added] = byFile.emplace(std::pair{status.st_dev, status.st_ino}, &job); !added)
        other = at->second;
    }
    if (other != nullptr)
      return "--output would write " + Describe(*other) + " and " + Describe(job) +
             " to the same file " +
             (job.path == other->path ? job.path : other->path + " = " + job.path) +
             "; name each by {shape}, {frequency} or {rendered}";
  }
  return "";
}

std::string RequestFault(const RenderOptions& options) {
  for (const std::string& shape : options.shapes)
    if (ShapeCodeNamed(shape) == 0)
      return "--shape: unknown shape \"" + shape + "\"; known are " + KnownShapes();
  if (options.outputGiven && options.outputTemplate.empty())
    return "--output: the file name is empty";
  if (const std::string fault = AmplitudeFault(options); !fault.empty()) return fault;
  return options.outputGiven ? OutputTemplateFault(options.outputTemplate) : "";
}

// The window's amplitude text is read unless a level in dBFS takes its place.
bool ReadsAmplitude(const RenderPlan& plan, const RenderOptions& options) {
  return !plan.exact || (options.peakText.empty() && options.rmsText.empty());
}

void NoteClamps(RenderPlan& plan, const RenderOptions& options) {
  std::set<std::string> noted;
  const auto note = [&](const std::string& text) {
    if (!text.empty() && noted.insert(text).second) plan.clampNotes.push_back(text);
  };
  if (ReadsAmplitude(plan, options)) note(AmplitudeClampNote(plan.amplitude));
  if (!plan.exact) note(LengthClampNote(plan.length));
  for (const RenderJob& job : plan.jobs)
    note(FrequencyClampNote(job.frequencyText, job.frequency, job.planned, options.sampleRate));
}

RenderJob PlanJob(const RenderOptions& options, const RenderPlan& plan, const std::string& shape,
                  const std::string& frequencyText) {
  RenderJob job{
      ShapeCodeNamed(shape), shape, frequencyText, ReadDecimalText(frequencyText), {}, {}, ""};
  const auto rate = static_cast<std::uint32_t>(options.sampleRate);
  std::string rendered;
  if (plan.exact) {
    // Only tones read their frequency as the window does; the other signals read their own.
    job.planned = job.shapeCode < kFirstExactOnlyShape ? ClampFrequencyForRate(job.frequency, rate)
                                                       : RenderOutcome{job.frequency, false, {}};
    job.exact = PlanExactSignal(options, plan.request, job.shapeCode, shape, frequencyText,
                                job.planned.frequency);
    rendered = NumberText(job.exact.frequency);
  } else {
    job.planned = PlanFrequency(job.frequency, plan.length, rate);
    rendered = NumberText(job.planned.frequency);
  }
  const NameFields fields{shape, frequencyText, rendered, std::to_string(options.sampleRate),
                          std::to_string(options.channels)};
  job.path = ExpandOutputTemplate(options.outputTemplate, fields);
  return job;
}

}  // namespace

RenderPlan PlanRenders(const RenderOptions& options) {
  RenderPlan plan;
  plan.fault = RequestFault(options);
  if (!plan.fault.empty()) return plan;
  plan.exact = NeedsExactRendering(options);
  plan.amplitude = ReadIntegerText(options.amplitudeText);
  plan.length = ReadDecimalText(options.lengthText);
  if (plan.exact) {
    plan.request = PlanExactRequest(options);
    plan.fault = plan.request.fault;
    if (!plan.fault.empty()) return plan;
  }
  plan.parametersClamped =
      (ReadsAmplitude(plan, options) && ClampAmplitude(plan.amplitude) != plan.amplitude) ||
      (!plan.exact && !(ClampLength(plan.length) == plan.length));
  for (const std::string& shape : options.shapes)
    for (const std::string& frequencyText : options.frequencyTexts) {
      plan.jobs.push_back(PlanJob(options, plan, shape, frequencyText));
      if (!plan.jobs.back().exact.fault.empty()) {
        plan.fault = plan.jobs.back().exact.fault;
        return plan;
      }
    }
  // Played only, nothing written: no file names to compare.
  if (options.outputGiven) plan.fault = SameFileFault(plan.jobs, options.inversePath);
  if (plan.fault.empty()) NoteClamps(plan, options);
  return plan;
}
