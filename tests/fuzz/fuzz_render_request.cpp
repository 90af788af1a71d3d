// Any command line, its words separated by NUL bytes: reading it and planning its files never
// crash, hang or trip a sanitizer, a refusal always comes with words, and nothing is written.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/render_options.h"
#include "cli/render_plan.h"
#include "cli/render_request.h"

namespace {

constexpr std::size_t kMostWords = 64;
// Planning measures noise and multitones over their whole length: short files keep a slow plan a
// fault of the code, not of a long request.
constexpr std::uint64_t kMostPlannedFrames = std::uint64_t{1} << 16;

std::vector<std::string> WordsOf(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> words{"quorvel-render"};
  std::string word;
  for (std::size_t i = 0; i < size && words.size() < kMostWords; ++i) {
    if (data[i] != 0) {
      word += static_cast<char>(data[i]);
      continue;
    }
    words.push_back(word);
    word.clear();
  }
  words.push_back(word);
  return words;
}

// CLI11 prints its help and refusals: to nowhere, while it parses.
ParsedCommandLine ParseQuietly(std::vector<std::string>& words) {
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  const int kept[] = {::dup(STDOUT_FILENO), ::dup(STDERR_FILENO)};
  const int nowhere = ::open("/dev/null", O_WRONLY);
  ::dup2(nowhere, STDOUT_FILENO);
  ::dup2(nowhere, STDERR_FILENO);
  ParsedCommandLine parsed = ParseCommandLine(static_cast<int>(argv.size()), argv.data());
  ::dup2(kept[0], STDOUT_FILENO);
  ::dup2(kept[1], STDERR_FILENO);
  for (int descriptor : {kept[0], kept[1], nowhere}) ::close(descriptor);
  return parsed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> words = WordsOf(data, size);
  const ParsedCommandLine parsed = ParseQuietly(words);
  if (parsed.finished) {
    if (parsed.exitCode != 0 && parsed.exitCode != kExitBadRequest) std::abort();
    return 0;
  }
  const RenderRequest request = ReadRequest(parsed.options);
  if (!request.fault.empty() || request.frames > kMostPlannedFrames) return 0;
  const RenderPlan plan = PlanRenders(request);
  if (!plan.fault.empty()) return 0;
  if (plan.jobs.empty()) std::abort();
  for (const RenderJob& job : plan.jobs)
    if (!job.file.source || job.file.layout.channels == 0 || job.file.layout.sampleRate == 0)
      std::abort();
  return 0;
}
