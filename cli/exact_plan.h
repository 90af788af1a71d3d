// The exact rendering's figures for one request: frames, whole cycles, level, format.
#pragma once

#include <cstdint>
#include <string>

#include "cli/render_options.h"
#include "signals/exact_tone.h"
#include "wav/sample_encoding.h"

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

struct ExactTonePlan {
  ExactTone tone{};
  std::uint64_t frames = 0;
  double frequency = 0;  // rendered: cycles × rate / frames
  double gain = 0;       // of full scale, for the unit shape
  std::string fault;
};

// The tone for one shape and (clamped) frequency: whole cycles over the frames, or the frames of
// whole cycles, and the gain that meets the level asked for.
ExactTonePlan PlanExactTone(const RenderOptions& options, const ExactRequest& request, int shape,
                            const std::string& shapeName, float frequency);
