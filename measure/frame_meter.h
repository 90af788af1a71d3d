// What encoded frames measure: levels, DC and loudness (libebur128), on a thread of its own where
// there is a second core; the true peak is measured beside it (true_peak.h), span by span. The
// frames pass through once, in order, in runs of any length, so measuring keeps a file of any
// length streamed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "measure/frame_decoding.h"

// Levels relative to full scale, 1.0 (2^(bits - 1) for integer samples, as sox and libsndfile
// read them). Levels of silence are -infinity; loudness below the gate too.
struct FrameMeasures {
  double samplePeak = 0;  // largest |sample|
  double truePeak = 0;    // largest |value| at and between the samples (BS.1770-4 Annex 2)
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
  // Waits for the measuring thread to take what it was handed.
  void Stop();

  struct State;
  std::unique_ptr<State> state_;
};
