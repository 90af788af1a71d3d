// The chunks around a WAV file's samples: the canonical 44-byte header wherever it suffices,
// WAVE_FORMAT_EXTENSIBLE where the format needs it (and the fact chunk of floating point), RF64
// past 4 GiB, and a sampler's loop.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "formats/container_writer.h"

using WavLayout = StreamLayout;

// Everything before the samples.
std::vector<std::uint8_t> WavHeader(const WavLayout& layout);
// A chunk of odd size is followed by one pad byte: 0 or 1 zero bytes after the samples.
unsigned WavTrailingPadBytes(const WavLayout& layout);
bool NeedsExtensibleFormat(const WavLayout& layout);
bool NeedsRf64(const WavLayout& layout);

// The MIDI note a sampler plays the file at, and the fraction of a semitone above it in units
// of 2^-32, for the loop's frequency.
struct SamplerPitch {
  std::uint32_t unityNote;
  std::uint32_t pitchFraction;
};
SamplerPitch SamplerPitchOf(double frequency);

// The whole file: the header, the samples as they come, the pad byte.
std::uint64_t WavFileBytes(const WavLayout& layout);
std::unique_ptr<ContainerWriter> MakeWavWriter(const WavLayout& layout);
