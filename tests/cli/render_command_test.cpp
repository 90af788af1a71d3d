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

// Texts a user may give: plain, clamped at either end, words, no number at all, and fractions
// that the whole-cycle fit moves.
const std::vector<std::string> kEdgeFrequencyTexts = {
    "997", "30000", "95999",     "96000",     "22049", "5",    "",           "abc", "997.3",
    "1e3", "440Hz", "+Infinity", "-INFINITY", "nan",   " 440", "+Infinityx", "0x10"};

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
           {std::pair{kEdgeFrequencyTexts, std::string("0.1")},
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
      PlanOf({"--shape", "saw,sine", "--frequency", "30000,997.3", "--length", "0.1", "--output",
              "{shape}_{frequency}_{rendered}_{rate}_{channels}_{x.wav"});
  ASSERT_EQ(plan.fault, "");
  std::vector<std::string> paths;
  for (const RenderJob& job : plan.jobs) paths.push_back(job.file.path);
  EXPECT_EQ(paths, (std::vector<std::string>{
                       "saw_30000_22050_44100_1_{x.wav", "saw_997.3_1000_44100_1_{x.wav",
                       "sine_30000_22050_44100_1_{x.wav", "sine_997.3_1000_44100_1_{x.wav"}));

  const std::string sameFile = "to the same file";
  EXPECT_NE(FaultOf({"--frequency", "997,1000", "--output", "one.wav"}).find(sameFile),
            std::string::npos);
  // Different texts, one rendered frequency; one path spelled two ways.
  EXPECT_NE(FaultOf({"--frequency", "997,997.0", "--output", "{rendered}.wav"}).find(sameFile),
            std::string::npos);
  EXPECT_NE(FaultOf({"--frequency", "a/x,a/./x", "--output", "{frequency}.wav"}).find(sameFile),
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
  std::ofstream(folder / "a.wav") << "old";
  ASSERT_EQ(::link((folder / "a.wav").c_str(), (folder / "b.wav").c_str()), 0);
  EXPECT_NE(FaultOf({"--frequency", "a,b", "--output", folder / "{frequency}.wav"}).find(sameFile),
            std::string::npos);
  // A link to a file not yet written: the second write would replace the first through it.
  ASSERT_EQ(::symlink("d.wav", (folder / "c.wav").c_str()), 0);
  EXPECT_NE(FaultOf({"--frequency", "c,d", "--output", folder / "{frequency}.wav"}).find(sameFile),
            std::string::npos);
  EXPECT_EQ(FaultOf({"--frequency", "c,e", "--output", folder / "{frequency}.wav"}), "");
}

TEST(RenderCommand, TellsEachClampInWords) {
  const auto notesOf = [](std::vector<std::string> words) {
    words.insert(words.end(), {"--output", "{shape}{frequency}.wav"});
    return PlanOf(words).notes;
  };
  using Notes = std::vector<std::string>;
  EXPECT_EQ(notesOf({"--frequency", "30000"}),
            Notes{"30000 Hz is above 22049 Hz at 44100 Hz: rendered 22049 Hz"});
  // Noted once, not once per shape; the fit over 0.1 s moves the ceiling.
  EXPECT_EQ(notesOf({"--shape", "sine,saw", "--frequency", "96000,5,abc,,NaN", "--rate", "192000",
                     "--length", "0.1"}),
            (Notes{"96000 Hz is above 95999 Hz at 192000 Hz: rendered 96000 Hz",
                   "5 Hz is below 20 Hz: rendered 20 Hz",
                   "\"abc\" (read as 0 Hz) is below 20 Hz: rendered 20 Hz",
                   "\"\" (read as 0 Hz) is below 20 Hz: rendered 20 Hz",
                   "NaN Hz is not a number: rendered 96000 Hz"}));
  EXPECT_EQ(notesOf({"--amplitude", "150", "--length", "30"}),
            (Notes{"150 % is above 100 %: rendered 100 %",
                   "30 s is above 20 s: rendered 20 s (--exact renders up to 86400 s)"}));
  EXPECT_EQ(notesOf({"--amplitude", "-5", "--length", "0"}),
            (Notes{"-5 % is below 0 %: rendered 0 %", "0 s is below 0.1 s: rendered 0.1 s"}));
  EXPECT_EQ(notesOf({"--frequency", "997,22049.5", "--amplitude", "0", "--length", "20"}), Notes{});
}

TEST(RenderCommand, ReportLinesAreJsonWhateverTheTexts) {
  RenderJob job;
  job.file.path = "dir/\"q\"\\\x01\xff.wav";
  job.file.layout = {SampleFormat::kPcm16, 44100, 2, 0};
  job.report = {"sine", "997", 997, 90, 0.1, false, false, {}};
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
  job.report.clamped = true;
  EXPECT_NE(line().find("\"path\":\"h\xc3\xa9rtz \xe2\x82\xac.wav\""), std::string::npos);
  EXPECT_NE(line().find("\"rendered\":996.6667,"), std::string::npos);
  EXPECT_NE(line().find("\"clamped\":true,"), std::string::npos);
  // What is not a finite number is JSON's null, never NaN or Infinity.
  job.report.rendered = std::nan("");
  job.report.amplitude = -std::numeric_limits<double>::infinity();
  EXPECT_NE(line().find("\"rendered\":null,"), std::string::npos);
  EXPECT_NE(line().find("\"amplitude\":null,"), std::string::npos);
  // A FLAC file says its type and its size, which only its end told.
  job.file.type = FileType::kFlac;
  file.fileBytes = 1234;
  EXPECT_NE(line().find("\"frames\":4410,\"type\":\"flac\",\"file_bytes\":1234}"),
            std::string::npos);
}

}  // namespace
