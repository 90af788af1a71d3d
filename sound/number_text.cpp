// Both readers parse by hand and convert with std::from_chars, so the user's locale never
// changes how "997.5" reads.
#include <charconv>
#include <cstdint>
#include <limits>
#include <string_view>

#include "sound/wav_buffer.h"

namespace {

constexpr std::string_view kPositiveInfinityWord = "+infinity";
constexpr std::string_view kNegativeInfinityWord = "-infinity";
constexpr std::string_view kNotANumberWord = "nan";
// Far beyond any float exponent, small enough that adding digit counts cannot overflow.
constexpr std::int64_t kExponentCeiling = 1'000'000'000;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
int DigitValue(char c) { return c - '0'; }

char LowerCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringCase(std::string_view text, std::string_view lowerCaseWord) {
  if (text.size() != lowerCaseWord.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (LowerCase(text[i]) != lowerCaseWord[i]) return false;
  return true;
}

std::string_view SkipBlanks(std::string_view text) {
  std::size_t start = 0;
  while (start < text.size() && IsBlank(text[start])) ++start;
  return text.substr(start);
}

// Removes a leading "+" or "-" and tells whether it was "-".
bool TakeSign(std::string_view& text) {
  if (text.empty() || (text.front() != '+' && text.front() != '-')) return false;
  const bool negative = text.front() == '-';
  text.remove_prefix(1);
  return negative;
}

// The unsigned decimal number at the start of a text: its length, and the power of ten of its
// first significant digit, which tells an overflow from an underflow.
struct DecimalSpan {
  std::size_t length = 0;
  bool hasDigits = false;
  std::int64_t leadingPowerOfTen = 0;
};

std::size_t CountDigits(std::string_view text, std::size_t from) {
  std::size_t end = from;
  while (end < text.size() && IsDigit(text[end])) ++end;
  return end - from;
}

std::size_t CountZeros(std::string_view digits) {
  std::size_t zeros = 0;
  while (zeros < digits.size() && digits[zeros] == '0') ++zeros;
  return zeros;
}

// "e" or "E", an optional sign and at least one digit; otherwise no exponent at all.
std::size_t ScanExponent(std::string_view text, std::size_t from, std::int64_t& exponent) {
  std::size_t at = from;
  if (at >= text.size() || LowerCase(text[at]) != 'e') return 0;
  ++at;
  const bool negative = at < text.size() && text[at] == '-';
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
  const std::size_t digits = CountDigits(text, at);
  if (digits == 0) return 0;
  exponent = 0;
  for (std::size_t i = at; i < at + digits; ++i)
    if (exponent < kExponentCeiling) exponent = exponent * 10 + DigitValue(text[i]);
  if (negative) exponent = -exponent;
  return at + digits - from;
}

DecimalSpan ScanDecimal(std::string_view text) {
  DecimalSpan span;
  const std::size_t integerDigits = CountDigits(text, 0);
  std::size_t at = integerDigits;
  std::string_view fraction;
  if (at < text.size() && text[at] == '.') {
    fraction = text.substr(at + 1, CountDigits(text, at + 1));
    at += 1 + fraction.size();
  }
  span.hasDigits = integerDigits + fraction.size() > 0;
  if (!span.hasDigits) return span;

  const std::size_t integerZeros = CountZeros(text.substr(0, integerDigits));
  const auto significantInteger = static_cast<std::int64_t>(integerDigits - integerZeros);
  const auto fractionZeros = static_cast<std::int64_t>(CountZeros(fraction));
  std::int64_t exponent = 0;
  at += ScanExponent(text, at, exponent);
  span.length = at;
  span.leadingPowerOfTen =
      (significantInteger > 0 ? significantInteger - 1 : -(fractionZeros + 1)) + exponent;
  return span;
}

float UnsignedDecimalValue(std::string_view text, const DecimalSpan& span) {
  float value = 0.0f;
  const char* first = text.data();
  const auto [end, error] = std::from_chars(first, first + span.length, value);
  if (error == std::errc::result_out_of_range)
    return span.leadingPowerOfTen >= 0 ? std::numeric_limits<float>::infinity() : 0.0f;
  if (error != std::errc{}) return 0.0f;
  return value;
}

}  // namespace

float ReadDecimalText(std::string_view text) {
  if (EqualsIgnoringCase(text, kPositiveInfinityWord))
    return std::numeric_limits<float>::infinity();
  if (EqualsIgnoringCase(text, kNegativeInfinityWord))
    return -std::numeric_limits<float>::infinity();
  if (EqualsIgnoringCase(text, kNotANumberWord)) return std::numeric_limits<float>::quiet_NaN();

  std::string_view rest = SkipBlanks(text);
  const bool negative = TakeSign(rest);
  const DecimalSpan span = ScanDecimal(rest);
  if (!span.hasDigits) return 0.0f;
  const float magnitude = UnsignedDecimalValue(rest, span);
  return negative ? -magnitude : magnitude;
}

std::int64_t ReadIntegerText(std::string_view text) {
  std::string_view rest = SkipBlanks(text);
  const bool negative = TakeSign(rest);
  const std::uint64_t limit =
      negative ? std::uint64_t{1} << 63 : std::numeric_limits<std::int64_t>::max();
  std::uint64_t magnitude = 0;
  for (std::size_t at = 0; at < rest.size() && IsDigit(rest[at]); ++at) {
    const auto digit = static_cast<std::uint64_t>(DigitValue(rest[at]));
    magnitude = magnitude > (limit - digit) / 10 ? limit : magnitude * 10 + digit;
  }
  if (!negative) return static_cast<std::int64_t>(magnitude);
  return magnitude == limit ? std::numeric_limits<std::int64_t>::min()
                            : -static_cast<std::int64_t>(magnitude);
}
