// Gives a path new content the way a plain "create, replacing an existing file" does, without its
// risk. A plain overwrite follows symbolic links, keeps the file's mode, owner, group, extended
// attributes and other hard links, and writes only where the file itself may be written; all of
// that is kept here. Where it can be kept, the new content is written to an unnamed file in the
// target's folder and swapped in by one rename, so a failure or a killed process leaves the old
// content whole and nothing behind. Where it cannot (a second hard link, an owner or attribute
// this user cannot give a new file, a folder this user cannot write), the file is written in
// place, as a plain overwrite does, after making sure the disk can take the new size.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <string>
#include <vector>

#include "files/file_descriptor.h"
#include "files/file_errors.h"
#include "files/file_in_place.h"
#include "files/file_metadata.h"
#include "files/file_place.h"
#include "files/file_writer.h"

namespace files {
namespace {

// Hidden names for the moment between giving the finished file a name and the rename; short, so
// that every name a plain create accepts still fits beside it.
constexpr const char* kLinkNamePrefix = ".quorvel-";
constexpr int kLinkNameAttempts = 100;
// A new file's permissions before the umask, as for any file a program creates.
constexpr mode_t kNewFileMode = 0666;

// Some file systems cannot synchronise a folder; their renames are as durable as they get.
bool SynchroniseFolder(int folder, const std::string& folderPath) {
  if (::fsync(folder) == 0 || errno == EINVAL || errno == EBADF) {
    return true;
  }
  return FailInFolder(folderPath);
}

bool FinishContent(int descriptor, const FileContent& content) {
  return content.write(descriptor) && (::fsync(descriptor) == 0 || FailOnFile());
}

// /proc/self/fd names an unnamed file, so that linkat can give it a name without privileges.
std::string DescriptorPath(int descriptor) { return "/proc/self/fd/" + std::to_string(descriptor); }

bool CanNameUnnamedFiles() {
  struct stat status {};
  return ::stat("/proc/self/fd", &status) == 0;
}

int OpenUnnamedFile(int folder, mode_t mode) {
  if (!CanNameUnnamedFiles()) {
    errno = EOPNOTSUPP;
    return -1;
  }
  return ::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
}

// The folder's file system has no unnamed files (or this kernel has none).
bool UnnamedFilesUnsupported(int error) {
  return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

std::string RandomLinkName() {
  thread_local std::random_device source;
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::string name = kLinkNamePrefix;
  for (int i = 0; i < 6; ++i) {
    name += kLetters[source() % (sizeof kLetters - 1)];
  }
  return name;
}

// ---- a name that did not exist ---------------------------------------------------------------

bool CreateNewFile(int folder, const Place& place, const FileContent& content) {
  Descriptor unnamed(OpenUnnamedFile(folder, kNewFileMode));
  if (unnamed.valid()) {
    if (!FinishContent(unnamed.get(), content)) {
      return false;
    }
    if (::linkat(AT_FDCWD, DescriptorPath(unnamed.get()).c_str(), folder, place.name.c_str(),
                 AT_SYMLINK_FOLLOW) != 0) {
      return FailInFolder(place.folder);
    }
    return SynchroniseFolder(folder, place.folder);
  }
  if (!UnnamedFilesUnsupported(errno)) {
    return FailInFolder(place.folder);
  }
  // Without unnamed files the file is written under its own name; a failure removes it again,
  // and what a killed process leaves is under the name the user chose, not hidden.
  Descriptor named(::openat(folder, place.name.c_str(),
                            O_CREAT | O_EXCL | O_WRONLY | O_NOFOLLOW | O_CLOEXEC, kNewFileMode));
  if (!named.valid()) {
    return FailInFolder(place.folder);
  }
  if (!FinishContent(named.get(), content)) {
    ::unlinkat(folder, place.name.c_str(), 0);
    return false;
  }
  return SynchroniseFolder(folder, place.folder);
}

// ---- replacing an existing file --------------------------------------------------------------

enum class Outcome { Done, Failed, CannotKeep };

bool CannotGiveNewFiles(int error) {
  return error == EPERM || error == EACCES || error == EROFS || error == ENOTSUP;
}

// A file made in the folder, holding nothing yet: unnamed where the file system allows, else
// under a short hidden name that `linkName` receives.
int OpenReplacement(int folder, std::string& linkName) {
  const int unnamed = OpenUnnamedFile(folder, S_IRUSR | S_IWUSR);
  if (unnamed >= 0 || !UnnamedFilesUnsupported(errno)) {
    return unnamed;
  }
  for (int attempt = 0; attempt < kLinkNameAttempts; ++attempt) {
    linkName = RandomLinkName();
    const int named =
        ::openat(folder, linkName.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_NOFOLLOW | O_CLOEXEC,
                 S_IRUSR | S_IWUSR);
    if (named >= 0 || errno != EEXIST) {
      return named;
    }
  }
  return -1;
}

bool NameFinishedFile(int folder, int descriptor, std::string& linkName) {
  for (int attempt = 0; attempt < kLinkNameAttempts; ++attempt) {
    linkName = RandomLinkName();
    if (::linkat(AT_FDCWD, DescriptorPath(descriptor).c_str(), folder, linkName.c_str(),
                 AT_SYMLINK_FOLLOW) == 0) {
      return true;
    }
    if (errno != EEXIST) {
      return false;
    }
  }
  return false;
}

Outcome ReplaceAtomically(int folder, const Place& place, int old, const struct stat& status,
                          const FileContent& content) {
  std::string linkName;
  Descriptor replacement(OpenReplacement(folder, linkName));
  if (!replacement.valid()) {
    if (CannotGiveNewFiles(errno)) return Outcome::CannotKeep;
    FailInFolder(place.folder);
    return Outcome::Failed;
  }
  const bool named = !linkName.empty();
  auto discard = [&] {
    if (!linkName.empty()) ::unlinkat(folder, linkName.c_str(), 0);
  };
  if (!TakeOverMetadata(old, status, replacement.get())) {
    discard();
    return Outcome::CannotKeep;
  }
  if (!FinishContent(replacement.get(), content)) {
    discard();
    return Outcome::Failed;
  }
  if (!named && !NameFinishedFile(folder, replacement.get(), linkName)) {
    linkName.clear();
    FailInFolder(place.folder);
    return Outcome::Failed;
  }
  if (::renameat(folder, linkName.c_str(), folder, place.name.c_str()) != 0) {
    const int error = errno;
    discard();
    if (error == EPERM || error == EACCES) return Outcome::CannotKeep;
    errno = error;
    FailInFolder(place.folder);
    return Outcome::Failed;
  }
  return SynchroniseFolder(folder, place.folder) ? Outcome::Done : Outcome::Failed;
}

std::string KindOf(mode_t mode) {
  if (S_ISFIFO(mode)) return "a named pipe";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISSOCK(mode)) return "a socket";
  return "not a regular file";
}

bool RefuseNonRegular(mode_t mode) {
  NoteFileErrorText("It is " + KindOf(mode) + ", not a regular file");
  return false;
}

bool ReplaceExistingFile(int folder, const Place& place, const FileContent& content) {
  // Opening for writing is the plain overwrite's own test of whether this user may write the
  // file; it truncates nothing.
  Descriptor old(
      ::openat(folder, place.name.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (!old.valid()) {
    return FailOnFile();
  }
  struct stat status {};
  if (::fstat(old.get(), &status) != 0) {
    return FailOnFile();
  }
  if (!S_ISREG(status.st_mode)) {
    return RefuseNonRegular(status.st_mode);
  }
  if (status.st_nlink == 1) {
    const Outcome outcome = ReplaceAtomically(folder, place, old.get(), status, content);
    if (outcome != Outcome::CannotKeep) {
      return outcome == Outcome::Done;
    }
  }
  return content.length ? WriteInPlace(old.get(), content)
                        : WriteInPlaceThroughSpool(folder, old.get(), content);
}

// Opening the folder for reading needs read permission, which a folder may withhold while
// still allowing its files to be written.
int OpenFolder(const std::string& folder) {
  const int readable = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (readable >= 0 || errno != EACCES) {
    return readable;
  }
  return ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
}

// The folder a write goes to, opened; -1 with the reason noted when the name cannot be a file's
// or the folder cannot be opened.
int OpenFolderOf(const Place& place) {
  if (place.name.empty() || place.name == "." || place.name == "..") {
    errno = EISDIR;
    FailOnFile();
    return -1;
  }
  const int folder = OpenFolder(place.folder);
  if (folder < 0) FailInFolder(place.folder);
  return folder;
}

}  // namespace
}  // namespace files

using namespace files;

namespace {

FileContent ContentOf(const std::vector<ByteBlock>& blocks) {
  std::uint64_t length = 0;
  for (const ByteBlock& block : blocks) length += block.length;
  return {length, [&blocks](int descriptor) { return WriteToDescriptor(descriptor, blocks); }};
}

}  // namespace

bool WriteWholeFile(const std::string& path, const std::vector<ByteBlock>& blocks) {
  return WriteWholeFile(path, ContentOf(blocks));
}

bool WriteNewFile(const std::string& path, const std::vector<ByteBlock>& blocks) {
  return WriteNewFile(path, ContentOf(blocks));
}

bool WriteWholeFile(const std::string& path, const FileContent& content) {
  Place place;
  if (!ResolveLinks(path, place)) {
    return false;
  }
  const Descriptor folder(OpenFolderOf(place));
  if (!folder.valid()) {
    return false;
  }
  struct stat status {};
  if (::fstatat(folder.get(), place.name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
    if (errno != ENOENT) return FailInFolder(place.folder);
    return CreateNewFile(folder.get(), place, content);
  }
  if (S_ISDIR(status.st_mode)) {
    errno = EISDIR;
    return FailOnFile();
  }
  if (!S_ISREG(status.st_mode)) {
    // Opening a named pipe for writing would wait for a reader; it is refused unopened.
    return RefuseNonRegular(status.st_mode);
  }
  return ReplaceExistingFile(folder.get(), place, content);
}

bool WriteNewFile(const std::string& path, const FileContent& content) {
  const Place place{FolderOf(path), NameOf(path)};
  const Descriptor folder(OpenFolderOf(place));
  if (!folder.valid()) {
    return false;
  }
  struct stat status {};
  if (::fstatat(folder.get(), place.name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0) {
    errno = EEXIST;
    return FailOnFile();
  }
  if (errno != ENOENT) return FailInFolder(place.folder);
  // Naming the finished file fails with EEXIST if something took the name in the meantime.
  return CreateNewFile(folder.get(), place, content);
}
