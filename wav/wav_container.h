// The chunks around a WAV file's samples: the canonical 44-byte header wherever it suffices,
// WAVE_FORMAT_EXTENSIBLE where the format needs it (and the fact chunk of floating point), RF64
// past 4 GiB, and a sampler's loop.
#pragma once

#include <cstdint>
#include <vector>

#include "wav/sample_encoding.h"

struct WavLayout {
  SampleFormat format;
  std::uint32_t sampleRate;
  std::uint16_t channels;
  std::uint64_t frames;
  bool loop = false;         // a smpl chunk looping the whole file
  double loopFrequency = 0;  // its unity note and pitch fraction
  bool forceRf64 = false;    // RF64 even where RIFF would do (tests)
};

// Bytes of one frame: a sample of every channel.
std::uint32_t FrameBytes(const WavLayout& layout);
std::uint64_t DataBytes(const WavLayout& layout);
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
