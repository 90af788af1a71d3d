#include "cli/render_options.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <iostream>
#include <limits>
#include <thread>

#include "encode/sample_encoding.h"
#include "formats/container_writer.h"
#include "signals/shape_table.h"
#include "sound/wav_buffer.h"

namespace {

constexpr char kListSeparator = ',';
constexpr unsigned kMostJobs = 4096;

std::string ShapeChoices() {
  std::string choices;
  for (const ShapeRow& row : ShapeTable())
    choices += (choices.empty() ? "" : "|") + std::string(row.name);
  return choices;
}

// A count of one or more; CLI11's own positive-number check words its range in floating point.
const CLI::Validator kAtLeastOne(
    [](const std::string& text) {
      return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos &&
                     text.find_first_not_of('0') != std::string::npos
                 ? std::string()
                 : "\"" + text + "\" is not a whole number of 1 or more";
    },
    "INT>=1");

// Any 64-bit number, in decimal or 0x hex; CLI11 alone would wrap "-1" and silently cap a number
// past the largest.
const CLI::Validator kSeedNumber(
    [](const std::string& text) {
      std::size_t start = !text.empty() && text[0] == '+' ? 1 : 0;
      const bool hex = text.compare(start, 2, "0x") == 0 || text.compare(start, 2, "0X") == 0;
      if (hex) start += 2;
      const char* first = text.data() + start;
      const char* last = text.data() + text.size();
      std::uint64_t value = 0;
      const auto [end, error] = std::from_chars(first, last, value, hex ? 16 : 10);
      return first != last && error == std::errc() && end == last
                 ? std::string()
                 : "\"" + text + "\" is not a whole number from 0 to " +
                       std::to_string(std::numeric_limits<std::uint64_t>::max());
    },
    "UINT");

std::vector<std::string> FormatChoices() {
  std::vector<std::string> names;
  for (const FormatName& entry : kSampleFormatNames) names.push_back(entry.name);
  return names;
}

std::vector<std::string> TypeChoices() {
  std::vector<std::string> names;
  for (const FileTypeName& entry : kFileTypeNames) names.push_back(entry.name);
  return names;
}

// Each shape's own whole number, once however many shapes take it: --order, say.
void AddShapeParameters(CLI::App& app, RenderOptions& options) {
  for (const ShapeRow& row : ShapeTable()) {
    const ShapeParameter* parameter = row.parameter;
    if (parameter == nullptr || options.parameters.count(parameter->name) > 0) continue;
    app.add_option(std::string("--") + parameter->name, options.parameters[parameter->name],
                   parameter->help)
        ->check(CLI::Range(parameter->lowest, parameter->highest));
  }
}

unsigned DefaultJobs() { return std::max(1u, std::thread::hardware_concurrency()); }

void AddOptions(CLI::App& app, RenderOptions& options, std::string& shapes,
                std::string& frequencies) {
  app.add_option("--shape", shapes, "Shape, or a comma-separated list of shapes: " + ShapeChoices())
      ->capture_default_str();
  app.add_option("--frequency", frequencies,
                 "Frequency in Hz, or a comma-separated list; read as the window reads its field. "
                 "Sweeps: F1:F2; multitones: F+F+...")
      ->capture_default_str();
  CLI::Option* amplitude =
      app.add_option("--amplitude", options.amplitudeText, "Amplitude in percent of full scale")
          ->capture_default_str();
  CLI::Option* peak = app.add_option("--peak", options.peakText,
                                     "Sample peak in dBFS (0 or less), instead of --amplitude");
  CLI::Option* rms = app.add_option("--rms", options.rmsText,
                                    "RMS level in dBFS after AES17 (a full-scale sine reads 0)");
  peak->excludes(amplitude)->excludes(rms);
  rms->excludes(amplitude);
  CLI::Option* length = app.add_option("--length", options.lengthText,
                                       "Length in seconds: 0.1 to 20 as the window renders, up "
                                       "to 86400 (24 hours) when rendered exactly")
                            ->capture_default_str();
  CLI::Option* samples =
      app.add_option("--samples", options.samples, "Length in frames, instead of --length")
          ->check(kAtLeastOne);
  CLI::Option* cycles = app.add_option("--cycles", options.cycles,
                                       "Length in whole cycles of the frequency, which is kept "
                                       "exactly (an mls: in periods), instead of --length")
                            ->check(kAtLeastOne);
  samples->excludes(length)->excludes(cycles);
  cycles->excludes(length);
  app.add_option("--channels", options.channels, "Channels, 1 to 8, each with the same signal")
      ->check(CLI::Range(kMonoChannels, kMostChannels))
      ->capture_default_str();
  app.add_option("--rate", options.sampleRate, "Sample rate in Hz, 8000 to 768000")
      ->check(CLI::Range(kLowestRate, kHighestRate))
      ->capture_default_str();
  app.add_option("--format", options.formatName, "Sample format: pcm16, pcm24, pcm32 or float32")
      ->check(CLI::IsMember(FormatChoices()))
      ->capture_default_str();
  app.add_option("--type", options.typeName,
                 "File type: wav or flac (default: by the output's name, .flac for FLAC, else "
                 "WAV)")
      ->check(CLI::IsMember(TypeChoices()));
  app.add_flag("--exact", options.exact,
               "Render exactly (sample values from the frame index, seamless loops) even where "
               "the window's rendering could make the file");
  app.add_option("--dither", options.dither, "Dither for integer formats: none or tpdf")
      ->check(CLI::IsMember({kNoDither, kTriangularDither}))
      ->capture_default_str();
  app.add_option("--seed", options.seed, "Seed of noise and dither: the same seed, the same bytes")
      ->check(kSeedNumber)
      ->capture_default_str();
  app.add_flag("--loop", options.loop, "Add a sampler loop (smpl chunk) over the whole file");
  AddShapeParameters(app, options);
  app.add_flag("--bandlimited", options.bandlimited,
               "Square, saw and triangle of their harmonics below half the rate only");
  app.add_option("--fade-in", options.fadeInText, "Raised-cosine fade-in, in milliseconds");
  app.add_flag("--periodic", options.periodic,
               "Noise whose period is the file: it loops, and every bin from 20 Hz to 20 kHz has "
               "the target magnitude");
  app.add_option("--inverse", options.inversePath,
                 "Write the sweep's inverse filter to this file (float32): the sweep convolved "
                 "with it gives an impulse at the lag the report states");
  app.add_option("--fade-out", options.fadeOutText,
                 "Raised-cosine fade-out, in milliseconds (sweeps: their last semitone unless 0)");
  app.add_option("--output", options.outputTemplate,
                 "File to write, '-' for standard output; with lists a template naming each file "
                 "by {shape}, {frequency}, {rendered}, {rate} and {channels}; needed unless "
                 "--play");
  app.add_flag("--play", options.play,
               "Play each file on the default sound device after writing it (without --output: "
               "play only)");
  app.add_option("--loop-play", options.loopPlay,
                 "Play each file this many times over, seamlessly (implies --play)")
      ->check(CLI::Range(1u, kMostLoopPlays));
  app.add_flag("--quiet", options.quiet, "Print no line per file written");
  app.add_flag("--measure", options.measure,
               "Add to each line what the file's bytes measure: sample and true peak, RMS "
               "(AES17), DC offset, crest factor, loudness (LUFS) and SHA-256");
  app.add_flag("--no-clobber", options.noClobber, "Refuse to replace existing files");
  app.add_option("--jobs", options.jobs, "Files rendered at the same time")
      ->check(CLI::Range(1u, kMostJobs))
      ->capture_default_str();
}

}  // namespace

