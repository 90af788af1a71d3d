// Saving onto every kind of path a user may choose, through the real dialog, as root and as an
// ordinary user: what a plain overwrite keeps is kept, what it refuses is refused, nothing is
// written where the user did not choose, and no failure leaves a damaged file or a stray one.
#include <grp.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <optional>
#include <vector>

#include "file_faults.h"
#include "modal_answerer.h"
#include "running_program.h"

using namespace quorvel_test;
namespace fs = std::filesystem;

namespace {

constexpr uid_t kOrdinaryUser = 65534;   // nobody
constexpr gid_t kOrdinaryGroup = 65534;  // nogroup
constexpr gid_t kOtherGroup = 100;       // users, of which nobody is no member
constexpr const char* kAttribute = "user.quorvel.note";
constexpr const char* kOldContent = "precious old bytes";

// Only regular files are read: opening a named pipe would wait for a writer.
std::string ReadContent(const fs::path& path) {
  std::error_code unreadable;
  if (!fs::is_regular_file(path, unreadable)) return std::string();
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteContent(const fs::path& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

// What the save must write: the header with the file's RIFF size, then the rendered samples.
std::string RenderedFile() {
  std::uint8_t header[kWavHeaderSize];
  CopyFileHeader(MainWavBuffer, header);
  return std::string(reinterpret_cast<char*>(header), kWavHeaderSize) +
         std::string(reinterpret_cast<char*>(MainWavBuffer) + kWavHeaderSize, DataSize());
}

struct Snapshot {
  bool exists = false;
  bool isLink = false;
  std::string linkTarget;
  ino_t inode = 0;
  mode_t mode = 0;
  uid_t owner = 0;
  gid_t group = 0;
  nlink_t links = 0;
  std::string attribute;
};

Snapshot Take(const fs::path& path) {
  Snapshot snapshot;
  struct stat status {};
  if (lstat(path.c_str(), &status) != 0) return snapshot;
  snapshot.exists = true;
  snapshot.isLink = S_ISLNK(status.st_mode);
  if (snapshot.isLink) snapshot.linkTarget = fs::read_symlink(path).string();
  if (stat(path.c_str(), &status) != 0) return snapshot;
  snapshot.inode = status.st_ino;
  snapshot.mode = status.st_mode;
  snapshot.owner = status.st_uid;
  snapshot.group = status.st_gid;
  snapshot.links = status.st_nlink;
  char value[64];
  const ssize_t length = getxattr(path.c_str(), kAttribute, value, sizeof value);
  if (length > 0) snapshot.attribute.assign(value, static_cast<std::size_t>(length));
  return snapshot;
}

std::vector<std::string> Entries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    names.push_back(entry.path().lexically_relative(folder).string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The process acts as an ordinary user until the end of the scope: no privilege overrides a
// permission, and files it makes are that user's. Its own /proc entries stay its own, as in any
// process a user starts.
class AsOrdinaryUser {
 public:
  explicit AsOrdinaryUser(bool active) : active_(active) {
    if (!active_) return;
    groups_.resize(static_cast<std::size_t>(getgroups(0, nullptr)));
    EXPECT_EQ(getgroups(static_cast<int>(groups_.size()), groups_.data()),
              static_cast<int>(groups_.size()));
    EXPECT_EQ(setgroups(0, nullptr), 0);
    EXPECT_EQ(setegid(kOrdinaryGroup), 0);
    EXPECT_EQ(seteuid(kOrdinaryUser), 0);
    prctl(PR_SET_DUMPABLE, 1);
  }
  ~AsOrdinaryUser() {
    if (!active_) return;
    EXPECT_EQ(seteuid(0), 0);
    EXPECT_EQ(setegid(0), 0);
    EXPECT_EQ(setgroups(groups_.size(), groups_.data()), 0);
  }
  AsOrdinaryUser(const AsOrdinaryUser&) = delete;
  AsOrdinaryUser& operator=(const AsOrdinaryUser&) = delete;

 private:
  bool active_;
  std::vector<gid_t> groups_;
};

enum class Who { kRoot, kOrdinaryUser };

std::string NameOf(Who who) { return who == Who::kRoot ? "root" : "an ordinary user"; }

struct Target {
  fs::path chosen;     // what is typed into the dialog
  fs::path written;    // where the content must arrive
  bool exists = true;  // so the overwrite question comes
};

struct Row {
  const char* what;
  std::vector<Who> users;
  // Sets the scene in `folder` (owned by the saving user) while privileged.
  std::function<Target(const fs::path& folder)> prepare;
  // "" when the save must succeed; else the reason the failure box gives.
  std::string refusal;
  // Checks beyond content and stray files, given the snapshots before and after.
  std::function<void(const Target&, const Snapshot& before, const Snapshot& after)> check;
};

// The owner and group of a case's folder: the user who saves there.
struct stat OwnerOf(const fs::path& folder) {
  struct stat status {};
  stat(folder.c_str(), &status);
  return status;
}

Target ExistingFile(const fs::path& path, mode_t mode, uid_t owner, gid_t group) {
  WriteContent(path, kOldContent);
  chmod(path.c_str(), mode);
  EXPECT_EQ(chown(path.c_str(), owner, group), 0);
  return {path, path};
}

void KeepsOwnershipAndMode(const Target&, const Snapshot& before, const Snapshot& after) {
  EXPECT_EQ(after.mode, before.mode);
  EXPECT_EQ(after.owner, before.owner);
  EXPECT_EQ(after.group, before.group);
}

class SaveTargetsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RestoreStartState();
    folder_ = fs::temp_directory_path() /
              ("quorvel-targets-" + std::to_string(getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    previousFolder_ = fs::current_path();
    ClickRenderButton();
    ASSERT_EQ(DataSize(), 264600u);
  }
  void TearDown() override {
    fs::current_path(previousFolder_);
    fs::remove_all(folder_);
  }

  // A fresh folder for one case, owned by the user who saves, and the working directory.
  fs::path CaseFolder(const std::string& name, uid_t owner, gid_t group) {
    const fs::path folder = folder_ / name;
    fs::create_directories(folder);
    EXPECT_EQ(chown(folder.c_str(), owner, group), 0);
    chmod(folder_.c_str(), 0755);
    fs::current_path(folder);
    return folder;
  }

  void RunRow(const Row& row, Who who);

  fs::path folder_;
  fs::path previousFolder_;
  int case_ = 0;
};

void SaveTargetsTest::RunRow(const Row& row, Who who) {
  SCOPED_TRACE(std::string(row.what) + ", saved by " + NameOf(who));
  const bool ordinary = who == Who::kOrdinaryUser;
  const fs::path folder = CaseFolder("case" + std::to_string(++case_), ordinary ? kOrdinaryUser : 0,
                                     ordinary ? kOrdinaryGroup : 0);
  const Target target = row.prepare(folder);
  const Snapshot before = Take(target.chosen);
  const Snapshot beforeWritten = Take(target.written);
  const std::string oldContent = ReadContent(target.written);
  const bool creates = !beforeWritten.exists;
  const std::vector<std::string> entriesBefore = Entries(folder_);

  std::vector<Answer> answers = {ChooseFile(target.chosen.string())};
  if (target.exists) answers.push_back(PressButton("Yes"));
  if (!row.refusal.empty()) answers.push_back(PressButton("OK"));
  std::vector<SeenDialog> seen;
  {
    AsOrdinaryUser user(ordinary);
    seen = WithAnswers(answers, [] { ChooseMenuCommand(kCommandSave); });
  }

  ASSERT_EQ(seen.size(), answers.size());
  if (target.exists) {
    EXPECT_EQ(seen[1].title, "File Overwrite");
  }
  if (row.refusal.empty()) {
    EXPECT_EQ(ReadContent(target.written), RenderedFile());
  } else {
    EXPECT_EQ(seen.back().title, "Save Wav");
    EXPECT_EQ(seen.back().text, "Could not write " + target.chosen.string() + ": " + row.refusal);
    EXPECT_EQ(ReadContent(target.written), oldContent) << "a refused save changes nothing";
  }
  const Snapshot after = Take(target.chosen);
  EXPECT_EQ(after.isLink, before.isLink);
  EXPECT_EQ(after.linkTarget, before.linkTarget);
  if (row.check) row.check(target, beforeWritten, Take(target.written));

  std::vector<std::string> entriesAfter = Entries(folder_);
  std::vector<std::string> expected = entriesBefore;
  if (creates && row.refusal.empty()) {
    expected.push_back(target.written.lexically_relative(folder_).string());
    std::sort(expected.begin(), expected.end());
  }
  EXPECT_EQ(entriesAfter, expected) << "no other file is written, none is left behind";
}

std::vector<Row> TargetTable() {
  const std::vector<Who> both = {Who::kRoot, Who::kOrdinaryUser};
  return {
      {"a private file (0600)", both,
       [](const fs::path& folder) {
         const struct stat status = OwnerOf(folder);
         return ExistingFile(folder / "private.wav", 0600, status.st_uid, status.st_gid);
       },
       "", KeepsOwnershipAndMode},
      {"a file of 0640 with another group", both,
       [](const fs::path& folder) {
         const struct stat status = OwnerOf(folder);
         return ExistingFile(folder / "grouped.wav", 0640, status.st_uid, kOtherGroup);
       },
       "", KeepsOwnershipAndMode},
      {"a writable file owned by another user", both,
       [](const fs::path& folder) {
         const struct stat status = OwnerOf(folder);
         const uid_t other = status.st_uid == 0 ? kOrdinaryUser : 0;
         return ExistingFile(folder / "theirs.wav", 0666, other, other);
       },
       "", KeepsOwnershipAndMode},
      {"a file with an extended attribute", both,
       [](const fs::path& folder) {
         const struct stat status = OwnerOf(folder);
         Target target = ExistingFile(folder / "noted.wav", 0644, status.st_uid, status.st_gid);
         setxattr(target.written.c_str(), kAttribute, "keep", 4, 0);
         return target;
       },
       "",
       [](const Target& target, const Snapshot& before, const Snapshot& after) {
         if (before.attribute.empty()) {
           std::cout << "(no user attributes on " << target.written.parent_path() << ")\n";
         }
         EXPECT_EQ(after.attribute, before.attribute);
         KeepsOwnershipAndMode(target, before, after);
       }},
      {"a symbolic link to a file elsewhere", both,
       [](const fs::path& folder) {
         fs::create_directories(folder / "elsewhere");
         WriteContent(folder / "elsewhere" / "real.wav", kOldContent);
         EXPECT_EQ(
             chown((folder / "elsewhere" / "real.wav").c_str(), kOrdinaryUser, kOrdinaryGroup), 0);
         fs::create_symlink("elsewhere/real.wav", folder / "link.wav");
         return Target{folder / "link.wav", folder / "elsewhere" / "real.wav"};
       },
       "", KeepsOwnershipAndMode},
      {"a dangling symbolic link", both,
       [](const fs::path& folder) {
         fs::create_symlink("made-through-the-link.wav", folder / "dangling.wav");
         return Target{folder / "dangling.wav", folder / "made-through-the-link.wav", true};
       },
       "",
       [](const Target& target, const Snapshot&, const Snapshot& after) {
         EXPECT_TRUE(after.exists) << target.written;
       }},
      {"a file with a second hard link", both,
       [](const fs::path& folder) {
         const struct stat status = OwnerOf(folder);
         Target target = ExistingFile(folder / "first.wav", 0644, status.st_uid, status.st_gid);
         fs::create_hard_link(folder / "first.wav", folder / "second.wav");
         return target;
       },
       "",
       [](const Target& target, const Snapshot& before, const Snapshot& after) {
         EXPECT_EQ(after.inode, before.inode);
         EXPECT_EQ(after.links, 2u);
         EXPECT_EQ(ReadContent(target.written.parent_path() / "second.wav"), RenderedFile());
       }},
      {"a writable file in a folder the user cannot write",
       {Who::kOrdinaryUser},
       [](const fs::path& folder) {
         fs::create_directories(folder / "locked");
         Target target =
             ExistingFile(folder / "locked" / "mine.wav", 0644, kOrdinaryUser, kOrdinaryGroup);
         chmod((folder / "locked").c_str(), 0755);
         return target;
       },
       "",
       KeepsOwnershipAndMode},
      {"a read-only file of the user's own",
       {Who::kOrdinaryUser},
       [](const fs::path& folder) {
         return ExistingFile(folder / "readonly.wav", 0444, kOrdinaryUser, kOrdinaryGroup);
       },
       "Permission denied",
       KeepsOwnershipAndMode},
      {"a read-only file, saved by root",
       {Who::kRoot},
       [](const fs::path& folder) { return ExistingFile(folder / "readonly.wav", 0444, 0, 0); },
       "",
       KeepsOwnershipAndMode},
      {"a named pipe", both,
       [](const fs::path& folder) {
         mkfifo((folder / "pipe.wav").c_str(), 0666);
         return Target{folder / "pipe.wav", folder / "pipe.wav"};
       },
       "It is a named pipe, not a regular file",
       [](const Target& target, const Snapshot&, const Snapshot&) {
         EXPECT_TRUE(fs::is_fifo(target.written));
       }},
      {"a device (/dev/null)", both,
       [](const fs::path&) {
         return Target{"/dev/null", "/dev/null"};
       },
       "It is a character device, not a regular file",
       [](const Target&, const Snapshot&, const Snapshot&) {
         EXPECT_TRUE(fs::is_character_file("/dev/null"));
       }},
      {"a symbolic link loop", both,
       [](const fs::path& folder) {
         fs::create_symlink("loop-b.wav", folder / "loop-a.wav");
         fs::create_symlink("loop-a.wav", folder / "loop-b.wav");
         return Target{folder / "loop-a.wav", folder / "loop-a.wav"};
       },
       "Too many levels of symbolic links", nullptr},
      {"a new name of 250 characters", both,
       [](const fs::path& folder) {
         const fs::path path = folder / (std::string(246, 'n') + ".wav");
         return Target{path, path, false};
       },
       "", nullptr},
      {"an existing name of 250 characters", both,
       [](const fs::path& folder) {
         const struct stat status = OwnerOf(folder);
         return ExistingFile(folder / (std::string(246, 'e') + ".wav"), 0644, status.st_uid,
                             status.st_gid);
       },
       "", KeepsOwnershipAndMode},
      {"an existing file at a path near PATH_MAX", both,
       [](const fs::path& folder) {
         fs::path deep = folder;
         while (deep.string().size() < 3800) deep /= std::string(200, 'd');
         fs::create_directories(deep);
         const struct stat status = OwnerOf(folder);
         for (fs::path p = deep; p != folder; p = p.parent_path()) {
           EXPECT_EQ(chown(p.c_str(), status.st_uid, status.st_gid), 0);
         }
         const fs::path path = deep / (std::string(4090 - deep.string().size() - 5, 'p') + ".wav");
         return ExistingFile(path, 0644, status.st_uid, status.st_gid);
       },
       "", KeepsOwnershipAndMode},
  };
}

}  // namespace

TEST_F(SaveTargetsTest, EveryKindOfPathBehavesAsAPlainOverwrite) {
  for (const Row& row : TargetTable()) {
    for (Who who : row.users) {
      if (who == Who::kOrdinaryUser && geteuid() != 0) continue;  // cannot become one
      if (who == Who::kRoot && geteuid() != 0) continue;
      RunRow(row, who);
    }
  }
}

TEST_F(SaveTargetsTest, NamesAreTakenLiterallyInTheFolderTheDialogShows) {
  const fs::path folder = CaseFolder("names", 0, 0);
  for (const std::string name : {"it's \"q\".wav", "\"quoted\"", "Grüße aus Köln 997 Hz.wav",
                                 " leading and trailing space .wav"}) {
    SCOPED_TRACE(name);
    const auto seen = WithAnswers({ChooseFile(name)}, [] { ChooseMenuCommand(kCommandSave); });
    ASSERT_EQ(seen.size(), 1u) << "a new name asks nothing and fails nowhere";
    EXPECT_EQ(ReadContent(folder / name), RenderedFile());
    const auto seenAgain = WithAnswers({ChooseFile((folder / name).string()), PressButton("Yes")},
                                       [] { ChooseMenuCommand(kCommandSave); });
    EXPECT_EQ(seenAgain.size(), 2u) << "typed as a full path it is the same file";
  }
  EXPECT_EQ(Entries(folder_),
            (std::vector<std::string>{"names", "names/ leading and trailing space .wav",
                                      "names/\"quoted\"", "names/Grüße aus Köln 997 Hz.wav",
                                      "names/it's \"q\".wav"}));
}

// Each step of a save failing in turn, over an existing file and onto a new name, with and
// without unnamed files in the folder's file system.
TEST_F(SaveTargetsTest, AFailingStepLeavesTheOldFileWholeAndNothingBehind) {
  const struct {
    FileStep step;
    const char* what;
    int error;
    const char* reason;
  } kSteps[] = {
      {FileStep::kCreate, "create", ENOSPC, "No space left on device (the folder "},
      {FileStep::kWrite, "write", ENOSPC, "No space left on device"},
      {FileStep::kSync, "sync", EIO, "Input/output error"},
      {FileStep::kName, "name", EIO, "Input/output error (the folder "},
      {FileStep::kRename, "rename", EIO, "Input/output error (the folder "},
  };
  for (bool unnamed : {true, false}) {
    for (const auto& step : kSteps) {
      if (!unnamed && step.step == FileStep::kName) continue;  // named from the start
      for (bool existing : {true, false}) {
        if (!existing && step.step == FileStep::kRename) continue;  // nothing to put in place
        SCOPED_TRACE(std::string(step.what) + (existing ? ", over a file" : ", a new name") +
                     (unnamed ? "" : ", no unnamed files"));
        const fs::path folder = CaseFolder("step" + std::to_string(++case_), 0, 0);
        const fs::path target = folder / "target.wav";
        if (existing) WriteContent(target, kOldContent);
        const std::vector<std::string> before = Entries(folder);

        std::vector<Answer> answers = {ChooseFile(target.string())};
        if (existing) answers.push_back(PressButton("Yes"));
        answers.push_back(PressButton("OK"));
        std::optional<NoUnnamedFiles> noUnnamed;
        if (!unnamed) noUnnamed.emplace();
        FileFault fault(step.step, folder.string(), step.error);
        const auto seen = WithAnswers(answers, [] { ChooseMenuCommand(kCommandSave); });
        EXPECT_TRUE(fault.happened());

        ASSERT_EQ(seen.size(), answers.size());
        EXPECT_EQ(
            seen.back().text.rfind("Could not write " + target.string() + ": " + step.reason, 0),
            0u)
            << seen.back().text;
        EXPECT_EQ(Entries(folder), before);
        if (existing) {
          EXPECT_EQ(ReadContent(target), kOldContent);
        }
      }
    }
  }
}

TEST_F(SaveTargetsTest, AKilledSaveLeavesTheOldFileWholeAndNothingBehind) {
  const std::string content = RenderedFile();
  for (bool existing : {true, false}) {
    SCOPED_TRACE(existing ? "over a file" : "a new name");
    const fs::path folder = CaseFolder(existing ? "killed-over" : "killed-new", 0, 0);
    const fs::path target = folder / "target.wav";
    if (existing) WriteContent(target, kOldContent);
    const std::vector<std::string> before = Entries(folder);

    const pid_t child = fork();
    if (child == 0) {
      KillDuringWrite kill(folder.string(), 100000);
      WriteWholeFile(target.string(), {{content.data(), content.size()}});
      _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "killed half way";
    EXPECT_EQ(Entries(folder), before);
    if (existing) {
      EXPECT_EQ(ReadContent(target), kOldContent);
    }
  }
}

TEST_F(SaveTargetsTest, AFullDiskLeavesTheOldFileWholeAndNothingBehind) {
  const fs::path folder = CaseFolder("full", 0, 0);
  if (mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=256k") != 0) {
    GTEST_SKIP() << "cannot mount a small file system here: " << std::strerror(errno);
  }
  struct Unmount {
    fs::path folder;
    ~Unmount() {
      fs::current_path("/");
      umount2(folder.c_str(), MNT_DETACH);
    }
  } unmount{folder};
  WriteContent(folder / "old.wav", kOldContent);
  WriteContent(folder / "linked.wav", kOldContent);
  fs::create_hard_link(folder / "linked.wav", folder / "other-name.wav");
  const std::vector<std::string> before = Entries(folder);
  // The rendering (264644 bytes) is larger than the whole file system.
  for (const char* name : {"old.wav", "linked.wav", "new.wav"}) {
    SCOPED_TRACE(name);
    const fs::path target = folder / name;
    const bool existing = fs::exists(target);
    std::vector<Answer> answers = {ChooseFile(target.string())};
    if (existing) answers.push_back(PressButton("Yes"));
    answers.push_back(PressButton("OK"));
    const auto seen = WithAnswers(answers, [] { ChooseMenuCommand(kCommandSave); });
    ASSERT_EQ(seen.size(), answers.size());
    EXPECT_EQ(seen.back().text.rfind(
                  "Could not write " + target.string() + ": No space left on device", 0),
              0u)
        << seen.back().text;
    EXPECT_EQ(Entries(folder), before);
    if (existing) {
      EXPECT_EQ(ReadContent(target), kOldContent);
    }
  }
  EXPECT_EQ(ReadContent(folder / "other-name.wav"), kOldContent);
}
