// What the render command's suites share: a folder of their own, reading a file whole, and the
// command line parsed as main() parses it.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cli/render_jobs.h"
#include "cli/render_options.h"
#include "cli/render_plan.h"
#include "cli/render_request.h"

namespace command_test {

using Bytes = std::vector<std::uint8_t>;

class TemporaryFolder {
 public:
  TemporaryFolder() {
    char name[] = "/tmp/quorvel-render-test-XXXXXX";
    path_ = ::mkdtemp(name);
  }
  ~TemporaryFolder() { std::filesystem::remove_all(path_); }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline ParsedCommandLine Parse(std::vector<std::string> words) {
  words.insert(words.begin(), "quorvel-render");
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  return ParseCommandLine(static_cast<int>(argv.size()), argv.data());
}

// The plan of a command line, as main() makes it.
inline RenderPlan PlanOf(const std::vector<std::string>& words) {
  return PlanRenders(ReadRequest(Parse(words).options));
}

// Runs the plan without report lines; the exit code.
inline int RunQuietly(const RenderPlan& plan) {
  return RunRenderJobs(plan, [](const JobOutcome&) {});
}

}  // namespace command_test
