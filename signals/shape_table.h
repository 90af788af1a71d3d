// Every shape the render command makes, in one table: its name, what it takes, what its report
// line adds, and its generator's plan. A new signal is one generator file and one row.
#pragma once

#include <cmath>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "signals/signal_level.h"

// What a shape takes besides a length and a level: the options that apply to it.
enum ShapeTakes : unsigned {
  kTakesFrequency = 1u << 0,  // one frequency: a tone
  kTakesRange = 1u << 1,      // F1:F2
  kTakesTones = 1u << 2,      // F+F+...
  kTakesCycles = 1u << 3,     // a length in whole cycles (periods)
  kTakesSeed = 1u << 4,
  kTakesBandLimit = 1u << 5,
  kTakesPeriodic = 1u << 6,
  kTakesInverse = 1u << 7,
  kTakesParameter = 1u << 8,  // the row's own whole number (an order, say)
};

// A whole number that only some shapes take, offered as an option of its own name.
struct ShapeParameter {
  const char* name;  // the option is --name
  const char* help;
  std::uint64_t lowest, highest;
};

// What every file of a request gives a generator, read and checked before it is planned.
struct SignalRequest {
  double rate = 0;
  std::uint64_t frames = 0;         // the length asked for; 0 with --cycles, which sets its own
  std::uint64_t mostFrames = 0;     // the longest file made
  std::uint64_t cycles = 0;         // whole cycles (periods) asked for; 0: not given
  double frequency = 0;             // a tone's
  std::vector<double> frequencies;  // a range's two ends, or the tones
  std::uint64_t seed = 1;
  bool bandlimited = false;
  bool periodic = false;
  std::uint64_t parameter = 0;  // the row's own whole number
  unsigned threads = 1;         // for passes that measure the values
};

using ReportValue = std::variant<double, std::uint64_t, bool, std::string, std::vector<double>>;
struct ReportField {
  std::string key;
  ReportValue value;
};
using ReportFields = std::vector<ReportField>;

struct SignalFault {
  std::string text;          // empty: none
  bool ofFrequency = false;  // about the frequency text, which the command quotes before it
};

// One file's signal: unit values, how many frames, and what the level is set on.
struct SignalPlan {
  ValueSource values;
  std::uint64_t frames = 0;
  std::uint64_t soundingFrames = 0;  // where silence follows the signal (a sweep): before it
  // Rendered: a tone's whole cycles over the frames, a sweep's start; NaN where there is none.
  double frequency = NAN;
  Levels levels;                     // of the unit values, before any fade
  std::optional<double> defaultRms;  // dBFS (AES17) when no level is asked for: noise's
  bool rmsAsWritten = false;  // an RMS level is met on the samples as written, not only before
  double defaultFadeOutSeconds = 0;
  std::optional<double> sweepEnd;  // a sweep's end frequency, for its inverse filter
  ReportFields report;             // what this signal adds to its report line
  std::vector<std::string> notes;  // told on standard error, once
  SignalFault fault;
};

struct ShapeRow {
  const char* name;
  int windowCode;  // the window's engine code of the four shapes it makes; 0 for the others
  unsigned takes;  // ShapeTakes
  int kind;        // which variant the generator makes (a tone's shape, a sweep's law)
  const ShapeParameter* parameter;  // with kTakesParameter
  const char* help;                 // a few words for --help and the manual
  SignalPlan (*plan)(const ShapeRow& row, const SignalRequest& request);
};

std::span<const ShapeRow> ShapeTable();
// Nothing when no row has the name.
const ShapeRow* ShapeNamed(std::string_view name);
// "sine, saw, ... and mls".
std::string ShapeNameList();

// Helpers for the generators' plans.
SignalPlan RefusedSignal(std::string text, bool ofFrequency = false);
