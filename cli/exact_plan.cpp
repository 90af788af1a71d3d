#include "cli/exact_plan.h"

#include <charconv>
#include <cmath>

#include "cli/render_report.h"
#include "cli/signal_plan.h"
#include "sound/wav_buffer.h"

namespace {

constexpr double kQuietestLevel = -200.0;  // dBFS: far below any format's smallest step
// A frequency keeps a whole number of frames per --cycles when they are this close to whole.
constexpr double kWholeFramesTolerance = 1e-9;

double GainOf(double decibels) { return std::pow(10.0, decibels / kDecibelsPerFactorOfTen); }

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

std::string FrameCountFault(const RenderOptions& options) {
  return "more than " + std::to_string(kLongestExactSeconds) + " s at " +
         std::to_string(options.sampleRate) + " Hz";
}

std::uint64_t MostFrames(const RenderOptions& options) {
  return std::uint64_t{kLongestExactSeconds} * static_cast<std::uint64_t>(options.sampleRate);
}

std::string LengthFault(const RenderOptions& options, std::uint64_t& frames) {
  if (options.samples > 0) {
    frames = options.samples;
    return frames > MostFrames(options)
               ? "--samples: at most " + std::to_string(MostFrames(options)) + " at " +
                     std::to_string(options.sampleRate) + " Hz (24 hours)"
               : "";
  }
  if (options.cycles > 0) return "";
  const float seconds = ReadDecimalText(options.lengthText);
  if (!(seconds > 0) || seconds > kLongestExactSeconds)
    return "--length: \"" + options.lengthText + "\" is out of range: more than 0 and at most " +
           std::to_string(kLongestExactSeconds) + " s";
  frames = static_cast<std::uint64_t>(std::nearbyint(double{seconds} * options.sampleRate));
  return frames == 0 ? "--length: \"" + options.lengthText + "\" is shorter than one frame" : "";
}

std::string LevelOptionFault(const RenderOptions& options) {
  for (const auto& [option, text] :
       {std::pair{"--peak", &options.peakText}, std::pair{"--rms", &options.rmsText}}) {
    double decibels = 0;
    if (text->empty()) continue;
    if (!ReadDecibels(*text, decibels) || decibels < kQuietestLevel)
      return LevelFault(option, *text);
    if (option == std::string("--peak") && decibels > 0)
      return "--peak: " + *text + " dBFS is above full scale; give a number from " +
             NumberText(kQuietestLevel) + " to 0";
  }
  return "";
}

// Frames of `cycles` whole cycles: refused unless they are a whole number.
std::string CycleFramesFault(const RenderOptions& options, double frequency,
                             std::uint64_t& frames) {
  const double exact = static_cast<double>(options.cycles) * options.sampleRate / frequency;
  const double whole = std::nearbyint(exact);
  const std::string what = "--cycles " + std::to_string(options.cycles) + " of " +
                           NumberText(static_cast<float>(frequency)) + " Hz at " +
                           std::to_string(options.sampleRate) + " Hz";
  if (!(std::fabs(exact - whole) <= kWholeFramesTolerance * exact))
    return what + ": " + std::to_string(exact) +
           " frames, not a whole number, so the frequency cannot be kept; give a frequency "
           "whose period is a whole number of frames, or --length or --samples";
  if (whole > static_cast<double>(MostFrames(options)))
    return what + ": " + FrameCountFault(options);
  frames = static_cast<std::uint64_t>(whole);
  return "";
}

double DecibelsOf(const std::string& text) {
  double decibels = 0;
  ReadDecibels(text, decibels);
  return decibels;
}

std::string CrestText(double peak, double meanSquare) {
  return NumberText(
      static_cast<float>(std::round(CrestFactorDecibels({peak, meanSquare}) * 100) / 100));
}

}  // namespace

bool ReadDecibels(const std::string& text, double& value) {
  const char* begin = text.data();
  const char* end = begin + text.size();
  if (begin != end && *begin == '+') ++begin;
  const auto [stop, error] = std::from_chars(begin, end, value);
  return begin != end && error == std::errc() && stop == end && std::isfinite(value);
}

SampleEncoding ExactEncoding(const ExactRequest& request, const RenderOptions& options,
                             double gain) {
  return {request.format, static_cast<unsigned>(options.channels), gain, request.dither,
          options.seed};
}

bool LevelIsRms(const RenderOptions& options, bool rmsByDefault) {
  return !options.rmsText.empty() ||
         (options.peakText.empty() && !options.amplitudeGiven && rmsByDefault);
}

