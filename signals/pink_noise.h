// Pink noise of any length, which need not loop: the white noise of the same seed through the
// pink filter fitted for the rate (so a user can find the filter from the two files). The file is
// cut into segments of a fixed length; each starts the filter from rest a little before it, over
// the same white noise, long enough that what it forgets lies far below any format's smallest step.
// So frame n depends on the seed, the rate and n alone, whatever the threads or blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "signals/pink_filter.h"

struct PinkNoise {
  std::uint64_t id;  // of this plan, for what each thread keeps of it
  std::uint64_t seed;
  std::shared_ptr<const PinkFilter> filter;
  std::uint64_t segmentFrames;
  std::uint64_t warmUpFrames;  // before each segment's start
};

PinkNoise PlanPinkNoise(std::uint64_t seed, double rate);
// Each thread keeps its filter where it stopped, so that rendering in order runs it once.
void RenderPinkValues(const PinkNoise& pink, std::uint64_t first, std::size_t count, double* out);
