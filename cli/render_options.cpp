#include "cli/render_options.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <iostream>
#include <thread>

#include "sound/wav_buffer.h"

namespace {

constexpr char kListSeparator = ',';
constexpr unsigned kMostJobs = 4096;

std::string ShapeChoices() {
  std::string choices;
  for (const char* name : kShapeNames) choices += (choices.empty() ? "" : "|") + std::string(name);
  return choices;
}

unsigned DefaultJobs() { return std::max(1u, std::thread::hardware_concurrency()); }

void AddOptions(CLI::App& app, RenderOptions& options, std::string& shapes,
                std::string& frequencies) {
  app.add_option("--shape", shapes, "Shape, or a comma-separated list of shapes: " + ShapeChoices())
      ->capture_default_str();
  app.add_option("--frequency", frequencies,
                 "Frequency in Hz, or a comma-separated list; read as the window reads its field")
      ->capture_default_str();
  app.add_option("--amplitude", options.amplitudeText, "Amplitude in percent of full scale")
      ->capture_default_str();
  app.add_option("--length", options.lengthText, "Length in seconds")->capture_default_str();
  app.add_option("--channels", options.channels, "1 (mono) or 2 (stereo)")
      ->check(CLI::IsMember({kMonoChannels, kStereoChannels}))
      ->capture_default_str();
  app.add_option("--rate", options.sampleRate, "Sample rate in Hz")
      ->check(CLI::IsMember({kLowSampleRate, kHighSampleRate}))
      ->capture_default_str();
  app.add_option("--output", options.outputTemplate,
                 "File to write, '-' for standard output; with lists a template naming each file "
                 "by {shape}, {frequency}, {rendered}, {rate} and {channels}")
      ->required();
  app.add_flag("--quiet", options.quiet, "Print no line per file written");
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
  std::string shapes = kShapeNames[0];
  std::string frequencies = kStartFrequencyText;

  CLI::App app("Renders test tones to WAV files, byte for byte as " QUORVEL_WINDOW_PROGRAM
               " saves them.",
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
  options.shapes = SplitList(shapes);
  options.frequencyTexts = SplitList(frequencies);
  return parsed;
}
