// What a sound file from anywhere measures, read through libsndfile (WAV, RF64, FLAC and the
// other types it reads): the figures --measure gives a file just written, and the file's own
// type, sample format, rate and length.
#pragma once

#include <cstdint>
#include <string>

#include "measure/frame_meter.h"

struct SoundFileMeasures {
  std::string fault;   // why the file could not be measured; empty when it was
  std::string type;    // "wav", "rf64", "flac", ... as libsndfile reads it
  std::string format;  // "pcm16", "pcm24", "float32", ...
  unsigned rate = 0, channels = 0;
  std::uint64_t frames = 0;
  FrameMeasures measures;
  std::string sha256;  // of the whole file
};

SoundFileMeasures MeasureSoundFile(const std::string& path);
