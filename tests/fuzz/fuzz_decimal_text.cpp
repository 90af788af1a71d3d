// Any text: no crash, no sanitizer report, and the words that are not numbers here read as 0.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "sound/wav_buffer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const float value = ReadDecimalText(text);
  if (std::isnan(value) || std::isinf(value)) {
    // Only the spelled-out words or an overflowing number may give these.
    const bool hasWordOrDigits = text.find_first_of("0123456789nNiI") != std::string_view::npos;
    if (!hasWordOrDigits) std::abort();
  }
  if (text.empty() && value != 0.0f) std::abort();
  return 0;
}
