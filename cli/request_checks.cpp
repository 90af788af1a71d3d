#include "cli/request_checks.h"

#include <cmath>
#include <vector>

#include "cli/frequency_reading.h"
#include "cli/number_reading.h"
#include "signals/number_text.h"
#include "sound/wav_buffer.h"

namespace {

constexpr unsigned kTakesAnyFrequency = kTakesFrequency | kTakesRange | kTakesTones;

std::string Listed(const std::vector<std::string>& names) {
  std::string list;
  for (std::size_t i = 0; i < names.size(); ++i)
    list += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
  return list;
}

bool AnyShapeTakes(const RenderRequest& request, unsigned takes) {
  for (const ShapeRow* shape : request.shapes)
    if (shape->takes & takes) return true;
  return false;
}

bool AnyShapeHasParameter(const RenderRequest& request, const std::string& option) {
  for (const ShapeRow* shape : request.shapes)
    if (shape->parameter != nullptr && option == std::string("--") + shape->parameter->name)
      return true;
  return false;
}

std::string NoneAsked(const std::string& option, const std::vector<std::string>& takers,
                      const std::string& also = "") {
  return option + " applies to " + Listed(takers) + also + "; none of them is asked for";
}

// An option given that no shape of the request takes: nothing would come of it.
std::string UntakenOptionFault(const RenderOptions& options, const RenderRequest& request) {
  const struct {
    bool given;
    unsigned takes;
    const char* option;
  } checks[] = {
      {request.frequencyGiven, kTakesAnyFrequency, "--frequency"},
      {request.bandlimited, kTakesBandLimit, "--bandlimited"},
      {Given(options, "--seed") && !request.dither, kTakesSeed, "--seed"},
      {request.periodic, kTakesPeriodic, "--periodic"},
      {!request.inversePath.empty(), kTakesInverse, "--inverse"},
      {request.cycles > 0, kTakesCycles, "--cycles"},
  };
  for (const auto& check : checks) {
    if (!check.given || AnyShapeTakes(request, check.takes)) continue;
    std::vector<std::string> takers;
    for (const ShapeRow& row : ShapeTable())
      if (row.takes & check.takes) takers.push_back(row.name);
    return NoneAsked(check.option, takers,
                     check.takes == kTakesSeed ? ", and to --dither tpdf" : "");
  }
  for (const auto& [option, value] : request.parameters) {
    if (AnyShapeHasParameter(request, option)) continue;
    std::vector<std::string> takers;
    for (const ShapeRow& row : ShapeTable())
      if (row.parameter != nullptr && option == std::string("--") + row.parameter->name)
        takers.push_back(row.name);
    return NoneAsked(option, takers);
  }
  return "";
}

// A tone's frequency: more than 0, below half the rate.
std::string ToneFrequencyFault(const std::string& text, double frequency, std::int32_t rate) {
  const double half = rate / 2.0;
  if (frequency > 0 && frequency < half) return "";
  return "--frequency: " + Quoted(text) + " is out of range; give more than 0 and less than " +
         NumberText(half) + " Hz (half the rate of " + std::to_string(rate) + " Hz)";
}

// Every text read by every shape that reads one; `insideWindow` stays true while each tone is
// one the window renders as it stands.
std::string FrequencyFault(const RenderRequest& request, bool& insideWindow) {
  for (const std::string& text : request.frequencyTexts) {
    if (text.empty())
      return "--frequency: an empty item in the list; give a number between the commas";
    for (const ShapeRow* shape : request.shapes) {
      if (!(shape->takes & kTakesAnyFrequency)) continue;
      const FrequencyReading reading = ReadFrequencies(*shape, text);
      if (!reading.fault.empty()) return reading.fault;
      if (!(shape->takes & kTakesFrequency)) continue;
      if (std::string fault = ToneFrequencyFault(text, reading.values.front(), request.rate);
          !fault.empty())
        return fault;
      insideWindow =
          insideWindow &&
          !ClampFrequencyForRate(ReadDecimalText(text), static_cast<std::uint32_t>(request.rate))
               .frequencyClamped;
    }
  }
  return "";
}

// Whether the window itself could make every file of the request, from the values as given.
bool WindowCanRender(const RenderOptions& options, const RenderRequest& request) {
  for (const ShapeRow* shape : request.shapes)
    if (shape->windowCode == 0) return false;
  const LevelRequest& level = request.level;
  return !options.exact && options.formatName == kDefaultFormatName &&
         (request.rate == kLowSampleRate || request.rate == kHighSampleRate) &&
         request.channels <= kStereoChannels && level.kind == LevelKind::kPercent &&
         level.value == std::trunc(level.value) && request.frames > 0 && request.cycles == 0 &&
         !Given(options, "--samples") &&
         ClampLength(request.windowLength) == request.windowLength && !request.dither &&
         !request.loop && !request.bandlimited && !request.fadeInMilliseconds &&
         !request.fadeOutMilliseconds && request.inversePath.empty() && !request.periodic;
}

}  // namespace

std::string CheckRequest(const RenderOptions& options, RenderRequest& request) {
  if (request.dither && IsFloat(request.format))
    return "--dither tpdf: " + options.formatName +
           " samples are not dithered; give an integer --format (pcm16, pcm24, pcm32)";
  if (std::string fault = UntakenOptionFault(options, request); !fault.empty()) return fault;
  bool insideWindow = true;
  if (std::string fault = FrequencyFault(request, insideWindow); !fault.empty()) return fault;
  request.exact = !insideWindow || !WindowCanRender(options, request);
  if (!request.exact) request.windowAmplitude = static_cast<std::int64_t>(request.level.value);
  return "";
}
