// What encoded frames measure: levels, DC, loudness and true peak (libebur128). The frames pass
// through once, in order, in runs of any length, so measuring keeps a file of any length
// streamed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "measure/frame_decoding.h"

// Levels relative to full scale, 1.0 (2^(bits - 1) for integer samples, as sox and libsndfile
// read them). Levels of silence are -infinity; loudness below the gate too.
struct FrameMeasures {
  double samplePeak = 0;  // largest |sample|
  double truePeak = 0;    // largest |value| between the samples, 4x oversampled (BS.1770-4)
  double meanSquare = 0;  // over every sample of every channel
  double mean = 0;        // the DC offset
  double loudness = 0;    // integrated, LUFS (BS.1770-4 / EBU R 128)
};

class FrameMeter {
 public:
  explicit FrameMeter(const FrameFormat& format);
  ~FrameMeter();
  FrameMeter(const FrameMeter&) = delete;
  FrameMeter& operator=(const FrameMeter&) = delete;

  // The next frames, encoded as the format says.
  void Add(const std::uint8_t* encoded, std::size_t frames);
  // After the last frames.
  FrameMeasures Finish();

 private:
  struct State;
  std::unique_ptr<State> state_;
};
