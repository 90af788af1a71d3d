// Numbers as the command line gives them, read strictly: the whole text is one finite decimal
// number (blanks around it and an exponent allowed, as the window's field allows), or it is
// refused with words that name the option, quote the text and say what it takes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// A finite decimal number and nothing else: no NaN, infinity, hex, units or empty text.
bool ReadDecimal(std::string_view text, double& value);
// Digits alone (blanks around and a leading + allowed), within 64 bits.
bool ReadWhole(std::string_view text, std::uint64_t& value);

// The text in quotes, shortened where it is long: a refusal never echoes kilobytes.
std::string Quoted(std::string_view text);

// "1 frame", "2 frames".
std::string Counted(std::uint64_t count, const std::string& singular);

// What an option takes, for reading and for the refusal's words.
struct NumberRule {
  const char* option;  // "--rate"
  const char* what;    // "a whole number of hertz"
  double lowest, highest;
  bool whole;
  const char* unit;          // "Hz", for "8000 to 768000 Hz"; may be empty
  bool aboveLowest = false;  // the lowest itself is refused: "more than 0"
};

// "" and the value, or why the text is not what the option takes.
std::string ReadNumberOption(const NumberRule& rule, const std::string& text, double& value);
