#include "cli/render_options.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdint>
#include <iostream>
#include <regex>
#include <thread>

#include "encode/sample_encoding.h"
#include "formats/container_writer.h"
#include "signals/shape_table.h"
#include "sound/wav_buffer.h"

namespace {

constexpr char kListSeparator = ',';

std::string ShapeChoices() {
  std::string choices;
  for (const ShapeRow& row : ShapeTable())
    choices += (choices.empty() ? "" : "|") + std::string(row.name);
  return choices;
}

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
    if (parameter == nullptr) continue;
    const std::string option = std::string("--") + parameter->name;
    if (options.parameterTexts.count(option) > 0) continue;
    app.add_option(option, options.parameterTexts[option], parameter->help)
        ->type_name(std::to_string(parameter->lowest) + ".." + std::to_string(parameter->highest));
  }
}

std::string DefaultJobs() {
  return std::to_string(std::max(1u, std::thread::hardware_concurrency()));
}

// CLI11's own words for what went wrong, in the command's.
std::string Reworded(const std::string& what) {
  static const std::regex twice(R"(^(--[a-z-]+): At Most 1 required but received (\d+)$)");
  static const std::regex missing(R"(^(--[a-z-]+): 1 required \S+ missing$)");
  static const std::regex unexpected(R"(^The following arguments? (was|were) not expected: (.*)$)");
  static const std::regex excludes(R"(^(--[a-z-]+) excludes (--[a-z-]+)$)");
  std::smatch match;
  if (std::regex_match(what, match, twice))
    return match[1].str() + " is given " + match[2].str() +
           " times; give it once (a list goes in one value: --frequency 997,1000)";
  if (std::regex_match(what, match, missing)) return match[1].str() + " needs a value";
  if (std::regex_match(what, match, unexpected))
    return "unknown option or stray value: " + match[2].str() + " (see --help)";
  if (std::regex_match(what, match, excludes))
    return match[1].str() + " and " + match[2].str() + " cannot be given together";
  return what;
}

void AddOptions(CLI::App& app, RenderOptions& options, std::string& shapes,
                std::string& frequencies) {
  app.add_option("--shape", shapes, "Shape, or a comma-separated list of shapes: " + ShapeChoices())
      ->type_name("SHAPE")
      ->capture_default_str();
  app.add_option("--frequency", frequencies,
                 "Frequency in Hz, more than 0 and below half the rate, or a comma-separated "
                 "list; sweeps take F1:F2, multitones F+F+... (at most 64 tones)")
      ->type_name("HZ")
      ->capture_default_str();
  CLI::Option* amplitude = app.add_option("--amplitude", options.amplitudeText,
                                          "Peak in percent of full scale, 0 to 100")
                               ->type_name("PERCENT")
                               ->capture_default_str();
  CLI::Option* peak = app.add_option("--peak", options.peakText,
                                     "Sample peak in dBFS, -200 to 0, instead of --amplitude")
                          ->type_name("DBFS");
  CLI::Option* rms = app.add_option("--rms", options.rmsText,
                                    "RMS level in dBFS after AES17 (a full-scale sine reads 0), "
                                    "-200 up to what the shape's peak allows")
                         ->type_name("DBFS");
  peak->excludes(amplitude)->excludes(rms);
  rms->excludes(amplitude);
  CLI::Option* length =
      app.add_option("--length", options.lengthText, "Length in seconds, more than 0, up to 86400")
          ->type_name("SECONDS")
          ->capture_default_str();
  CLI::Option* samples = app.add_option("--samples", options.samplesText,
                                        "Length in frames, 1 or more, instead of --length")
                             ->type_name("FRAMES");
  CLI::Option* cycles = app.add_option("--cycles", options.cyclesText,
                                       "Length in whole cycles of the frequency, which is kept "
                                       "exactly (an mls: in periods), instead of --length")
                            ->type_name("N");
  samples->excludes(length)->excludes(cycles);
  cycles->excludes(length);
  app.add_option("--channels", options.channelsText, "Channels, each with the same signal")
      ->type_name("1..8")
      ->capture_default_str();
  app.add_option("--rate", options.rateText, "Sample rate in Hz")
      ->type_name("8000..768000")
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
  app.add_option("--seed", options.seedText,
                 "Seed of noise and dither, 0 to 2^64 - 1 (decimal or 0x hex): the same seed, "
                 "the same bytes")
      ->type_name("N")
      ->capture_default_str();
  app.add_flag("--loop", options.loop, "Add a sampler loop (smpl chunk) over the whole file");
  AddShapeParameters(app, options);
  app.add_flag("--bandlimited", options.bandlimited,
               "Square, saw and triangle of their harmonics below half the rate only");
  app.add_option("--fade-in", options.fadeInText, "Raised-cosine fade-in, in milliseconds")
      ->type_name("MS");
  app.add_flag("--periodic", options.periodic,
               "Noise whose period is the file: it loops, and every bin from 20 Hz to 20 kHz has "
               "the target magnitude");
  app.add_option("--inverse", options.inversePath,
                 "Write the sweep's inverse filter to this file (float32 WAV): the sweep "
                 "convolved with it gives an impulse at the lag the report states")
      ->type_name("PATH");
  app.add_option("--fade-out", options.fadeOutText,
                 "Raised-cosine fade-out, in milliseconds (sweeps: their last semitone unless 0)")
      ->type_name("MS");
  app.add_option("--output", options.outputTemplate,
                 "File to write, '-' for standard output, or a device (/dev/null); with lists a "
                 "template naming each file by {shape}, {frequency}, {rendered}, {rate} and "
                 "{channels}; needed unless --play or --plot")
      ->type_name("PATH");
  app.add_option("--plot", options.plotTemplate,
                 "Draw each file as written to this PNG (1200 x 800): its first periods (a "
                 "sweep's envelope), its spectrum and, with --inverse, the sweep's deconvolved "
                 "response; a template as --output; without --output only the picture is written")
      ->type_name("PATH");
  app.add_flag("--play", options.play,
               "Play each file on the default sound device after writing it (without --output: "
               "play only)");
  app.add_option("--loop-play", options.loopPlayText,
                 "Play each file this many times over, seamlessly (implies --play)")
      ->type_name("1..100000");
  app.add_flag("--quiet", options.quiet, "Print no line per file written");
  app.add_flag("--measure", options.measure,
               "Add to each line what the file's bytes measure: sample and true peak, RMS "
               "(AES17), DC offset, crest factor, loudness (LUFS) and SHA-256; followed by "
               "files, measure those (WAV, RF64, FLAC, ...) and render nothing");
  app.add_option("file", options.measuredFiles, "Sound files to measure, named after --measure")
      ->type_name("FILE");
  app.add_flag("--no-clobber", options.noClobber, "Refuse to replace existing files");
  app.add_option("--jobs", options.jobsText, "Files rendered at the same time")
      ->type_name("1..4096")
      ->capture_default_str();
}

