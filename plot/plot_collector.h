// What a picture of a file shows, gathered from its encoded frames as they are written: the first
// periods of the waveform (or, for a sweep, its envelope over the whole file), the magnitude
// spectrum (Welch), and for a sweep with its inverse filter the deconvolved response.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "measure/frame_decoding.h"

struct PlotRequest {
  FrameFormat format;
  std::uint64_t frames = 0;
  double frequency = 0;   // a tone's, for its first periods; 0: the first few milliseconds
  bool envelope = false;  // a sweep: the whole file's envelope instead of its first periods
  std::shared_ptr<const std::vector<double>> inverse;  // a sweep's inverse filter, if written
  double low = 0, high = 0;                            // Hz: the band where it deconvolves flat
  std::string title;
};

// The level of a bin with no power at all.
constexpr double kSilenceDb = -300;

struct PlotData {
  PlotRequest request;
  std::vector<double> waveform;         // the first frames of the first channel
  std::vector<double> lowest, highest;  // the envelope, column by column
  std::vector<double> spectrumDb;       // dBFS, bins 0 .. segment / 2 (a full-scale sine: 0)
  double binHz = 0;
  std::vector<double> responseDb;  // the deconvolved response over the band, 0 dB median
  std::vector<double> responseHz;
};

class PlotCollector {
 public:
  explicit PlotCollector(const PlotRequest& request);
  ~PlotCollector();
  // The next frames, in order.
  void Add(const std::uint8_t* encoded, std::size_t frames);
  PlotData Finish();

 private:
  struct State;
  std::unique_ptr<State> state_;
};