std::string FailureText(const std::string& fault) {
  return QUORVEL_RENDER_PROGRAM ": " + fault + "\nRun with --help for more information.\n";
}

std::vector<std::string> SplitList(const std::string& list) {
  std::vector<std::string> items;
  std::size_t start = 0;
  for (std::size_t comma; (comma = list.find(kListSeparator, start)) != std::string::npos;
       start = comma + 1)
    items.push_back(list.substr(start, comma - start));
  items.push_back(list.substr(start));
  return items;
}

ParsedCommandLine ParseCommandLine(int argc, char** argv) {
  ParsedCommandLine parsed;
  RenderOptions& options = parsed.options;
  options.amplitudeText = kStartAmplitudeText;
  options.lengthText = kStartLengthText;
  options.channels = kStartRenderSettings.channels;
  options.sampleRate = kStartRenderSettings.sampleRate;
  options.jobs = DefaultJobs();
  options.formatName = kDefaultFormatName;
  options.dither = kNoDither;
  std::string shapes = ShapeTable().front().name;
  std::string frequencies = kStartFrequencyText;

  CLI::App app("Renders test tones to WAV and FLAC files: byte for byte as " QUORVEL_WINDOW_PROGRAM
               " saves them wherever the window could make the file, exactly otherwise.",
               QUORVEL_RENDER_PROGRAM);
  app.failure_message(
      [](const CLI::App*, const CLI::Error& error) { return FailureText(error.what()); });
  app.set_version_flag("--version", QUORVEL_RENDER_PROGRAM " " QUORVEL_VERSION);
  AddOptions(app, options, shapes, frequencies);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    parsed.finished = true;
    const int printed = app.exit(error);
    parsed.exitCode = printed == 0 ? 0 : kExitBadRequest;
    return parsed;
  }
  options.amplitudeGiven = app.count("--amplitude") > 0;
  options.outputGiven = app.count("--output") > 0;
  options.playTimes = options.loopPlay > 0 ? options.loopPlay : options.play ? 1 : 0;
  if (!options.outputGiven && options.playTimes == 0) {
    std::cerr << FailureText("--output is required (or --play, to hear the sound without a file)");
    parsed.finished = true;
    parsed.exitCode = kExitBadRequest;
    return parsed;
  }
  options.shapes = SplitList(shapes);
  options.frequencyTexts = SplitList(frequencies);
  return parsed;
}
