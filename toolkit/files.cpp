// Files for writing, by number, and their sizes.

#include <cerrno>
#include <cstdio>
#include <map>

#include <sys/stat.h>
#include <unistd.h>

#include "files/file_errors.h"
#include "toolkit/plain_internals.h"
#include "toolkit/toolkit_testing.h"

namespace toolkit {
namespace {

std::map<int, std::FILE*> openFiles;

bool Fail() {
  files::NoteFileError(errno);
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
  auto found = openFiles.find(number);
  if (found != openFiles.end()) {
    Finish(found->second);
    openFiles.erase(found);
  }
}

std::FILE* FindFile(int number) {
  auto found = openFiles.find(number);
  return found == openFiles.end() ? nullptr : found->second;
}

}  // namespace

void ReleaseFiles() {
  while (!openFiles.empty()) {
    Forget(openFiles.begin()->first);
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

ObjectRef CreateFile(int number, const std::string& path) {
  Forget(number);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    Fail();
    return 0;
  }
  openFiles[number] = file;
  return RefOf(file);
}

bool WriteData(int number, const void* data, std::size_t length) {
  std::FILE* file = FindFile(number);
  if (file == nullptr) {
    files::NoteFileError(EBADF);
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
    files::NoteFileError(EBADF);
    return false;
  }
  openFiles.erase(number);
  return Finish(file);
}
