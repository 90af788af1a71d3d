// The vector paths of the synthesis: the phase chain stays serial, frame after frame, while the
// shape values, the scaling, the rounding and the stores of a group of frames go to the
// processor's vector unit. Only where this build and this processor have it (AVX2 or AVX-512,
// with SLEEF's sine); elsewhere every frame takes the plain path.
//
// Why it is shaped so: each instruction set's code must be compiled alone with that set enabled
// (vector_path_avx2.cpp, vector_path_avx512.cpp) and chosen at run time, yet the loop must be the
// same for all, so it is written once as a template over a vector unit (vector_path_loop.h: the
// registers and the few operations that differ), with the shape as a template argument so that
// each shape's values are inlined into its own loop. These are the only templates of the
// program's own code; the plain path in shape_synthesis.cpp is ordinary code.
//
// Every vector path must give the plain path's bytes: tests/sound/shape_paths_test.cpp renders
// saw, square and triangle in every format on every path this machine runs and compares the
// blocks byte for byte, checks the default render's figures on every path, and checks each
// path's sine against the platform's sine (equal in at least 99.99 % of the samples, never more
// than one step away). A path the machine cannot run is reported there as skipped.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sound/wav_buffer.h"

// kFastest is what RenderShape takes: the widest path this processor has.
enum class SynthesisPath { kFastest, kPlain, kAvx2, kAvx512 };

// Whether this build has the path and this processor can run it (kFastest and kPlain: always).
bool PathAvailable(SynthesisPath path);
// The path that kFastest stands for here.
SynthesisPath FastestPath();
const char* PathName(SynthesisPath path);

// RenderShape on a chosen path, so every path can be tested and timed on one machine. A vector
// path that is not available falls back to the plain path.
RenderOutcome RenderShapeOnPath(SynthesisPath path, std::uint8_t* buffer, float frequency,
                                std::int64_t amplitude, float length, int shape);

struct VectorFrames {
  std::uint8_t* out;
  std::size_t frames;
  std::uint32_t channels;  // 1 or 2
  float increment;
  double peak;
};

// Renders the whole groups of frames of `frames` from `phase` on a vector path and returns how
// many frames it rendered (0 for a code that is no shape, or for a path that is not available);
// `phase` is left at the first frame not rendered.
std::size_t RenderVectorFrames(SynthesisPath path, const VectorFrames& frames, int shape,
                               float& phase);

// Each vector path, in its own file built for its instruction set. Call only when available.
std::size_t RenderAvx2Frames(const VectorFrames& frames, int shape, float& phase);
std::size_t RenderAvx512Frames(const VectorFrames& frames, int shape, float& phase);
