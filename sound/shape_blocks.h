// The vector path of the synthesis: the phase chain stays serial, frame after frame, while the
// shape values, the scaling, the rounding and the stores of eight frames at a time go to the
// processor's vector unit. Only where this build and this processor have it (AVX-512 with
// SLEEF's sine); elsewhere every frame takes the plain path.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sound/wav_buffer.h"

enum class SynthesisPath { kFastest, kPlain, kVector };

bool VectorPathAvailable();

// RenderShape on a chosen path, so both can be tested and timed on one machine. kVector falls
// back to the plain path where VectorPathAvailable() is false.
RenderOutcome RenderShapeOnPath(SynthesisPath path, std::uint8_t* buffer, float frequency,
                                std::int64_t amplitude, float length, int shape);

struct VectorFrames {
  std::uint8_t* out;
  std::size_t frames;
  std::uint32_t channels;  // 1 or 2
  float increment;
  double peak;
};

// Renders the whole groups of eight frames of `frames` from `phase` and returns how many frames
// it rendered (0 for a code that is no shape); `phase` is left at the first frame not rendered.
// Call only when VectorPathAvailable().
std::size_t RenderVectorFrames(const VectorFrames& frames, int shape, float& phase);
