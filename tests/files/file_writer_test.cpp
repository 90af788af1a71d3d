// Content whose length only its end tells (a FLAC file, whose header is completed last): written
// to every kind of target the writer takes, whole, with the head it went back to.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "files/file_writer.h"

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Writes a body after a placeholder head, then goes back and writes the head, as a container
// that learns its header last does; fails instead of the head when asked to.
FileContent HeadLastContent(const std::string& head, const std::string& body, bool fail) {
  return {std::nullopt, [=](int descriptor) {
            const std::string placeholder(head.size(), '?');
            if (!WriteToDescriptor(descriptor, {{placeholder.data(), placeholder.size()},
                                                {body.data(), body.size()}}))
              return false;
            if (fail) {
              NoteContentFailure("the encoder failed");
              return false;
            }
            return ::lseek(descriptor, 0, SEEK_SET) == 0 &&
                   WriteToDescriptor(descriptor, {{head.data(), head.size()}});
          }};
}

class UnknownLengthTest : public testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/quorvel-files-test-XXXXXX";
    folder_ = ::mkdtemp(name);
  }
  void TearDown() override { fs::remove_all(folder_); }
  fs::path folder_;
};

TEST_F(UnknownLengthTest, EveryTargetGetsTheWholeContentOrKeepsItsOld) {
  const std::string head = "HEAD", body(300000, 'b');
  const std::string whole = head + body;
  struct Case {
    const char* what;
    std::function<void(const fs::path&)> prepare;
    bool fail;
  };
  const std::vector<Case> cases = {
      {"a new name", [](const fs::path&) {}, false},
      {"a file replaced by rename", [](const fs::path& p) { std::ofstream(p) << "old"; }, false},
      // A second hard link: written in place, after the content is made whole elsewhere.
      {"a file with two links",
       [](const fs::path& p) {
         std::ofstream(p) << "old";
         fs::create_hard_link(p, p.string() + ".link");
       },
       false},
      {"a failing content over a file with two links",
       [](const fs::path& p) {
         std::ofstream(p) << "old";
         fs::create_hard_link(p, p.string() + ".link");
       },
       true},
      {"a failing content over a file", [](const fs::path& p) { std::ofstream(p) << "old"; }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const fs::path target = folder_ / "target.flac";
    fs::remove(target);
    fs::remove(target.string() + ".link");
    c.prepare(target);
    const bool existed = fs::exists(target);
    const bool written = WriteWholeFile(target, HeadLastContent(head, body, c.fail));
    EXPECT_EQ(written, !c.fail);
    if (c.fail) {
      EXPECT_EQ(LastFileError(), "the encoder failed");
      EXPECT_EQ(existed ? ReadAll(target) : "", existed ? "old" : "");
    } else {
      EXPECT_EQ(ReadAll(target), whole);
    }
    if (fs::exists(target.string() + ".link")) {
      EXPECT_EQ(ReadAll(target.string() + ".link"), c.fail ? "old" : whole)
          << "a hard link sees what the file holds";
    }
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder_)) ++entries;
    EXPECT_EQ(entries, (existed || !c.fail ? 1u : 0u) + (fs::exists(target.string() + ".link")))
        << "nothing left behind";
  }
  EXPECT_TRUE(WriteNewFile(folder_ / "new.flac", HeadLastContent(head, body, false)));
  EXPECT_EQ(ReadAll(folder_ / "new.flac"), whole);
}

}  // namespace
