// Samples played on ALSA's default device as a file holds them: at its rate, in its format and
// channels, or the nearest the device takes, converted by ALSA's plug layer (resampled where the
// rate differs, never played at another speed).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "encode/sample_encoding.h"

struct PlayedFormat {
  SampleFormat format;
  unsigned channels;
  unsigned rate;
};

class AlsaPlayer {
 public:
  // Nothing when no device can be opened (`missing` set) or it takes nothing like the format
  // (`reason` says why).
  static std::unique_ptr<AlsaPlayer> Open(const PlayedFormat& format, bool& missing,
                                          std::string& reason);
  ~AlsaPlayer();
  AlsaPlayer(const AlsaPlayer&) = delete;
  AlsaPlayer& operator=(const AlsaPlayer&) = delete;

  // Interleaved samples, as the file's data holds them; waits while the device is full. False
  // when `stopped` turns true (then nothing more is heard) or the device fails (`reason`).
  bool Play(const std::uint8_t* samples, std::size_t frames, const std::function<bool()>& stopped,
            std::string& reason);
  // Waits until everything played has been heard, unless `stopped` turns true first.
  bool Finish(const std::function<bool()>& stopped, std::string& reason);

 private:
  struct Device;
  explicit AlsaPlayer(std::unique_ptr<Device> device);
  std::unique_ptr<Device> device_;
};
