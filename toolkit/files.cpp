// Files for writing, by number, and the few path operations around them.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>

#include <sys/stat.h>
#include <unistd.h>

#include "toolkit/file_errors.h"
#include "toolkit/plain_internals.h"
#include "toolkit/toolkit_testing.h"

namespace toolkit {
namespace {

std::map<int, std::FILE*> files;
thread_local std::string lastErrorText;

bool Fail() {
  NoteFileError(errno);
  return false;
}

// Special files such as /dev/null have nothing to synchronise; that is no failure.
bool Synchronised(std::FILE* file) {
  return ::fsync(::fileno(file)) == 0 || errno == EINVAL || errno == EROFS;
}

// Closes and reports whether every byte written reached the disk; the first failure is the
// reason kept.
bool Finish(std::FILE* file) {
  bool complete = std::fflush(file) == 0 || Fail();
  if (complete && !Synchronised(file)) {
    complete = Fail();
  }
  if (std::fclose(file) != 0 && complete) {
    complete = Fail();
  }
  return complete;
}

void Forget(int number) {
  auto found = files.find(number);
  if (found != files.end()) {
    Finish(found->second);
    files.erase(found);
  }
}

std::FILE* FindFile(int number) {
  auto found = files.find(number);
  return found == files.end() ? nullptr : found->second;
}

}  // namespace

void NoteFileError(int error) {
  // A failure is never reported without a reason, even where the system gave none.
  lastErrorText = error == 0 ? std::string("Unknown error") : std::strerror(error);
}

void NoteFolderError(int error, const std::string& folder) {
  NoteFileError(error);
  lastErrorText += " (the folder " + folder + ")";
}

void NoteFileErrorText(const std::string& reason) { lastErrorText = reason; }

void ReleaseFiles() {
  while (!files.empty()) {
    Forget(files.begin()->first);
  }
}

}  // namespace toolkit

using namespace toolkit;

long long FileSize(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) {
    Fail();
    return kFileMissing;
  }
  if (S_ISDIR(status.st_mode)) {
    return kFileIsFolder;
  }
  return static_cast<long long>(status.st_size);
}

bool PathExists(const std::string& path) {
  struct stat status {};
  return ::lstat(path.c_str(), &status) == 0;
}

ObjectRef CreateFile(int number, const std::string& path) {
  Forget(number);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    Fail();
    return 0;
  }
  files[number] = file;
  return RefOf(file);
}

bool WriteData(int number, const void* data, std::size_t length) {
  std::FILE* file = FindFile(number);
  if (file == nullptr) {
    NoteFileError(EBADF);
    return false;
  }
  if (length == 0) {
    return true;
  }
  return std::fwrite(data, 1, length, file) == length || Fail();
}

bool CloseFile(int number) {
  std::FILE* file = FindFile(number);
  if (file == nullptr) {
    NoteFileError(EBADF);
    return false;
  }
  files.erase(number);
  return Finish(file);
}

std::string LastFileError() { return lastErrorText; }
