// Figures of the program's renders that several suites assert, written once. Each is what the
// default settings give: a 997 Hz sine at 90 % for 3.0 s, mono, 44100 Hz, in a block built for
// 20 s of that format.
#pragma once

#include <cstddef>
#include <cstdint>

namespace figures {

constexpr std::uint32_t kDefaultDataSize = 264600;  // 3.0 s x 44100 frames x 2 bytes
constexpr std::uint32_t kDefaultFileSize = 264644;  // the data and its 44-byte header
constexpr std::size_t kStartBlockSize = 1764044;    // 20 s of mono at 44100 Hz, with the header
constexpr std::int16_t kDefaultSineStart[] = {0, 4175, 8266, 12190, 15869, 19228};
constexpr std::int16_t kPeakAt90Percent = 29490;

}  // namespace figures
