// The render command against the window's own render of the same texts, and its plans and words.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "cli/render_report.h"
#include "sound/wav_buffer.h"
#include "tests/cli/command_test_support.h"
#include "tests/figures.h"

namespace {

namespace fs = std::filesystem;
using command_test::Bytes;
using command_test::Parse;
using command_test::PlanOf;
using command_test::ReadFile;
using command_test::RunQuietly;
using command_test::TemporaryFolder;

// Texts within the window's range, as a user may give them: at either end, with an exponent,
// a sign or blanks, and fractions that the whole-cycle fit moves.
const std::vector<std::string> kWindowFrequencyTexts = {"997",  "20",     "22049",  "997.3",  "1e3",
                                                        " 440", "+440.5", "1000.0", "20.0001"};

// What the window saves for these texts: its own buffer, render and file header.
Bytes WindowSave(int shape, const std::string& frequency, const std::string& amplitude,
                 const std::string& length, std::int16_t channels, std::int32_t rate) {
  std::uint8_t* buffer = BuildWavBuffer(kCapacitySeconds, channels, kSixteenBitSampleBytes, rate);
  RenderShape(buffer, ReadDecimalText(frequency), ReadIntegerText(amplitude),
              ReadDecimalText(length), shape);
  Bytes file(kWavHeaderSize);
  CopyFileHeader(buffer, file.data());
  file.insert(file.end(), buffer + kWavHeaderSize,
              buffer + kWavHeaderSize + ReadLE32(buffer + kDataSizeOffset));
  return file;
}

std::string Joined(const std::vector<std::string>& items) {
  std::string list;
  for (const std::string& item : items) list += (list.empty() ? "" : ",") + item;
  return list;
}

// Runs the command in process; the plan's fault, or "" when it ran with `exitCode`.
std::string RunCommand(const std::vector<std::string>& words, int& exitCode) {
  EXPECT_FALSE(Parse(words).finished);
  const RenderPlan plan = PlanOf(words);
  if (!plan.fault.empty()) return plan.fault;
  exitCode = RunQuietly(plan);
  return "";
}

std::string FaultOf(const std::vector<std::string>& words) { return PlanOf(words).fault; }

TEST(RenderCommand, WritesTheWindowsBytesForEveryShapeFormatAndFrequencyText) {
  const std::vector<std::string> shapes(std::begin(kShapeNames), std::end(kShapeNames));
  for (std::int32_t rate : {kLowSampleRate, kHighSampleRate}) {
    for (std::int16_t channels : {kMonoChannels, kStereoChannels}) {
      // The edge texts over a short length, and the window's own length for two plain texts.
      for (const auto& [texts, length] :
           {std::pair{kWindowFrequencyTexts, std::string("0.1")},
            std::pair{std::vector<std::string>{"997", "1000"}, std::string(kStartLengthText)}}) {
        SCOPED_TRACE(std::to_string(rate) + " Hz, " + std::to_string(channels) + " channels, " +
                     length + " s");
        TemporaryFolder folder;
        int exitCode = -1;
        ASSERT_EQ(
            RunCommand({"--shape", Joined(shapes), "--frequency", Joined(texts), "--length", length,
                        "--channels", std::to_string(channels), "--rate", std::to_string(rate),
                        "--jobs", "2", "--output", folder / "{shape}-[{frequency}].wav"},
                       exitCode),
            "");
        ASSERT_EQ(exitCode, 0);
        for (int shape = kFirstShapeCode; shape <= kShapeTriangle; ++shape) {
          for (const std::string& text : texts) {
            SCOPED_TRACE(shapes[shape - kFirstShapeCode] + " at \"" + text + "\"");
            const Bytes saved =
                ReadFile(folder / (shapes[shape - kFirstShapeCode] + "-[" + text + "].wav"));
            ASSERT_EQ(saved, WindowSave(shape, text, kStartAmplitudeText, length, channels, rate));
          }
        }
      }
    }
  }
}

TEST(RenderCommand, SquaresAt997And1000HzHaveTheDefaultRendersFigures) {
  TemporaryFolder folder;
  int exitCode = -1;
  ASSERT_EQ(RunCommand({"--shape", "square", "--frequency", "997,1000", "--output",
                        folder / "sq-{frequency}.wav"},
                       exitCode),
            "");
  ASSERT_EQ(exitCode, 0);
  for (const char* name : {"sq-997.wav", "sq-1000.wav"}) {
    const Bytes file = ReadFile(folder / name);
    ASSERT_EQ(file.size(), figures::kDefaultFileSize) << name;
    EXPECT_EQ(ReadLE32(&file[kRiffSizeOffset]), figures::kDefaultFileSize - 8);
    EXPECT_EQ(ReadLE16(&file[kChannelsOffset]), 1);
    EXPECT_EQ(ReadLE32(&file[kSampleRateOffset]), 44100u);
    EXPECT_EQ(ReadLE32(&file[kByteRateOffset]), 88200u);
    EXPECT_EQ(ReadLE16(&file[kBlockAlignOffset]), 2);
    EXPECT_EQ(ReadLE16(&file[kBitsPerSampleOffset]), 16);
    EXPECT_EQ(ReadLE32(&file[kDataSizeOffset]), figures::kDefaultDataSize);
    const auto sample = [&](std::size_t frame) {
      return static_cast<std::int16_t>(ReadLE16(&file[kWavHeaderSize + 2 * frame]));
    };
    // The square starts in its negative half; the 32-bit build gives one 0 before it.
    constexpr std::int16_t kLow = -figures::kPeakAt90Percent;
    const std::array<std::int16_t, 3> expectedStart =
        QUORVEL_BITS == 32 ? std::array<std::int16_t, 3>{0, kLow, kLow}
                           : std::array<std::int16_t, 3>{kLow, kLow, kLow};
    EXPECT_EQ((std::array{sample(0), sample(1), sample(2)}), expectedStart) << name;
    EXPECT_EQ(sample(30), figures::kPeakAt90Percent) << name;  // the second half-period
  }
  EXPECT_NE(ReadFile(folder / "sq-997.wav"), ReadFile(folder / "sq-1000.wav"));
}

TEST(RenderCommand, NamesEveryFieldAndRefusesTwoCombinationsForOneFile) {
  const RenderPlan plan =
      PlanOf({"--shape", "saw,sine", "--frequency", "22049,997.3", "--length", "0.1", "--output",
              "{shape}_{frequency}_{rendered}_{rate}_{channels}_{x.wav"});
  ASSERT_EQ(plan.fault, "");
  std::vector<std::string> paths;
  for (const RenderJob& job : plan.jobs) paths.push_back(job.file.path);
  EXPECT_EQ(paths, (std::vector<std::string>{
                       "saw_22049_22050_44100_1_{x.wav", "saw_997.3_1000_44100_1_{x.wav",
                       "sine_22049_22050_44100_1_{x.wav", "sine_997.3_1000_44100_1_{x.wav"}));
  // A shape without a frequency is one file, named without one.
  const RenderPlan noise = PlanOf({"--shape", "sine,white", "--frequency", "997,1000", "--output",
                                   "{shape}-{frequency}{rendered}.wav"});
  ASSERT_EQ(noise.fault, "");
  paths.clear();
  for (const RenderJob& job : noise.jobs) paths.push_back(job.file.path);
  EXPECT_EQ(paths,
            (std::vector<std::string>{"sine-997997.wav", "sine-10001000.wav", "white-.wav"}));

  const std::string sameFile = "to the same file";
  EXPECT_NE(FaultOf({"--frequency", "997,1000", "--output", "one.wav"}).find(sameFile),
            std::string::npos);
  // Different texts, one rendered frequency; one path spelled two ways.
  EXPECT_NE(FaultOf({"--frequency", "997,997.0", "--output", "{rendered}.wav"}).find(sameFile),
            std::string::npos);
  EXPECT_NE(
      FaultOf({"--frequency", "997,1000", "--output", "x{frequency}/../y.wav"}).find(sameFile),
      std::string::npos);
  EXPECT_EQ(FaultOf({"--frequency", "997,1000", "--output", "-"}),
            "--output - writes one file, but the lists ask for 2");
  EXPECT_EQ(FaultOf({"--output", "{shape}-{hertz}.wav"}),
            "--output: unknown placeholder {hertz}; known are {shape}, {frequency}, {rendered}, "
            "{rate} and {channels}");
  EXPECT_EQ(FaultOf({"--shape", "sine,sinus", "--output", "x.wav"}),
            "--shape: unknown shape \"sinus\"; known are sine, saw, square, triangle, sweep, "
            "linear-sweep, white, white-uniform, pink, multitone and mls");
  EXPECT_EQ(FaultOf({"--output", ""}), "--output: the file name is empty");

  // Two names, one existing file: writing both would leave only the second.
  TemporaryFolder folder;
  std::ofstream(folder / "100.wav") << "old";
  ASSERT_EQ(::link((folder / "100.wav").c_str(), (folder / "200.wav").c_str()), 0);
  EXPECT_NE(
      FaultOf({"--frequency", "100,200", "--output", folder / "{frequency}.wav"}).find(sameFile),
      std::string::npos);
  // A link to a file not yet written: the second write would replace the first through it.
  ASSERT_EQ(::symlink("400.wav", (folder / "300.wav").c_str()), 0);
  EXPECT_NE(
      FaultOf({"--frequency", "300,400", "--output", folder / "{frequency}.wav"}).find(sameFile),
      std::string::npos);
  EXPECT_EQ(FaultOf({"--frequency", "300,500", "--output", folder / "{frequency}.wav"}), "");
  // A device takes one file after another.
  EXPECT_EQ(FaultOf({"--frequency", "997,1000", "--output", "/dev/null"}), "");
}

TEST(RenderCommand, TheWindowRendersWithinItsRangesTheExactRenderingBeyond) {
  const std::pair<std::vector<std::string>, bool> cases[] = {
      {{"--frequency", "20"}, false},
      {{"--frequency", "19.99"}, true},
      {{"--frequency", "22049"}, false},
      {{"--frequency", "22049.5"}, false},
      {{"--amplitude", "100"}, false},
      {{"--amplitude", "50.7"}, true},
      {{"--amplitude", "0"}, false},
      {{"--length", "0.1"}, false},
      {{"--length", "0.05"}, true},
      {{"--length", "20"}, false},
      {{"--length", "20.5"}, true},
      {{"--frequency", "997,5"}, true},
      {{"--rate", "192000", "--frequency", "95999"}, false},
  };
  for (const auto& [words, exact] : cases) {
    SCOPED_TRACE(words[0] + " " + words[1]);
    std::vector<std::string> line = words;
    line.insert(line.end(), {"--output", "{frequency}.wav"});
    const RenderPlan plan = PlanOf(line);
    ASSERT_EQ(plan.fault, "");
    EXPECT_EQ(plan.jobs.front().report.exact, exact);
  }
}

TEST(RenderCommand, ReportLinesAreJsonWhateverTheTexts) {
  RenderJob job;
  job.file.path = "dir/\"q\"\\\x01\xff.wav";
  job.file.layout = {SampleFormat::kPcm16, 44100, 2, 0};
  job.report = {"sine", "997", 997, {"amplitude", 90.0}, 0.1, false, {}};
  WrittenFile file;
  file.frames = 4410;
  const auto line = [&] { return JsonLine({job, true, file, 0}); };
  EXPECT_EQ(line(),
            "{\"path\":\"dir/\\\"q\\\"\\\\\\u0001\xef\xbf\xbd.wav\",\"shape\":\"sine\","
            "\"frequency\":\"997\",\"rendered\":997,\"rate\":44100,\"channels\":2,"
            "\"amplitude\":90,\"length\":0.1,\"data_bytes\":17640,\"clamped\":false,"
            "\"render\":\"window\",\"format\":\"pcm16\",\"frames\":4410}");
  job.file.path = "h\xc3\xa9rtz \xe2\x82\xac.wav";  // valid UTF-8 passes unchanged
  job.report.rendered = 996.6667;
  EXPECT_NE(line().find("\"path\":\"h\xc3\xa9rtz \xe2\x82\xac.wav\""), std::string::npos);
  EXPECT_NE(line().find("\"rendered\":996.6667,"), std::string::npos);
  // What is not a finite number is JSON's null, never NaN or Infinity.
  job.report.rendered = std::nan("");
  job.report.level = {"rms_dbfs", -std::numeric_limits<double>::infinity()};
  EXPECT_NE(line().find("\"rendered\":null,"), std::string::npos);
  EXPECT_NE(line().find("\"rms_dbfs\":null,"), std::string::npos);
  // Only what applies: noise has no frequency.
  job.report.frequencyText.reset();
  job.report.rendered.reset();
  EXPECT_EQ(line().find("frequency"), std::string::npos);
  EXPECT_EQ(line().find("rendered"), std::string::npos);
  // A FLAC file says its type and its size, which only its end told.
  job.file.type = FileType::kFlac;
  file.fileBytes = 1234;
  EXPECT_NE(line().find("\"frames\":4410,\"type\":\"flac\",\"file_bytes\":1234}"),
            std::string::npos);
}

}  // namespace
