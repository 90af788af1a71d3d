// What the render command was asked for, as the command line gave it: every value a text, read
// strictly by the request.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

struct RenderOptions {
  std::vector<std::string> shapes;
  std::vector<std::string> frequencyTexts;
  std::string amplitudeText, lengthText, samplesText, cyclesText;
  std::string channelsText, rateText, formatName, typeName;
  std::string peakText, rmsText, dither, seedText;
  std::string fadeInText, fadeOutText, inversePath;
  std::map<std::string, std::string> parameterTexts;  // the shapes' own, by option name
  std::string outputTemplate, plotTemplate;
  std::string jobsText, loopPlayText;
  bool exact = false, loop = false, bandlimited = false, periodic = false;
  bool quiet = false, noClobber = false, measure = false, play = false;
  std::vector<std::string> measuredFiles;  // named after --measure: measured, nothing rendered
  std::set<std::string> given;  // the options on the command line ("--peak"), not defaults
};

inline bool Given(const RenderOptions& options, const std::string& option) {
  return options.given.count(option) > 0;
}

// Exit codes: a file could not be written; the request itself is wrong (nothing is written).
constexpr int kExitWriteFailed = 1;
constexpr int kExitBadRequest = 2;
constexpr int kExitInterrupted = 130;  // 128 + SIGINT, as shells report it

struct ParsedCommandLine {
  RenderOptions options;
  bool finished = false;  // help, version or an error was printed: exit with exitCode
  int exitCode = 0;
};

ParsedCommandLine ParseCommandLine(int argc, char** argv);
// How a refused request is told on standard error.
std::string FailureText(const std::string& fault);

// What the render command offers.
constexpr const char* kDefaultFormatName = "pcm16";
constexpr const char* kNoDither = "none";
constexpr const char* kTriangularDither = "tpdf";
constexpr unsigned kMostChannels = 8;
constexpr unsigned kLowestRate = 8000;
constexpr unsigned kHighestRate = 768000;
constexpr unsigned kMostJobs = 4096;
constexpr unsigned kMostLoopPlays = 100000;
// The longest file the exact rendering makes: 24 hours.
constexpr int kLongestExactSeconds = 24 * 60 * 60;

// "a,b,,c" gives "a", "b", "" and "c": the request refuses the empty item.
std::vector<std::string> SplitList(const std::string& list);
