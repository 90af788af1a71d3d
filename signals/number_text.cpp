#include "signals/number_text.h"

#include <charconv>
#include <cmath>

namespace {

template <typename Number>
std::string ShortestText(Number value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
  char text[32];
  return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

}  // namespace

std::string NumberText(float value) { return ShortestText(value); }
std::string NumberText(double value) { return ShortestText(value); }
