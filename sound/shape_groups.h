// The vector path's loop, written once for every instruction set. A `Lanes` type names the
// registers (Phases: floats, Values: doubles, kCount lanes) and the few operations that differ:
// Gather, Widen, FirstPhase, Sine, SignsOf and StoreSamples. Include it only in a file that is
// built for that instruction set.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sound/shape_blocks.h"
#include "sound/shape_values.h"

namespace {

// The same operations in the same order as the values in shape_values.h, lane by lane; only the
// sine is another evaluation.
template <typename Lanes>
struct GroupValues {
  using Values = typename Lanes::Values;
  static Values Sine(Values p) { return Lanes::Sine(p); }
  static Values Saw(Values p) { return (p - kPiF) / kPiF; }
  static Values Square(Values p) { return Lanes::SignsOf(kSignTestPi - p); }
  static Values Triangle(Values p) {
    return 1.0 + Lanes::SignsOf(kSignTestPi - p) * (p - kPiF) / kHalfPiF;
  }
};

// The next phases of the serial chain, gathered in a register: loading separate stores as one
// would stall the chain.
template <typename Lanes>
inline typename Lanes::Phases AdvanceGroup(float& phase, float increment) {
  float p[Lanes::kCount];
#pragma GCC unroll 8
  for (std::size_t lane = 0; lane < Lanes::kCount; ++lane) {
    p[lane] = phase;
    phase = AdvancePhase(phase, increment);
  }
  return Lanes::Gather(p);
}

// The chain runs one group ahead of the values: the vector unit then works on phases that are
// long known, and the processor keeps the chain going alongside.
template <typename Lanes, typename Lanes::Values (*ShapeValues)(typename Lanes::Values)>
std::size_t RenderGroups(const VectorFrames& frames, float& phase) {
  const std::size_t groups = frames.frames / Lanes::kCount;
  if (groups == 0) return 0;
  const std::size_t groupBytes = Lanes::kCount * kBytesPerVectorSample * frames.channels;
  const float increment = frames.increment;
  const double peak = frames.peak;
  float next = phase;  // a local, so the chain stays in a register
  typename Lanes::Phases phases = AdvanceGroup<Lanes>(next, increment);
  std::uint8_t* out = frames.out;
  for (std::size_t group = 0; group < groups; ++group, out += groupBytes) {
    const typename Lanes::Phases ahead = AdvanceGroup<Lanes>(next, increment);
    const typename Lanes::Values values = ShapeValues(Lanes::Widen(phases));
    Lanes::StoreSamples(out, Lanes::Clamp(values * peak), frames.channels);
    phases = ahead;
  }
  phase = Lanes::FirstPhase(phases);  // the first frame not rendered
  return groups * Lanes::kCount;
}

template <typename Lanes>
std::size_t RenderGroupsOfShape(const VectorFrames& frames, int shape, float& phase) {
  using Shapes = GroupValues<Lanes>;
  switch (shape) {
    case kShapeSine: return RenderGroups<Lanes, Shapes::Sine>(frames, phase);
    case kShapeSaw: return RenderGroups<Lanes, Shapes::Saw>(frames, phase);
    case kShapeSquare: return RenderGroups<Lanes, Shapes::Square>(frames, phase);
    case kShapeTriangle: return RenderGroups<Lanes, Shapes::Triangle>(frames, phase);
    default: return 0;
  }
}

}  // namespace
