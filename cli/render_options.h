// What the render command was asked for, as the command line gave it.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct RenderOptions {
  std::vector<std::string> shapes;
  std::vector<std::string> frequencyTexts;  // as given: each is read as the window reads its field
  std::string amplitudeText;
  std::string lengthText;
  std::int16_t channels = 0;
  std::int32_t sampleRate = 0;
  // What only the exact rendering offers; empty texts and zero counts were not given.
  bool exact = false;
  std::string formatName;
  std::string peakText;
  std::string rmsText;
  std::uint64_t samples = 0;
  std::uint64_t cycles = 0;
  std::string dither;
  std::uint64_t seed = 1;
  bool loop = false;
  bool amplitudeGiven = false;  // --amplitude on the command line, not its default
  bool bandlimited = false;
  std::string fadeInText;                           // milliseconds; empty: none
  std::string fadeOutText;                          // milliseconds; empty: the signal's own default
  std::string inversePath;                          // a sweep's inverse filter; empty: none
  bool periodic = false;                            // noise whose period is the file
  std::map<std::string, std::uint64_t> parameters;  // the shapes' own, by name; 0: not given
  std::string typeName;                             // --type; empty: by the output's name
  std::string outputTemplate;
  bool quiet = false;
  bool noClobber = false;
  bool measure = false;  // figures measured from each file's bytes, in its report line
  bool outputGiven = false;
  bool play = false;
  unsigned loopPlay = 0;
  unsigned playTimes = 0;  // each file played this many times over, seamlessly; 0: not played
  unsigned jobs = 1;
};

// Exit codes: a file could not be written; the request itself is wrong (nothing is written).
constexpr int kExitWriteFailed = 1;
constexpr int kExitBadRequest = 2;
constexpr int kExitInterrupted = 130;  // 128 + SIGINT, as shells report it
constexpr unsigned kMostLoopPlays = 100000;

struct ParsedCommandLine {
  RenderOptions options;
  bool finished = false;  // help, version or an error was printed: exit with exitCode
  int exitCode = 0;
};

ParsedCommandLine ParseCommandLine(int argc, char** argv);
// How a refused request is told on standard error.
std::string FailureText(const std::string& fault);

// The sample formats, channel counts and rates the render command offers.
constexpr const char* kDefaultFormatName = "pcm16";
constexpr const char* kDefaultTypeName = "wav";
constexpr const char* kNoDither = "none";
constexpr const char* kTriangularDither = "tpdf";
constexpr std::int16_t kMostChannels = 8;
constexpr std::int32_t kLowestRate = 8000;
constexpr std::int32_t kHighestRate = 768000;
// The longest file the exact rendering makes: 24 hours.
constexpr int kLongestExactSeconds = 24 * 60 * 60;

// "a,b,,c" gives "a", "b", "" and "c": an empty item is a text like any other.
std::vector<std::string> SplitList(const std::string& list);