std::string GainForLevel(const RenderOptions& options, const std::string& shapeName, double peak,
                         double meanSquare, const double* defaultRms, double& gain) {
  const bool byRms = LevelIsRms(options, defaultRms != nullptr);
  if (!options.peakText.empty()) {
    gain = peak > 0 ? GainOf(DecibelsOf(options.peakText)) / peak : 0;
  } else if (byRms) {
    const double decibels = options.rmsText.empty() ? *defaultRms : DecibelsOf(options.rmsText);
    gain =
        meanSquare > 0 ? GainOf(decibels) * std::sqrt(kAes17MeanSquareOfFullScale / meanSquare) : 0;
    if (gain * peak > 1 + kFullScaleTolerance) {
      // The level that would reach full scale exactly, to two decimals, rounded down.
      const double highest =
          std::floor((decibels - kDecibelsPerFactorOfTen * std::log10(gain * peak)) * 100) / 100;
      return "--rms " + NumberText(decibels) + " would take the " + shapeName +
             "'s peak above full scale (its crest factor is " + CrestText(peak, meanSquare) +
             " dB); at most " + NumberText(static_cast<float>(highest)) + " dBFS for this " +
             shapeName;
    }
  } else {
    const double percent =
        static_cast<double>(ClampAmplitude(ReadIntegerText(options.amplitudeText)));
    gain = peak > 0 ? percent / 100.0 / peak : 0;
  }
  gain = std::min(gain, peak > 0 ? 1.0 / peak : 1.0);
  return "";
}

std::string AmplitudeFault(const RenderOptions& options) {
  if (!LooksLikeDecibels(options.amplitudeText)) return "";
  return "--amplitude takes percent of full scale; for \"" + options.amplitudeText +
         "\" use --peak (dBFS)";
}

bool NeedsExactRendering(const RenderOptions& options) {
  return options.exact || options.formatName != kDefaultFormatName ||
         (options.sampleRate != kLowSampleRate && options.sampleRate != kHighSampleRate) ||
         options.channels > kStereoChannels || !options.peakText.empty() ||
         !options.rmsText.empty() || options.samples > 0 || options.cycles > 0 ||
         options.dither != kNoDither || options.loop || NeedsExactSignal(options);
}

ExactRequest PlanExactRequest(const RenderOptions& options) {
  ExactRequest request;
  SampleFormatNamed(options.formatName, request.format);
  request.dither = options.dither == kTriangularDither;
  if (request.dither && IsFloat(request.format))
    request.fault = "--dither tpdf: " + options.formatName +
                    " samples are not dithered; give an integer --format (pcm16, pcm24, pcm32)";
  if (request.fault.empty()) request.fault = LevelOptionFault(options);
  if (request.fault.empty()) request.fault = LengthFault(options, request.frames);
  return request;
}

ExactSignalPlan PlanExactTone(const RenderOptions& options, const ExactRequest& request, int shape,
                              const std::string& shapeName, float frequency) {
  ExactSignalPlan plan;
  const double rate = options.sampleRate;
  plan.frames = request.frames;
  if (options.cycles > 0) {
    plan.fault = CycleFramesFault(options, frequency, plan.frames);
    if (!plan.fault.empty()) return plan;
  }
  const double cyclesWanted = options.cycles > 0 ? static_cast<double>(options.cycles)
                                                 : std::nearbyint(frequency * plan.frames / rate);
  // Below half the rate: twice the cycles stay under the frames.
  const double mostCycles = std::floor((static_cast<double>(plan.frames) - 1) / 2);
  const double cycles = std::min(cyclesWanted < 1 ? 1.0 : cyclesWanted, mostCycles);
  if (cycles < 1) {
    plan.fault = "no whole cycle of " + NumberText(frequency) + " Hz below half the rate fits in " +
                 std::to_string(plan.frames) + " frames; render more frames";
    return plan;
  }
  const ExactTone tone{shape, static_cast<std::uint64_t>(cycles), plan.frames};
  plan.frequency = cycles * rate / static_cast<double>(plan.frames);
  plan.tone = tone;
  plan.values = [tone](std::uint64_t first, std::size_t count, double* out) {
    RenderToneValues(tone, first, count, out);
  };
  plan.fault = GainForLevel(options, shapeName, 1.0, ToneMeanSquare(tone), nullptr, plan.gain);
  return plan;
}
