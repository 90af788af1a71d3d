#include "cli/output_conflicts.h"

#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <utility>

#include "files/file_writer.h"

namespace {

namespace fs = std::filesystem;

std::string Describe(const RenderJob& job) {
  return job.report.shape +
         (job.report.frequencyText ? " at \"" + *job.report.frequencyText + "\"" : "");
}

std::size_t InverseFilters(const std::vector<RenderJob>& jobs) {
  std::size_t filters = 0;
  for (const RenderJob& job : jobs) filters += job.inverse ? 1 : 0;
  return filters;
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

}  // namespace

std::string OutputConflictFault(const std::vector<RenderJob>& jobs,
                                const std::string& inversePath) {
  if (jobs.size() > 1 && jobs.front().file.path == kStandardOutputName)
    return "--output - writes one file, but the lists ask for " + std::to_string(jobs.size());
  if (InverseFilters(jobs) > 1)
    return "--inverse writes one filter, but the lists ask for " +
           std::to_string(InverseFilters(jobs)) + " sweeps";
  if (!inversePath.empty() && LandingName(inversePath) == LandingName(jobs.front().file.path))
    return "--inverse and --output name the same file " + inversePath;
  std::map<std::string, const RenderJob*> byName;
  std::map<std::pair<dev_t, ino_t>, const RenderJob*> byFile;
  for (const RenderJob& job : jobs) {
    // A device or a pipe takes one stream after another; nothing is replaced.
    if (IsStreamTarget(job.file.path)) continue;
    const std::string name =
        job.file.path == kStandardOutputName ? job.file.path : LandingName(job.file.path);
    const RenderJob* other = nullptr;
    if (auto [at, added] = byName.emplace(name, &job); !added) other = at->second;
    struct stat status {};
    if (other == nullptr && job.file.path != kStandardOutputName &&
        ::stat(job.file.path.c_str(), &status) == 0) {
      if (auto [at, added] = byFile.emplace(std::pair{status.st_dev, status.st_ino}, &job); !added)
        other = at->second;
    }
    if (other != nullptr)
      return "--output would write " + Describe(*other) + " and " + Describe(job) +
             " to the same file " +
             (job.file.path == other->file.path ? job.file.path
                                                : other->file.path + " = " + job.file.path) +
             "; name each by {shape}, {frequency} or {rendered}";
  }
  return "";
}

std::string PlotConflictFault(const std::vector<RenderJob>& jobs, const std::string& inversePath) {
  std::map<std::string, const RenderJob*> pictures;
  std::map<std::string, std::string> written;  // landing name: the option that writes it
  if (!inversePath.empty()) written[LandingName(inversePath)] = "--inverse";
  for (const RenderJob& job : jobs)
    if (!job.file.path.empty() && job.file.path != kStandardOutputName)
      written[LandingName(job.file.path)] = "--output";
  for (const RenderJob& job : jobs) {
    if (!job.plot) continue;
    const std::string name = LandingName(job.plot->path);
    if (auto at = written.find(name); at != written.end())
      return "--plot and " + at->second + " name the same file " + job.plot->path;
    if (auto [at, added] = pictures.emplace(name, &job); !added)
      return "--plot would draw " + Describe(*at->second) + " and " + Describe(job) +
             " to the same file " + job.plot->path +
             "; name each by {shape}, {frequency} or "
             "{rendered}";
  }
  return "";
}
