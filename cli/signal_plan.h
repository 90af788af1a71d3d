// The signals only the exact rendering makes (sweeps, noise, multitones), band-limited shapes and
// fades: each planned into values, a length and a gain before anything is written.
#pragma once

#include <string>

#include "cli/exact_plan.h"
#include "cli/render_options.h"

// After the window's four shapes (codes 1 to 4).
enum ExactOnlyShape : int {
  kShapeSweep = 101,
  kShapeLinearSweep,
  kShapeWhite,
  kShapeWhiteUniform,
  kShapePink,
  kShapeMultitone
};
constexpr const char* kExactOnlyShapeNames[] = {"sweep",         "linear-sweep", "white",
                                                "white-uniform", "pink",         "multitone"};
constexpr int kFirstExactOnlyShape = kShapeSweep;

// Whether a shape needs the exact rendering, or an option of this file's asks for it.
bool NeedsExactSignal(const RenderOptions& options);
// Any shape's plan in the exact rendering; `frequency` is the tone's, as read and clamped.
ExactSignalPlan PlanExactSignal(const RenderOptions& options, const ExactRequest& request,
                                int shape, const std::string& shapeName,
                                const std::string& frequencyText, float frequency);
