// Failures of the system calls a save makes, injected at the C library's door for files in one
// folder, so a test can see what each failing step leaves behind.
#pragma once

#include <string>

namespace quorvel_test {

enum class FileStep {
  kCreate,  // making a file in the folder (openat)
  kWrite,   // writing bytes (write)
  kSync,    // waiting for the disk (fsync of a file)
  kName,    // giving a finished unnamed file a name (linkat)
  kRename,  // putting the new file in place of the old (renameat)
};

// While an instance lives, the next call of `step` on a file in `folder` fails with `error`;
// calls on other files go through.
class FileFault {
 public:
  FileFault(FileStep step, const std::string& folder, int error);
  ~FileFault();
  FileFault(const FileFault&) = delete;
  FileFault& operator=(const FileFault&) = delete;
  bool happened() const;
};

// While an instance lives, every write to a file in `folder` after the first `bytesAllowed`
// bytes kills the process, as a user's kill or a power cut during a save would.
class KillDuringWrite {
 public:
  KillDuringWrite(const std::string& folder, long long bytesAllowed);
  ~KillDuringWrite();
  KillDuringWrite(const KillDuringWrite&) = delete;
  KillDuringWrite& operator=(const KillDuringWrite&) = delete;
};

// While an instance lives, folders have no unnamed files (O_TMPFILE), as on file systems that
// lack them.
class NoUnnamedFiles {
 public:
  NoUnnamedFiles();
  ~NoUnnamedFiles();
  NoUnnamedFiles(const NoUnnamedFiles&) = delete;
  NoUnnamedFiles& operator=(const NoUnnamedFiles&) = delete;
};

}  // namespace quorvel_test
