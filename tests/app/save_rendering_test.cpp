// Saving through the real dialogs: refusal, cancel, overwrite, the files written, and failures
// that must leave an existing file as it was.
#include <sndfile.h>
#include <sys/resource.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "modal_answerer.h"
#include "running_program.h"
#include "tests/figures.h"

using namespace quorvel_test;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<char>;

Bytes ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const fs::path& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

std::uint32_t LE32At(const Bytes& bytes, std::size_t offset) {
  return ReadLE32(reinterpret_cast<const std::uint8_t*>(bytes.data()) + offset);
}

std::uint16_t LE16At(const Bytes& bytes, std::size_t offset) {
  return ReadLE16(reinterpret_cast<const std::uint8_t*>(bytes.data()) + offset);
}

std::vector<fs::path> FolderEntries(const fs::path& folder) {
  std::vector<fs::path> entries(fs::directory_iterator(folder), {});
  std::sort(entries.begin(), entries.end());
  return entries;
}

class SaveRenderingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RestoreStartState();
    folder_ = fs::temp_directory_path() /
              ("quorvel-save-" + std::to_string(getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    previousFolder_ = fs::current_path();
    fs::current_path(folder_);
  }
  void TearDown() override {
    fs::current_path(previousFolder_);
    fs::remove_all(folder_);
  }

  std::vector<SeenDialog> Save(const std::vector<Answer>& answers) {
    return WithAnswers(answers, [] { ChooseMenuCommand(kCommandSave); });
  }

  fs::path folder_;
  fs::path previousFolder_;
};

void ExpectFailureBox(const std::vector<SeenDialog>& seen, const std::string& path,
                      const std::string& reason) {
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back().kind, "message");
  EXPECT_EQ(seen.back().title, "Save Wav");
  EXPECT_EQ(seen.back().text, "Could not write " + path + ": " + reason);
}

}  // namespace

TEST_F(SaveRenderingTest, NothingRenderedAsksForARenderingAndOpensNoDialog) {
  const auto seen = Save({PressButton("OK")});
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].kind, "message");
  EXPECT_EQ(seen[0].title, "Please");
  EXPECT_EQ(seen[0].text, "First make a shape rendering");
  EXPECT_TRUE(FolderEntries(folder_).empty());
}

TEST_F(SaveRenderingTest, DialogProposesTheDefaultNameAndCancelWritesNothing) {
  ClickRenderButton();
  const auto seen = Save({CancelDialog()});
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].kind, "file");
  EXPECT_EQ(seen[0].title, "Save Wav");
  EXPECT_EQ(seen[0].text, "rorovoraderuz.wav");
  EXPECT_EQ(seen[0].filter, "Audio (*.wav)");
  EXPECT_TRUE(FolderEntries(folder_).empty());
}

TEST_F(SaveRenderingTest, DefaultRenderingIsWrittenWithItsOwnHeaderAndSamples) {
  ClickRenderButton();
  const fs::path first = folder_ / "first.wav";
  ASSERT_EQ(Save({ChooseFile(first)}).size(), 1u) << "no question for a new file";

  const Bytes bytes = ReadBytes(first);
  ASSERT_EQ(bytes.size(), figures::kDefaultFileSize);
  EXPECT_EQ(std::string(bytes.data(), 4), "RIFF");
  EXPECT_EQ(LE32At(bytes, 4), 264636u);
  EXPECT_EQ(std::string(bytes.data() + 8, 8), "WAVEfmt ");
  EXPECT_EQ(LE32At(bytes, 16), 16u);
  EXPECT_EQ(LE16At(bytes, 20), 1u);
  EXPECT_EQ(LE16At(bytes, 22), 1u);
  EXPECT_EQ(LE32At(bytes, 24), 44100u);
  EXPECT_EQ(LE32At(bytes, 28), 88200u);
  EXPECT_EQ(LE16At(bytes, 32), 2u);
  EXPECT_EQ(LE16At(bytes, 34), 16u);
  EXPECT_EQ(std::string(bytes.data() + 36, 4), "data");
  EXPECT_EQ(LE32At(bytes, 40), 264600u);
  EXPECT_EQ(RiffSize(), 1764036u) << "the buffer keeps its capacity";

  SF_INFO info{};
  SNDFILE* file = sf_open(first.c_str(), SFM_READ, &info);
  ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
  EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
  EXPECT_EQ(info.channels, 1);
  EXPECT_EQ(info.samplerate, 44100);
  ASSERT_EQ(info.frames, 132300);
  std::vector<short> samples(info.frames);
  EXPECT_EQ(sf_read_short(file, samples.data(), info.frames), info.frames);
  sf_close(file);
  const auto& expectedStart = figures::kDefaultSineStart;
  EXPECT_TRUE(std::equal(std::begin(expectedStart), std::end(expectedStart), samples.begin()));
  std::size_t differing = 0;
  for (std::size_t i = 0; i < samples.size(); ++i) differing += samples[i] != SampleAt(i);
  EXPECT_EQ(differing, 0u);

  const fs::path second = folder_ / "second.wav";
  Save({ChooseFile(second)});
  EXPECT_EQ(ReadBytes(second), bytes) << "two saves give identical files";
  EXPECT_EQ(FolderEntries(folder_), (std::vector<fs::path>{first, second}));
}

