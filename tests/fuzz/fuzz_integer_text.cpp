// Compares the integer reading with a slow reference that saturates through a wider type.
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string_view>

#include "sound/wav_buffer.h"

namespace {

std::int64_t ReferenceReading(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  constexpr __int128 kHigh = std::numeric_limits<std::int64_t>::max();
  constexpr __int128 kLow = std::numeric_limits<std::int64_t>::min();
  __int128 value = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    value = value * 10 + (text[at] - '0');
    if (value > -kLow) value = -kLow;  // enough to know it saturates
  }
  if (negative) value = -value;
  if (value > kHigh) value = kHigh;
  if (value < kLow) value = kLow;
  return static_cast<std::int64_t>(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (ReadIntegerText(text) != ReferenceReading(text)) std::abort();
  return 0;
}
