#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "sound/wav_buffer.h"

namespace {

constexpr float kInfinity = std::numeric_limits<float>::infinity();
constexpr std::int64_t kLargest = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kSmallest = std::numeric_limits<std::int64_t>::min();

struct DecimalCase {
  const char* text;
  float value;
};

TEST(DecimalText, ReadsTheNumberAtTheStart) {
  const DecimalCase cases[] = {
      {"997", 997.0f},   {"3.0", 3.0f},     {"997.5", 997.5f},     {" \t 997.5", 997.5f},
      {"+2.5", 2.5f},    {"-2.5", -2.5f},   {".5", 0.5f},          {"5.", 5.0f},
      {"1e3", 1000.0f},  {"1E-2", 0.01f},   {"2.5e+1", 25.0f},     {"1e", 1.0f},
      {"1e+", 1.0f},     {"1e-x", 1.0f},    {"2.5x", 2.5f},        {"12abc", 12.0f},
      {"997,5", 997.0f}, {"0x10", 0.0f},    {"1.2.3", 1.2f},       {"007.50", 7.5f},
      {"0.1", 0.1f},     {"10.0 s", 10.0f}, {"-0.0001", -0.0001f}, {"5.e3", 5000.0f},
  };
  for (const DecimalCase& c : cases) EXPECT_EQ(ReadDecimalText(c.text), c.value) << c.text;
}

TEST(DecimalText, TextsWithoutALeadingNumberReadAsZero) {
  for (const char* text :
       {"",     " ",    "\t",       "letters",  "-",          "+",          ".",
        "+.",   "-.e5", "e5",       "\n5",      "inf",        "INF",        "-inf",
        "-nan", "nanx", "Infinity", "infinity", " +Infinity", "+Infinity ", "+Infinityx",
        "NaN ", "+NaN", "- 5",      "+-5"}) {
    const float value = ReadDecimalText(text);
    EXPECT_EQ(value, 0.0f) << '"' << text << '"';
  }
  EXPECT_TRUE(std::signbit(ReadDecimalText("-0")));
}

TEST(DecimalText, TheThreeWordsInAnyLetterCase) {
  EXPECT_EQ(ReadDecimalText("+Infinity"), kInfinity);
  EXPECT_EQ(ReadDecimalText("+INFINITY"), kInfinity);
  EXPECT_EQ(ReadDecimalText("-Infinity"), -kInfinity);
  EXPECT_EQ(ReadDecimalText("-iNfInItY"), -kInfinity);
  EXPECT_TRUE(std::isnan(ReadDecimalText("NaN")));
  EXPECT_TRUE(std::isnan(ReadDecimalText("nan")));
  EXPECT_TRUE(std::isnan(ReadDecimalText("NAN")));
}

TEST(DecimalText, RoundsOnceToSinglePrecision) {
  // Just above the midpoint between 1 and the next float: through a double it would land on the
  // midpoint and then round down to even.
  EXPECT_EQ(ReadDecimalText("1.0000000596046447753906250001"), 1.00000011920928955078125f);
  EXPECT_EQ(ReadDecimalText("1.000000059604644775390625"), 1.0f);  // the midpoint: ties to even
  EXPECT_EQ(ReadDecimalText("16777217"), 16777216.0f);
  EXPECT_EQ(ReadDecimalText("0.10000000149011612"), 0.1f);
  EXPECT_EQ(ReadDecimalText("100000000000000000000000000000000000000000000000000e-50"), 1.0f);
  EXPECT_EQ(ReadDecimalText(std::string(5000, '0') + "1.5"), 1.5f);
  EXPECT_EQ(ReadDecimalText("0." + std::string(5000, '0') + "1e5001"), 1.0f);
}

TEST(DecimalText, OutOfRangeGivesInfinityOrZero) {
  EXPECT_EQ(ReadDecimalText("3.4028234e38"), std::numeric_limits<float>::max());
  EXPECT_EQ(ReadDecimalText("1e39"), kInfinity);
  EXPECT_EQ(ReadDecimalText("-1e39"), -kInfinity);
  EXPECT_EQ(ReadDecimalText("1e99999999999999999999999"), kInfinity);
  EXPECT_EQ(ReadDecimalText("0.0000001e46"), kInfinity);
  EXPECT_EQ(ReadDecimalText("1e-45"), std::numeric_limits<float>::denorm_min());
  EXPECT_EQ(ReadDecimalText("1e-50"), 0.0f);
  EXPECT_TRUE(std::signbit(ReadDecimalText("-1e-50")));
  EXPECT_EQ(ReadDecimalText("100000e-99999999999999999999"), 0.0f);
  EXPECT_EQ(ReadDecimalText("0e99999999999"), 0.0f);
}

TEST(DecimalText, TheLocaleDoesNotChangeTheDecimalPoint) {
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr)
    GTEST_SKIP() << "no de_DE.UTF-8 locale (LOCPATH="
                 << (std::getenv("LOCPATH") ? std::getenv("LOCPATH") : "") << ")";
  // The C library reads "997.5" as 997 here: the locale is really in force.
  const float libraryReading = std::strtof("997.5", nullptr);
  const float ours = ReadDecimalText("997.5");
  const float comma = ReadDecimalText("997,5");
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(libraryReading, 997.0f);
  EXPECT_EQ(ours, 997.5f);
  EXPECT_EQ(comma, 997.0f);
}

TEST(IntegerText, ReadsSignAndDigitsAfterBlanks) {
  struct Case {
    const char* text;
    std::int64_t value;
  };
  const Case cases[] = {
      {"90", 90}, {" \t 90", 90}, {"+90", 90}, {"-7", -7}, {"00042", 42},  {"12abc", 12},
      {"3.9", 3}, {"1e3", 1},     {"0x10", 0}, {"", 0},    {"abc", 0},     {"+", 0},
      {"-", 0},   {"- 5", 0},     {"\n5", 0},  {"+-5", 0}, {"100 %", 100},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadIntegerText(c.text), c.value) << '"' << c.text << '"';
}

TEST(IntegerText, SaturatesBeyondSixtyFourBits) {
  EXPECT_EQ(ReadIntegerText("9223372036854775807"), kLargest);
  EXPECT_EQ(ReadIntegerText("9223372036854775808"), kLargest);
  EXPECT_EQ(ReadIntegerText("99999999999999999999999999"), kLargest);
  EXPECT_EQ(ReadIntegerText("-9223372036854775807"), kSmallest + 1);
  EXPECT_EQ(ReadIntegerText("-9223372036854775808"), kSmallest);
  EXPECT_EQ(ReadIntegerText("-9223372036854775809"), kSmallest);
  EXPECT_EQ(ReadIntegerText("-" + std::string(1000, '9')), kSmallest);
  EXPECT_EQ(ReadIntegerText(std::string(1000, '0') + "42"), 42);
}

}  // namespace
