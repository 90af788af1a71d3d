#include "cli/number_reading.h"

#include <charconv>
#include <cmath>

#include "signals/number_text.h"

namespace {

constexpr std::size_t kLongestQuote = 40;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::size_t Digits(std::string_view text, std::size_t at) {
  std::size_t end = at;
  while (end < text.size() && IsDigit(text[end])) ++end;
  return end - at;
}

// Sign, digits with at most one point (a digit on at least one side), an optional exponent.
bool IsDecimalForm(std::string_view text) {
  std::size_t at = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
  const std::size_t whole = Digits(text, at);
  at += whole;
  std::size_t fraction = 0;
  if (at < text.size() && text[at] == '.') fraction = Digits(text, ++at), at += fraction;
  if (whole + fraction == 0) return false;
  if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    ++at;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
    const std::size_t exponent = Digits(text, at);
    if (exponent == 0) return false;
    at += exponent;
  }
  return at == text.size();
}

std::string RangeWords(const NumberRule& rule) {
  const std::string unit = *rule.unit ? std::string(" ") + rule.unit : "";
  if (rule.aboveLowest)
    return "more than " + NumberText(rule.lowest) + ", up to " + NumberText(rule.highest) + unit;
  return NumberText(rule.lowest) + " to " + NumberText(rule.highest) + unit;
}

}  // namespace

bool ReadDecimal(std::string_view text, double& value) {
  text = Trimmed(text);
  if (!IsDecimalForm(text)) return false;
  if (text.front() == '+') text.remove_prefix(1);
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && std::isfinite(value);
}

bool ReadWhole(std::string_view text, std::uint64_t& value) {
  text = Trimmed(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty() || Digits(text, 0) != text.size()) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

std::string Quoted(std::string_view text) {
  if (text.size() <= kLongestQuote) return "\"" + std::string(text) + "\"";
  return "\"" + std::string(text.substr(0, kLongestQuote)) + "...\" (" +
         std::to_string(text.size()) + " characters)";
}

std::string Counted(std::uint64_t count, const std::string& singular) {
  return std::to_string(count) + " " + singular + (count == 1 ? "" : "s");
}

std::string ReadNumberOption(const NumberRule& rule, const std::string& text, double& value) {
  std::uint64_t whole = 0;
  const bool read = rule.whole ? ReadWhole(text, whole) : ReadDecimal(text, value);
  if (rule.whole) value = static_cast<double>(whole);
  const std::string option = std::string(rule.option) + ": " + Quoted(text);
  if (!read) return option + " is not " + rule.what + "; give " + RangeWords(rule);
  if (value < rule.lowest || value > rule.highest || (rule.aboveLowest && value == rule.lowest))
    return option + " is out of range; give " + RangeWords(rule);
  return "";
}
