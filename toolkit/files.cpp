// Files for writing, by number, and the few path operations around them.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "toolkit/qt_objects.h"

namespace toolkit {
namespace {

std::map<int, std::FILE*> files;
int lastError = 0;

bool Fail() {
  lastError = errno;
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

// A new file gets the permissions any newly created file would get, not mkstemp's private ones.
mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

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

std::string CreateTemporaryFileBeside(int number, const std::string& targetPath) {
  Forget(number);
  std::string pattern = FolderOf(targetPath) + "/." + NameOf(targetPath) + ".XXXXXX";
  const int descriptor = ::mkstemp(pattern.data());
  if (descriptor < 0) {
    Fail();
    return std::string();
  }
  std::FILE* file = nullptr;
  if (::fchmod(descriptor, NewFileMode()) != 0 || (file = ::fdopen(descriptor, "wb")) == nullptr) {
    Fail();
    ::close(descriptor);
    ::unlink(pattern.c_str());
    return std::string();
  }
  files[number] = file;
  return pattern;
}

bool WriteData(int number, const void* data, std::size_t length) {
  std::FILE* file = FindFile(number);
  if (file == nullptr) {
    lastError = EBADF;
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
    lastError = EBADF;
    return false;
  }
  files.erase(number);
  return Finish(file);
}

bool ReplaceFile(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0 || Fail();
}

bool DeleteFile(const std::string& path) { return ::unlink(path.c_str()) == 0 || Fail(); }

std::string LastFileError() { return lastError == 0 ? std::string() : std::strerror(lastError); }