TEST_F(SaveRenderingTest, ExistingFilesAreReplacedOnlyAfterYes) {
  ClickRenderButton();
  const fs::path target = folder_ / "kept.wav";
  WriteBytes(target, "precious bytes");
  const Bytes before = ReadBytes(target);

  const auto seenNo = Save({ChooseFile(target), PressButton("No")});
  ASSERT_EQ(seenNo.size(), 2u);
  EXPECT_EQ(seenNo[1].title, "File Overwrite");
  EXPECT_EQ(seenNo[1].text, "Overwrite it ?");
  EXPECT_EQ(ReadBytes(target), before);

  const fs::path empty = folder_ / "empty.wav";
  WriteBytes(empty, "");
  const auto seenEmpty = Save({ChooseFile(empty), PressButton("No")});
  ASSERT_EQ(seenEmpty.size(), 2u) << "an empty file is asked about too";
  EXPECT_EQ(fs::file_size(empty), 0u);

  Save({ChooseFile(target), PressButton("Yes")});
  EXPECT_EQ(fs::file_size(target), figures::kDefaultFileSize);
  EXPECT_EQ(FolderEntries(folder_), (std::vector<fs::path>{empty, target}));
}

TEST_F(SaveRenderingTest, LongestStereoRenderingAtTheHighRate) {
  ChooseMenuCommand(kCommandStereo);
  ChooseMenuCommand(kCommand192000Hz);
  PressSlider(LengthSlider, 144);
  ReleaseSlider(LengthSlider, 144);
  ASSERT_EQ(ControlText(LengthValueField), "10.0");
  ClickRenderButton();
  const fs::path target = folder_ / "long.wav";
  Save({ChooseFile(target)});

  const Bytes bytes = ReadBytes(target);
  ASSERT_EQ(bytes.size(), 7680044u);
  EXPECT_EQ(LE32At(bytes, 4), 7680036u);
  EXPECT_EQ(LE16At(bytes, 22), 2u);
  EXPECT_EQ(LE32At(bytes, 24), 192000u);
  EXPECT_EQ(LE32At(bytes, 28), 768000u);
  EXPECT_EQ(LE16At(bytes, 32), 4u);
  EXPECT_EQ(LE32At(bytes, 40), 7680000u);
  EXPECT_EQ(RiffSize(), 15360036u);
}

TEST_F(SaveRenderingTest, FailuresAreReportedAndLeaveWhatWasThere) {
  ClickRenderButton();

  const fs::path plainFile = folder_ / "plain";
  WriteBytes(plainFile, "x");
  const std::string underFile = (plainFile / "a.wav").string();
  ExpectFailureBox(Save({ChooseFile(underFile), PressButton("OK")}), underFile,
                   "Not a directory (the folder " + plainFile.string() + ")");

  const std::string inMissingFolder = (folder_ / "gone" / "a.wav").string();
  ExpectFailureBox(Save({ChooseFile(inMissingFolder), PressButton("OK")}), inMissingFolder,
                   "No such file or directory (the folder " + (folder_ / "gone").string() + ")");

  const fs::path subfolder = folder_ / "sub";
  fs::create_directories(subfolder / "inside");
  const auto seenFolder = Save({ChooseFile(subfolder), PressButton("Yes"), PressButton("OK")});
  ASSERT_EQ(seenFolder.size(), 3u);
  EXPECT_EQ(seenFolder[1].title, "File Overwrite");
  EXPECT_EQ(seenFolder[2].title, "Save Wav");
  EXPECT_TRUE(fs::is_directory(subfolder / "inside"));

  // A file size limit makes the write itself fail half way, after the file was created.
  const fs::path existing = folder_ / "existing.wav";
  WriteBytes(existing, "precious bytes");
  rlimit previous{};
  getrlimit(RLIMIT_FSIZE, &previous);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = previous;
  small.rlim_cur = 4096;
  setrlimit(RLIMIT_FSIZE, &small);
  const auto seenLimit = Save({ChooseFile(existing), PressButton("Yes"), PressButton("OK")});
  setrlimit(RLIMIT_FSIZE, &previous);
  std::signal(SIGXFSZ, oldHandler);
  ExpectFailureBox(seenLimit, existing.string(), "File too large");
  EXPECT_EQ(ReadBytes(existing),
            Bytes({'p', 'r', 'e', 'c', 'i', 'o', 'u', 's', ' ', 'b', 'y', 't', 'e', 's'}));

  EXPECT_EQ(FolderEntries(folder_), (std::vector<fs::path>{existing, plainFile, subfolder}))
      << "no temporary file is left behind";
}
