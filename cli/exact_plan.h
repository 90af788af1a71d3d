// The exact rendering's figures for one request: frames, whole cycles, level, format.
#pragma once

#include <cstdint>
#include <string>

#include "cli/render_options.h"
#include "cli/render_report.h"
#include "signals/exact_tone.h"
#include "signals/signal_level.h"
#include "wav/sample_encoding.h"

// A gain a rounding step above 1 is still full scale.
constexpr double kFullScaleTolerance = 1e-12;

struct ExactRequest {
  SampleFormat format = SampleFormat::kPcm16;
  std::uint64_t frames = 0;  // 0 with --cycles: each frequency sets its own
  bool dither = false;
  std::string fault;  // not empty: refused, nothing is written
};

// Whether the request needs the exact rendering: asked for, or an option the window lacks. A
// length beyond the window's 20 s alone is clamped as the window clamps it, as it always was.
bool NeedsExactRendering(const RenderOptions& options);
// "-6dB" would read as -6 % and render silence: refused in either rendering, pointing to --peak.
std::string AmplitudeFault(const RenderOptions& options);
// Checks and reads what every file of the request shares.
ExactRequest PlanExactRequest(const RenderOptions& options);

// One file of the exact rendering: where its values come from and how loud they are written.
struct ExactSignalPlan {
  ValueSource values;  // unit values, fades applied
  std::uint64_t frames = 0;
  double frequency = 0;              // rendered: a tone's cycles × rate / frames, a sweep's start
  double gain = 0;                   // of full scale, for the unit values
  double peak = 1;                   // of the unit values
  Json reportKeys = Json::object();  // what this kind of signal adds to its report line
  ExactTone tone{};                  // a tone's shape, cycles and period
  double sweepEnd = 0;               // a sweep's end frequency, for its inverse filter
  std::string fault;
};

// The tone for one shape and (clamped) frequency: whole cycles over the frames, or the frames of
// whole cycles, and the gain that meets the level asked for.
ExactSignalPlan PlanExactTone(const RenderOptions& options, const ExactRequest& request, int shape,
                              const std::string& shapeName, float frequency);

// How the exact rendering writes values at this gain: the request's format and dither, the
// options' channels and seed.
SampleEncoding ExactEncoding(const ExactRequest& request, const RenderOptions& options,
                             double gain);

// Reading a level option: a number and nothing else ("-20", "+3.5").
bool ReadDecibels(const std::string& text, double& value);
// Whether the level asked for is an RMS level: --rms, or no level at all for a signal whose
// default is one.
bool LevelIsRms(const RenderOptions& options, bool rmsByDefault);
// The gain that brings unit values of this peak and mean square to the level asked for
// (--peak, --rms, else --amplitude, else `defaultRms` dBFS when given), or a fault that names
// the crest factor when the peak would pass full scale.
std::string GainForLevel(const RenderOptions& options, const std::string& shapeName, double peak,
                         double meanSquare, const double* defaultRms, double& gain);
