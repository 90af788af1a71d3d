// What a WAV file holds, measured from its bytes as they are written: levels, loudness and true
// peak (libebur128) and the SHA-256 of the whole file (libcrypto). The bytes pass through once, in
// order, in pieces of any size, so measuring keeps a file of any length streamed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "wav/sample_encoding.h"

struct WavDataPlace {
  SampleFormat format;
  unsigned channels;
  unsigned rate;
  std::uint64_t offset;  // of the first sample in the file
  std::uint64_t bytes;   // of samples
};

// Levels relative to full scale, 1.0 (2^(bits - 1) for integer samples, as sox and libsndfile
// read them). Levels of silence are -infinity; loudness below the gate too.
struct FileMeasures {
  double samplePeak = 0;  // largest |sample|
  double truePeak = 0;    // largest |value| between the samples, 4x oversampled (BS.1770-4)
  double meanSquare = 0;  // over every sample of every channel
  double mean = 0;        // the DC offset
  double loudness = 0;    // integrated, LUFS (BS.1770-4 / EBU R 128)
  std::string sha256;     // of the whole file, lower-case hex
};

class WavMeter {
 public:
  explicit WavMeter(const WavDataPlace& place);
  ~WavMeter();
  WavMeter(const WavMeter&) = delete;
  WavMeter& operator=(const WavMeter&) = delete;

  // The file's next bytes.
  void Add(const std::uint8_t* bytes, std::size_t count);
  // After the last byte.
  FileMeasures Finish();

 private:
  struct State;
  std::unique_ptr<State> state_;
};
