#include "cli/render_request.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "cli/number_reading.h"
#include "cli/output_names.h"
#include "cli/request_checks.h"
#include "signals/number_text.h"
#include "sound/wav_buffer.h"

namespace {

constexpr double kQuietestLevel = -200.0;  // dBFS: far below any format's smallest step
constexpr double kLoudestRms = 3.02;       // dBFS: a full-scale square; each shape says its own
constexpr double kPercentOfFullScale = 100.0;
constexpr double kLongestFadeMilliseconds = 1000.0 * kLongestExactSeconds;
constexpr double kMostCycles = 9007199254740992.0;  // 2^53: counted exactly

// The value, where no fault came before.
double Whole(const NumberRule& rule, const std::string& text, std::string& fault) {
  double value = 0;
  if (fault.empty()) fault = ReadNumberOption(rule, text, value);
  return value;
}

// Any 64-bit number, in decimal or 0x hex.
std::string ReadSeed(const std::string& text, std::uint64_t& seed) {
  std::size_t start = !text.empty() && text[0] == '+' ? 1 : 0;
  const bool hex = text.compare(start, 2, "0x") == 0 || text.compare(start, 2, "0X") == 0;
  if (hex) start += 2;
  const char* first = text.data() + start;
  const char* last = text.data() + text.size();
  const auto [end, error] = std::from_chars(first, last, seed, hex ? 16 : 10);
  if (first != last && error == std::errc() && end == last) return "";
  return "--seed: " + Quoted(text) + " is not a whole number from 0 to " +
         std::to_string(std::numeric_limits<std::uint64_t>::max()) + " (decimal, or hex after 0x)";
}

std::string ReadCounts(const RenderOptions& options, RenderRequest& request) {
  std::string fault;
  request.channels = static_cast<std::int16_t>(
      Whole({"--channels", "a whole number of channels", 1, kMostChannels, true, "channels"},
            options.channelsText, fault));
  request.rate = static_cast<std::int32_t>(
      Whole({"--rate", "a whole number of hertz", kLowestRate, kHighestRate, true, "Hz"},
            options.rateText, fault));
  request.run.jobs = static_cast<unsigned>(Whole(
      {"--jobs", "a whole number of files", 1, kMostJobs, true, "files"}, options.jobsText, fault));
  if (Given(options, "--loop-play"))
    request.run.playTimes = static_cast<unsigned>(
        Whole({"--loop-play", "a whole number of times", 1, kMostLoopPlays, true, "times"},
              options.loopPlayText, fault));
  else if (options.play)
    request.run.playTimes = 1;
  for (const auto& [option, text] : options.parameterTexts) {
    if (!Given(options, option)) continue;
    for (const ShapeRow& row : ShapeTable()) {
      if (row.parameter == nullptr || option != std::string("--") + row.parameter->name) continue;
      request.parameters[option] = static_cast<std::uint64_t>(
          Whole({option.c_str(), "a whole number", static_cast<double>(row.parameter->lowest),
                 static_cast<double>(row.parameter->highest), true, ""},
                text, fault));
      break;
    }
  }
  return fault.empty() ? ReadSeed(options.seedText, request.seed) : fault;
}

// --peak and --rms in dBFS; otherwise percent of full scale.
std::string ReadLevel(const RenderOptions& options, LevelRequest& level) {
  double value = 0;
  std::string fault;
  if (Given(options, "--peak")) {
    fault = ReadNumberOption({"--peak", "a level in dBFS", kQuietestLevel, 0, false, "dBFS"},
                             options.peakText, value);
    level = {LevelKind::kPeak, value, true};
  } else if (Given(options, "--rms")) {
    fault =
        ReadNumberOption({"--rms", "a level in dBFS", kQuietestLevel, kLoudestRms, false, "dBFS"},
                         options.rmsText, value);
    level = {LevelKind::kRms, value, true};
  } else {
    fault = ReadNumberOption({"--amplitude", "a percentage", 0, kPercentOfFullScale, false, "%"},
                             options.amplitudeText, value);
    level = {LevelKind::kPercent, value, Given(options, "--amplitude")};
    if (!fault.empty() && options.amplitudeText.find_first_of("dD") != std::string::npos)
      fault += " (a level in dBFS goes in --peak or --rms)";
  }
  return fault;
}

std::string ReadLength(const RenderOptions& options, RenderRequest& request) {
  request.mostFrames =
      std::uint64_t{kLongestExactSeconds} * static_cast<std::uint64_t>(request.rate);
  std::string fault;
  if (Given(options, "--samples")) {
    request.frames = static_cast<std::uint64_t>(
        Whole({"--samples", "a whole number of frames", 1, static_cast<double>(request.mostFrames),
               true, "frames (24 hours)"},
              options.samplesText, fault));
    return fault;
  }
  if (Given(options, "--cycles")) {
    request.cycles = static_cast<std::uint64_t>(
        Whole({"--cycles", "a whole number of cycles", 1, kMostCycles, true, ""},
              options.cyclesText, fault));
    return fault;
  }
  double seconds = 0;
  fault = ReadNumberOption(
      {"--length", "a number of seconds", 0, kLongestExactSeconds, false, "s", true},
      options.lengthText, seconds);
  if (!fault.empty()) return fault;
  request.frames = static_cast<std::uint64_t>(std::nearbyint(seconds * request.rate));
  if (request.frames == 0)
    return "--length: " + Quoted(options.lengthText) + " is shorter than one frame at " +
           std::to_string(request.rate) + " Hz";
  request.windowLength = ReadDecimalText(options.lengthText);
  return "";
}

// A fade's length in milliseconds; nothing when not given.
std::string ReadFade(const RenderOptions& options, const char* option, const std::string& text,
                     std::optional<double>& fade) {
  if (!Given(options, option)) return "";
  double milliseconds = 0;
  const std::string fault = ReadNumberOption(
      {option, "a number of milliseconds", 0, kLongestFadeMilliseconds, false, "ms"}, text,
      milliseconds);
  if (fault.empty()) fade = milliseconds;
  return fault;
}

std::string ReadShapes(const RenderOptions& options, RenderRequest& request) {
  for (const std::string& name : options.shapes) {
    const ShapeRow* shape = ShapeNamed(name);
    if (shape == nullptr)
      return "--shape: unknown shape " + Quoted(name) + "; known are " + ShapeNameList();
    request.shapes.push_back(shape);
  }
  return "";
}

std::string ReadOutput(const RenderOptions& options, RenderRequest& request) {
  request.run.outputGiven = Given(options, "--output");
  if (request.run.outputGiven && options.outputTemplate.empty())
    return "--output: the file name is empty";
  if (Given(options, "--inverse") && options.inversePath.empty())
    return "--inverse: the file name is empty";
  if (!options.typeName.empty()) {
    FileType type = FileType::kWav;
    FileTypeNamed(options.typeName, type);
    request.type = type;
  }
  request.outputTemplate = options.outputTemplate;
  if (Given(options, "--plot")) {
    if (options.plotTemplate.empty()) return "--plot: the file name is empty";
    if (options.plotTemplate == "-")  // standard output, which takes the sound if anything
      return "--plot writes a PNG file; give it a name, not '-'";
    if (std::string fault = OutputTemplateFault(options.plotTemplate); !fault.empty())
      return "--plot: " + fault;
    request.plotTemplate = options.plotTemplate;
  }
  return request.run.outputGiven ? OutputTemplateFault(options.outputTemplate) : "";
}

void CopySettings(const RenderOptions& options, RenderRequest& request) {
  request.frequencyTexts = options.frequencyTexts;
  request.frequencyGiven = Given(options, "--frequency");
  SampleFormatNamed(options.formatName, request.format);
  request.dither = options.dither == kTriangularDither;
  request.bandlimited = options.bandlimited;
  request.periodic = options.periodic;
  request.loop = options.loop;
  request.inversePath = options.inversePath;
  request.run.noClobber = options.noClobber;
  request.run.measure = options.measure;
  request.run.quiet = options.quiet;
}

}  // namespace

RenderRequest ReadRequest(const RenderOptions& options) {
  RenderRequest request;
  CopySettings(options, request);
  request.fault = ReadShapes(options, request);
  if (request.fault.empty()) request.fault = ReadCounts(options, request);
  if (request.fault.empty()) request.fault = ReadOutput(options, request);
  if (request.fault.empty()) request.fault = ReadLevel(options, request.level);
  if (request.fault.empty()) request.fault = ReadLength(options, request);
  if (request.fault.empty())
    request.fault = ReadFade(options, "--fade-in", options.fadeInText, request.fadeInMilliseconds);
  if (request.fault.empty())
    request.fault =
        ReadFade(options, "--fade-out", options.fadeOutText, request.fadeOutMilliseconds);
  if (request.fault.empty()) request.fault = CheckRequest(options, request);
  return request;
}
