// What the command line asks for, read strictly: shapes, numbers, formats, levels and fades as
// the command makes them, or the refusal that names the option and what it takes. Checked before
// anything is planned; which rendering makes the files is decided here.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cli/render_options.h"
#include "encode/sample_encoding.h"
#include "formats/container_writer.h"
#include "signals/shape_table.h"

// How loud: percent of full scale, or a level in dBFS.
enum class LevelKind { kPercent, kPeak, kRms };
struct LevelRequest {
  LevelKind kind = LevelKind::kPercent;
  double value = 0;    // percent or dBFS
  bool given = false;  // on the command line, not the default
};

// How the files are made and told, whatever they hold.
struct RunSettings {
  unsigned jobs = 1;
  unsigned playTimes = 0;  // each file played this many times over; 0: not played
  bool outputGiven = false;
  bool noClobber = false;
  bool measure = false;
  bool quiet = false;
};

struct RenderRequest {
  std::vector<const ShapeRow*> shapes;
  std::vector<std::string> frequencyTexts;
  bool frequencyGiven = false;
  bool exact = false;  // rendered exactly, not as the window renders
  std::int32_t rate = 0;
  std::int16_t channels = 0;
  // The window's figures, where it renders.
  std::int64_t windowAmplitude = 0;
  float windowLength = 0;
  // The exact rendering's.
  SampleFormat format = SampleFormat::kPcm16;
  bool dither = false;
  std::uint64_t seed = 1;
  std::uint64_t frames = 0;  // 0 with --cycles: each signal sets its own
  std::uint64_t cycles = 0;
  std::uint64_t mostFrames = 0;
  LevelRequest level;
  std::optional<double> fadeInMilliseconds, fadeOutMilliseconds;
  bool bandlimited = false, periodic = false, loop = false;
  std::map<std::string, std::uint64_t> parameters;  // by option name ("--order")
  std::string inversePath;
  std::string outputTemplate;
  std::string plotTemplate;      // empty: no picture
  std::optional<FileType> type;  // --type; else by each output's name
  RunSettings run;
  std::string fault;  // not empty: refused, nothing is written
};

RenderRequest ReadRequest(const RenderOptions& options);
