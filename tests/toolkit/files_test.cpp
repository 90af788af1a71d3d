// Files: sizes, writing and closing with the outcome reported, and the path operations.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <fstream>
#include <iterator>
#include <string>

#include <sys/stat.h>

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

TEST_F(Files, TemporaryFileBesideTheTargetReplacesItInOneStep) {
  const std::string target = PathOf("song.wav");
  Write(target, "old");
  const std::string temporary = CreateTemporaryFileBeside(kFile, target);
  ASSERT_NE(temporary, "");
  EXPECT_EQ(temporary.rfind(folder_.path().toStdString() + "/.song.wav.", 0), 0u) << temporary;
  EXPECT_NE(CreateTemporaryFileBeside(1, target), temporary);
  EXPECT_TRUE(CloseFile(1));

  // A saved file gets the usual permissions, not those of a private temporary file.
  struct stat status {};
  ASSERT_EQ(stat(temporary.c_str(), &status), 0);
  const mode_t mask = umask(0);
  umask(mask);
  EXPECT_EQ(status.st_mode & 0777, 0666 & ~mask);

  EXPECT_TRUE(WriteData(kFile, "new", 3));
  EXPECT_TRUE(CloseFile(kFile));
  EXPECT_EQ(Contents(target), "old");
  EXPECT_TRUE(ReplaceFile(temporary, target));
  EXPECT_EQ(Contents(target), "new");
  EXPECT_EQ(FileSize(temporary), kFileMissing);

  EXPECT_EQ(CreateTemporaryFileBeside(kFile, PathOf("gone/song.wav")), "");
  EXPECT_EQ(LastFileError(), "No such file or directory");
  EXPECT_FALSE(ReplaceFile(temporary, target));
  EXPECT_EQ(LastFileError(), "No such file or directory");
}

TEST_F(Files, DeleteRemovesAFileAndReportsAMissingOne) {
  Write(PathOf("doomed.wav"), "x");
  EXPECT_TRUE(DeleteFile(PathOf("doomed.wav")));
  EXPECT_EQ(FileSize(PathOf("doomed.wav")), kFileMissing);
  EXPECT_FALSE(DeleteFile(PathOf("doomed.wav")));
  EXPECT_EQ(LastFileError(), "No such file or directory");
}
