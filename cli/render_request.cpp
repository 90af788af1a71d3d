#include "cli/render_request.h"

#include <charconv>
#include <cmath>

#include "cli/output_names.h"
#include "signals/number_text.h"
#include "sound/wav_buffer.h"

namespace {

constexpr double kQuietestLevel = -200.0;  // dBFS: far below any format's smallest step

// "-6dB" in --amplitude would read as -6 % and render silence.
bool LooksLikeDecibels(const std::string& text) {
  const std::size_t at = text.find_last_not_of(" \t");
  if (at == std::string::npos || at < 1) return false;
  const std::string tail = text.substr(0, at + 1);
  const std::size_t unit = tail.size() >= 4 && (tail.compare(tail.size() - 4, 4, "dBFS") == 0 ||
                                                tail.compare(tail.size() - 4, 4, "dbfs") == 0)
                               ? 4
                               : 2;
  if (tail.size() <= unit) return false;
  const std::string suffix = tail.substr(tail.size() - unit, 2);
  if (suffix != "dB" && suffix != "db" && suffix != "DB") return false;
  const char before = tail[tail.size() - unit - 1];
  return (before >= '0' && before <= '9') || before == ' ' || before == '.';
}

std::string LevelFault(const char* option, const std::string& text) {
  return std::string(option) + ": \"" + text + "\" is not a level in dBFS; give a number from " +
         NumberText(kQuietestLevel) + " to 0";
}

// --peak and --rms in dBFS; otherwise the window's percent.
std::string ReadLevel(const RenderOptions& options, LevelRequest& level) {
  for (const auto& [option, text, kind] :
       {std::tuple{"--peak", &options.peakText, LevelKind::kPeak},
        std::tuple{"--rms", &options.rmsText, LevelKind::kRms}}) {
    if (text->empty()) continue;
    double decibels = 0;
    if (!ReadPlainNumber(*text, decibels) || decibels < kQuietestLevel)
      return LevelFault(option, *text);
    if (kind == LevelKind::kPeak && decibels > 0)
      return "--peak: " + *text + " dBFS is above full scale; give a number from " +
             NumberText(kQuietestLevel) + " to 0";
    level = {kind, decibels, true};
    return "";
  }
  level = {LevelKind::kPercent,
           static_cast<double>(ClampAmplitude(ReadIntegerText(options.amplitudeText))),
           options.amplitudeGiven};
  return "";
}

std::string ReadLength(const RenderOptions& options, RenderRequest& request) {
  request.mostFrames =
      std::uint64_t{kLongestExactSeconds} * static_cast<std::uint64_t>(options.sampleRate);
  if (options.samples > 0) {
    request.frames = options.samples;
    return request.frames > request.mostFrames
               ? "--samples: at most " + std::to_string(request.mostFrames) + " at " +
                     std::to_string(options.sampleRate) + " Hz (24 hours)"
               : "";
  }
  if (options.cycles > 0) return "";
  const float seconds = ReadDecimalText(options.lengthText);
  if (!(seconds > 0) || seconds > kLongestExactSeconds)
    return "--length: \"" + options.lengthText + "\" is out of range: more than 0 and at most " +
           std::to_string(kLongestExactSeconds) + " s";
  request.frames = static_cast<std::uint64_t>(std::nearbyint(double{seconds} * options.sampleRate));
  return request.frames == 0 ? "--length: \"" + options.lengthText + "\" is shorter than one frame"
                             : "";
}

// A fade's length in milliseconds; nothing when not given.
std::string ReadFade(const char* option, const std::string& text, std::optional<double>& fade) {
  if (text.empty()) return "";
  double milliseconds = 0;
  if (!ReadPlainNumber(text, milliseconds) || milliseconds < 0)
    return std::string(option) + ": \"" + text + "\" is not a length in milliseconds";
  fade = milliseconds;
  return "";
}

// Whether the request needs the exact rendering: asked for, or something the window lacks. A
// length beyond the window's 20 s alone is clamped as the window clamps it, as it always was.
bool NeedsExactRendering(const RenderOptions& options, const RenderRequest& request) {
  for (const ShapeRow* shape : request.shapes)
    if (shape->windowCode == 0) return true;
  return options.exact || options.formatName != kDefaultFormatName ||
         (options.sampleRate != kLowSampleRate && options.sampleRate != kHighSampleRate) ||
         options.channels > kStereoChannels || !options.peakText.empty() ||
         !options.rmsText.empty() || options.samples > 0 || options.cycles > 0 ||
         options.dither != kNoDither || options.loop || options.bandlimited ||
         !options.fadeInText.empty() || !options.fadeOutText.empty() ||
         !options.inversePath.empty() || options.periodic;
}

std::string ReadShapes(const RenderOptions& options, RenderRequest& request) {
  for (const std::string& name : options.shapes) {
    const ShapeRow* shape = ShapeNamed(name);
    if (shape == nullptr)
      return "--shape: unknown shape \"" + name + "\"; known are " + ShapeNameList();
    request.shapes.push_back(shape);
  }
  return "";
}

std::string ReadOutput(const RenderOptions& options, RenderRequest& request) {
  if (options.outputGiven && options.outputTemplate.empty())
    return "--output: the file name is empty";
  if (LooksLikeDecibels(options.amplitudeText))
    return "--amplitude takes percent of full scale; for \"" + options.amplitudeText +
           "\" use --peak (dBFS)";
  if (!options.typeName.empty()) {
    FileType type = FileType::kWav;
    FileTypeNamed(options.typeName, type);
    request.type = type;
  }
  request.outputTemplate = options.outputTemplate;
  return options.outputGiven ? OutputTemplateFault(options.outputTemplate) : "";
}

// What only the exact rendering reads: its format, dither, length, level and fades.
std::string ReadExactRequest(const RenderOptions& options, RenderRequest& request) {
  SampleFormatNamed(options.formatName, request.format);
  request.dither = options.dither == kTriangularDither;
  if (request.dither && IsFloat(request.format))
    return "--dither tpdf: " + options.formatName +
           " samples are not dithered; give an integer --format (pcm16, pcm24, pcm32)";
  std::string fault = ReadLevel(options, request.level);
  if (fault.empty()) fault = ReadLength(options, request);
  if (fault.empty()) fault = ReadFade("--fade-in", options.fadeInText, request.fadeInMilliseconds);
  if (fault.empty())
    fault = ReadFade("--fade-out", options.fadeOutText, request.fadeOutMilliseconds);
  return fault;
}

void CopySettings(const RenderOptions& options, RenderRequest& request) {
  request.frequencyTexts = options.frequencyTexts;
  request.rate = options.sampleRate;
  request.channels = options.channels;
  request.amplitude = ReadIntegerText(options.amplitudeText);
  request.length = ReadDecimalText(options.lengthText);
  request.seed = options.seed;
  request.cycles = options.cycles;
  request.bandlimited = options.bandlimited;
  request.periodic = options.periodic;
  request.loop = options.loop;
  request.parameters = options.parameters;
  request.inversePath = options.inversePath;
  request.run = {options.jobs,      options.playTimes, options.outputGiven,
                 options.noClobber, options.measure,   options.quiet};
}

}  // namespace

bool ReadPlainNumber(const std::string& text, double& value) {
  const char* begin = text.data();
  const char* end = begin + text.size();
  if (begin != end && *begin == '+') ++begin;
  const auto [stop, error] = std::from_chars(begin, end, value);
  return begin != end && error == std::errc() && stop == end && std::isfinite(value);
}

RenderRequest ReadRequest(const RenderOptions& options) {
  RenderRequest request;
  CopySettings(options, request);
  request.fault = ReadShapes(options, request);
  if (request.fault.empty()) request.fault = ReadOutput(options, request);
  if (!request.fault.empty()) return request;
  request.exact = NeedsExactRendering(options, request);
  if (request.exact) request.fault = ReadExactRequest(options, request);
  return request;
}
