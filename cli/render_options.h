// What the render command was asked for, as the command line gave it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RenderOptions {
  std::vector<std::string> shapes;
  std::vector<std::string> frequencyTexts;  // as given: each is read as the window reads its field
  std::string amplitudeText;
  std::string lengthText;
  std::int16_t channels = 0;
  std::int32_t sampleRate = 0;
  std::string outputTemplate;
  bool quiet = false;
  bool noClobber = false;
  unsigned jobs = 1;
};

// Exit codes: a file could not be written; the request itself is wrong (nothing is written).
constexpr int kExitWriteFailed = 1;
constexpr int kExitBadRequest = 2;

struct ParsedCommandLine {
  RenderOptions options;
  bool finished = false;  // help, version or an error was printed: exit with exitCode
  int exitCode = 0;
};

ParsedCommandLine ParseCommandLine(int argc, char** argv);
// How a refused request is told on standard error.
std::string FailureText(const std::string& fault);

// "a,b,,c" gives "a", "b", "" and "c": an empty item is a text like any other.
std::vector<std::string> SplitList(const std::string& list);