// Files are named only to be measured, and measuring them renders nothing.
std::string MeasuredFilesFault(const RenderOptions& options) {
  if (options.measuredFiles.empty()) return "";
  if (!options.measure)
    return "unexpected '" + options.measuredFiles.front() +
           "': files to measure are named after --measure; a render takes none";
  for (const std::string& option : options.given)
    if (option != "--measure" && option != "file")
      return "--measure FILE... measures files and renders nothing: it takes no " + option;
  return "";
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
  options.channelsText = std::to_string(kStartRenderSettings.channels);
  options.rateText = std::to_string(kStartRenderSettings.sampleRate);
  options.jobsText = DefaultJobs();
  options.formatName = kDefaultFormatName;
  options.dither = kNoDither;
  options.seedText = "1";
  std::string shapes = ShapeTable().front().name;
  std::string frequencies = kStartFrequencyText;

  CLI::App app(
      "Renders test signals to WAV and FLAC files: byte for byte as " QUORVEL_WINDOW_PROGRAM
      " saves them wherever the window could make the file, exactly otherwise.",
      QUORVEL_RENDER_PROGRAM);
  app.failure_message(
      [](const CLI::App*, const CLI::Error& error) { return FailureText(Reworded(error.what())); });
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
  for (const CLI::Option* option : app.get_options())
    if (option->count() > 0) options.given.insert(option->get_name());
  if (const std::string fault = MeasuredFilesFault(options); !fault.empty()) {
    std::cerr << FailureText(fault);
    parsed.finished = true;
    parsed.exitCode = kExitBadRequest;
    return parsed;
  }
  if (!options.measuredFiles.empty()) return parsed;
  if (!Given(options, "--output") && !options.play && !Given(options, "--loop-play") &&
      !Given(options, "--plot")) {
    std::cerr << FailureText(
        "--output is required (or --play, to hear the sound without a file, or --plot, to see "
        "it)");
    parsed.finished = true;
    parsed.exitCode = kExitBadRequest;
    return parsed;
  }
  options.shapes = SplitList(shapes);
  options.frequencyTexts = SplitList(frequencies);
  return parsed;
}
