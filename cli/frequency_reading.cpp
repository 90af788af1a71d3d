#include "cli/frequency_reading.h"

#include "cli/number_reading.h"

namespace {

constexpr char kRangeSeparator = ':';
constexpr char kToneSeparator = '+';

// Numbers and nothing else, split at `separator`.
bool ReadSeparated(const std::string& text, char separator, std::vector<double>& values) {
  std::size_t start = 0;
  for (;;) {
    const std::size_t stop = text.find(separator, start);
    double value = 0;
    if (!ReadDecimal(text.substr(start, stop - start), value)) return false;
    values.push_back(value);
    if (stop == std::string::npos) return true;
    start = stop + 1;
  }
}

}  // namespace

FrequencyReading ReadFrequencies(const ShapeRow& shape, const std::string& text) {
  FrequencyReading reading;
  const std::string quoted = "--frequency: " + Quoted(text);
  if (shape.takes & kTakesRange) {
    if (!ReadSeparated(text, kRangeSeparator, reading.values) || reading.values.size() != 2)
      reading.fault = quoted + " is not a range of hertz; a " + std::string(shape.name) +
                      " takes F1:F2, e.g. 20:20000";
  } else if (shape.takes & kTakesTones) {
    // A plus in front of the first number would read as its sign: tones begin with a number.
    if (text.empty() || text.front() == kToneSeparator ||
        !ReadSeparated(text, kToneSeparator, reading.values))
      reading.fault = quoted + " is not tones in hertz; a " + std::string(shape.name) +
                      " takes F+F+..., e.g. 100+1000+10000";
  } else if (shape.takes & kTakesFrequency) {
    double value = 0;
    if (!ReadDecimal(text, value))
      reading.fault = quoted + " is not a number of hertz";
    else
      reading.values.push_back(value);
  }
  return reading;
}
