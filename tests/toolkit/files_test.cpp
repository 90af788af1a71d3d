// Files: sizes, writing and closing with the outcome reported, and the path operations.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

#include "tests/toolkit/test_support.h"

namespace {

constexpr int kFile = 0;

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Write(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

class Files : public testing::Test {
 protected:
  std::string PathOf(const char* name) const { return folder_.filePath(name).toStdString(); }
  QTemporaryDir folder_;
};

}  // namespace

TEST_F(Files, SizeTellsMissingFolderAndBytes) {
  EXPECT_EQ(FileSize(PathOf("missing.wav")), kFileMissing);
  EXPECT_EQ(FileSize(folder_.path().toStdString()), kFileIsFolder);
  Write(PathOf("empty.wav"), "");
  EXPECT_EQ(FileSize(PathOf("empty.wav")), 0);
  Write(PathOf("five.wav"), "12345");
  EXPECT_EQ(FileSize(PathOf("five.wav")), 5);
}

TEST_F(Files, WrittenBytesArriveWholeAndCreatingEmptiesAnOldFile) {
  const std::string path = PathOf("out.wav");
  Write(path, std::string(1000, 'o'));
  ASSERT_NE(CreateFile(kFile, path), 0);
  EXPECT_EQ(FileSize(path), 0);
  const std::string header("RIFF\x24\x10\x04\x00WAVE", 12);
  const std::string samples(264600, '\x5a');
  EXPECT_TRUE(WriteData(kFile, header.data(), header.size()));
  EXPECT_TRUE(WriteData(kFile, samples.data(), samples.size()));
  EXPECT_TRUE(WriteData(kFile, samples.data(), 0));
  EXPECT_TRUE(CloseFile(kFile));
  EXPECT_EQ(Contents(path), header + samples);
  EXPECT_EQ(FileSize(path), 12 + 264600);

  EXPECT_FALSE(WriteData(kFile, "x", 1)) << "the file is closed";
  EXPECT_FALSE(CloseFile(kFile));
}

TEST_F(Files, CreatingFailsWhereNoFileCanBeEvenForRoot) {
  Write(PathOf("plain"), "x");
  EXPECT_EQ(CreateFile(kFile, PathOf("plain") + "/under.wav"), 0);
  EXPECT_EQ(LastFileError(), "Not a directory");
  EXPECT_EQ(CreateFile(kFile, PathOf("no/such/folder.wav")), 0);
  EXPECT_EQ(LastFileError(), "No such file or directory");
  EXPECT_EQ(CreateFile(kFile, folder_.path().toStdString()), 0);
  EXPECT_EQ(LastFileError(), "Is a directory");
  EXPECT_FALSE(WriteData(kFile, "x", 1));
}

TEST_F(Files, CloseReportsBytesThatNeverReachedTheDisk) {
  // Writes to /dev/full are accepted into the buffer and fail when they are written out.
  ASSERT_NE(CreateFile(kFile, "/dev/full"), 0);
  EXPECT_TRUE(WriteData(kFile, "0123456789", 10));
  EXPECT_FALSE(CloseFile(kFile));
  EXPECT_EQ(LastFileError(), "No space left on device");

  // A device with nothing to synchronise takes everything.
  ASSERT_NE(CreateFile(kFile, "/dev/null"), 0);
  EXPECT_TRUE(WriteData(kFile, "0123456789", 10));
  EXPECT_TRUE(CloseFile(kFile));
}

TEST_F(Files, OpeningANumberAgainFinishesTheFileItHeld) {
  ASSERT_NE(CreateFile(kFile, PathOf("first.wav")), 0);
  WriteData(kFile, "first", 5);
  ASSERT_NE(CreateFile(kFile, PathOf("second.wav")), 0);
  WriteData(kFile, "second", 6);
  EXPECT_TRUE(CloseFile(kFile));
  EXPECT_EQ(Contents(PathOf("first.wav")), "first");
  EXPECT_EQ(Contents(PathOf("second.wav")), "second");
}

TEST_F(Files, WholeFileIsTheBlocksInOrderAndANewOneTakesTheUsualPermissions) {
  const std::string target = PathOf("song.wav");
  const std::string header("RIFF", 4);
  const std::string samples(70000, '\x33');
  ASSERT_TRUE(WriteWholeFile(
      target,
      {{header.data(), header.size()}, {samples.data(), 0}, {samples.data(), samples.size()}}));
  EXPECT_EQ(Contents(target), header + samples);

  struct stat status {};
  ASSERT_EQ(stat(target.c_str(), &status), 0);
  const mode_t mask = umask(0);
  umask(mask);
  EXPECT_EQ(status.st_mode & 07777, 0666 & ~mask);

  Write(target, std::string(100000, 'o'));
  ASSERT_TRUE(WriteWholeFile(target, {{"new", 3}}));
  EXPECT_EQ(Contents(target), "new") << "a longer old file leaves nothing behind the new end";
}

TEST_F(Files, WholeFileFailuresNameTheirCauseAndTheFolderWhereItIsTheCause) {
  EXPECT_FALSE(WriteWholeFile(PathOf("gone/song.wav"), {{"x", 1}}));
  EXPECT_EQ(LastFileError(), "No such file or directory (the folder " + PathOf("gone") + ")");
  Write(PathOf("plain"), "x");
  EXPECT_FALSE(WriteWholeFile(PathOf("plain/song.wav"), {{"x", 1}}));
  EXPECT_EQ(LastFileError(), "Not a directory (the folder " + PathOf("plain") + ")");
  EXPECT_FALSE(WriteWholeFile(folder_.path().toStdString(), {{"x", 1}}));
  EXPECT_EQ(LastFileError(), "Is a directory");
  EXPECT_FALSE(WriteWholeFile(folder_.path().toStdString() + "/", {{"x", 1}}));
  EXPECT_EQ(LastFileError(), "Is a directory");
}

TEST_F(Files, SomethingExistsAtAPathEvenWhenItIsADanglingLink) {
  EXPECT_FALSE(PathExists(PathOf("nothing")));
  ASSERT_EQ(symlink("nowhere", PathOf("dangling").c_str()), 0);
  EXPECT_TRUE(PathExists(PathOf("dangling")));
  EXPECT_EQ(FileSize(PathOf("dangling")), kFileMissing);
  EXPECT_TRUE(PathExists(folder_.path().toStdString()));
}

TEST_F(Files, ANewFileIsWrittenOnlyWhereNothingIsYet) {
  ASSERT_TRUE(WriteNewFile(PathOf("new.wav"), {{"RIFF", 4}, {"data", 4}}));
  EXPECT_EQ(Contents(PathOf("new.wav")), "RIFFdata");

  // Nothing there may be replaced, a link that points nowhere included: writing through it
  // would create a file the user did not name.
  ASSERT_EQ(symlink("nowhere.wav", PathOf("dangling.wav").c_str()), 0);
  Write(PathOf("old.wav"), "old");
  for (const char* taken : {"new.wav", "old.wav", "dangling.wav", "."}) {
    EXPECT_FALSE(WriteNewFile(PathOf(taken), {{"x", 1}})) << taken;
  }
  EXPECT_EQ(LastFileError(), "Is a directory");
  EXPECT_FALSE(WriteNewFile(PathOf("old.wav"), {{"x", 1}}));
  EXPECT_EQ(LastFileError(), "File exists");
  EXPECT_EQ(Contents(PathOf("new.wav")), "RIFFdata");
  EXPECT_EQ(Contents(PathOf("old.wav")), "old");
  EXPECT_FALSE(PathExists(PathOf("nowhere.wav")));

  // The reason is each thread's own, so writers in parallel each report theirs.
  std::string otherThreadsError;
  std::thread([&] {
    EXPECT_FALSE(WriteNewFile(PathOf("gone/x.wav"), {{"x", 1}}));
    otherThreadsError = LastFileError();
  }).join();
  EXPECT_EQ(otherThreadsError, "No such file or directory (the folder " + PathOf("gone") + ")");
  EXPECT_EQ(LastFileError(), "File exists");
}
