// The test program's own definitions of a few C library functions come before the library's, for
// the toolkit's calls too; each passes to the real one unless a fault is armed for its file.
#include "file_faults.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstdlib>

namespace quorvel_test {
namespace {

struct Armed {
  bool active = false;
  FileStep step = FileStep::kCreate;
  std::string folder;
  int error = 0;
  bool happened = false;
};

Armed fault;
bool killArmed = false;
std::string killFolder;
long long killBytesLeft = 0;
bool unnamedFilesMissing = false;

template <typename Function>
Function Real(const char* name) {
  return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

std::string PathOfDescriptor(int descriptor) {
  char path[4096];
  const std::string link = "/proc/self/fd/" + std::to_string(descriptor);
  const ssize_t length = ::readlink(link.c_str(), path, sizeof path);
  return length < 0 ? std::string() : std::string(path, static_cast<std::size_t>(length));
}

bool Within(const std::string& path, const std::string& folder) {
  return !folder.empty() && path.compare(0, folder.size(), folder) == 0 &&
         (path.size() == folder.size() || path[folder.size()] == '/');
}

// The path a call names: relative ones are taken from the folder descriptor.
std::string PathAt(int folder, const char* name) {
  if (name != nullptr && name[0] == '/') return name;
  return (folder == AT_FDCWD ? std::string() : PathOfDescriptor(folder)) + "/" +
         (name == nullptr ? "" : name);
}

bool Strike(FileStep step, const std::string& path) {
  if (!fault.active || fault.happened || fault.step != step || !Within(path, fault.folder)) {
    return false;
  }
  fault.happened = true;
  errno = fault.error;
  return true;
}

bool IsRegular(int descriptor) {
  struct stat status {};
  return ::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode);
}

mode_t ModeArgument(int flags, va_list arguments) {
  return (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE
             ? static_cast<mode_t>(va_arg(arguments, int))
             : 0;
}

using OpenAt = int (*)(int, const char*, int, ...);

int InterposedOpenAt(const char* realName, int folder, const char* name, int flags, mode_t mode) {
  const bool creates = (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE;
  if (unnamedFilesMissing && (flags & O_TMPFILE) == O_TMPFILE) {
    errno = EOPNOTSUPP;
    return -1;
  }
  if (creates && Strike(FileStep::kCreate, PathAt(folder, name))) return -1;
  return Real<OpenAt>(realName)(folder, name, flags, mode);
}

}  // namespace

FileFault::FileFault(FileStep step, const std::string& folder, int error) {
  char* real = ::realpath(folder.c_str(), nullptr);
  fault = Armed{true, step, real == nullptr ? folder : std::string(real), error, false};
  std::free(real);
}
FileFault::~FileFault() { fault.active = false; }
bool FileFault::happened() const { return fault.happened; }

KillDuringWrite::KillDuringWrite(const std::string& folder, long long bytesAllowed) {
  char* real = ::realpath(folder.c_str(), nullptr);
  killFolder = real == nullptr ? folder : std::string(real);
  std::free(real);
  killBytesLeft = bytesAllowed;
  killArmed = true;
}
KillDuringWrite::~KillDuringWrite() { killArmed = false; }

NoUnnamedFiles::NoUnnamedFiles() { unnamedFilesMissing = true; }
NoUnnamedFiles::~NoUnnamedFiles() { unnamedFilesMissing = false; }

}  // namespace quorvel_test

using namespace quorvel_test;

extern "C" {

int openat(int folder, const char* name, int flags, ...) {
  va_list arguments;
  va_start(arguments, flags);
  const mode_t mode = ModeArgument(flags, arguments);
  va_end(arguments);
  return InterposedOpenAt("openat", folder, name, flags, mode);
}

int openat64(int folder, const char* name, int flags, ...) {
  va_list arguments;
  va_start(arguments, flags);
  const mode_t mode = ModeArgument(flags, arguments);
  va_end(arguments);
  return InterposedOpenAt("openat64", folder, name, flags, mode);
}

ssize_t write(int descriptor, const void* data, size_t length) {
  using Write = ssize_t (*)(int, const void*, size_t);
  static const Write real = Real<Write>("write");
  if (!fault.active && !killArmed) return real(descriptor, data, length);
  const std::string path = PathOfDescriptor(descriptor);
  if (Strike(FileStep::kWrite, path)) return -1;
  if (killArmed && Within(path, killFolder)) {
    if (static_cast<long long>(length) >= killBytesLeft) {
      real(descriptor, data, static_cast<size_t>(killBytesLeft));
      ::kill(::getpid(), SIGKILL);
    }
    killBytesLeft -= static_cast<long long>(length);
  }
  return real(descriptor, data, length);
}

int fsync(int descriptor) {
  using Fsync = int (*)(int);
  static const Fsync real = Real<Fsync>("fsync");
  if (fault.active && IsRegular(descriptor) &&
      Strike(FileStep::kSync, PathOfDescriptor(descriptor))) {
    return -1;
  }
  return real(descriptor);
}

int linkat(int fromFolder, const char* from, int toFolder, const char* to, int flags) {
  using LinkAt = int (*)(int, const char*, int, const char*, int);
  if (Strike(FileStep::kName, PathAt(toFolder, to))) return -1;
  return Real<LinkAt>("linkat")(fromFolder, from, toFolder, to, flags);
}

int renameat(int fromFolder, const char* from, int toFolder, const char* to) {
  using RenameAt = int (*)(int, const char*, int, const char*);
  if (Strike(FileStep::kRename, PathAt(toFolder, to))) return -1;
  return Real<RenameAt>("renameat")(fromFolder, from, toFolder, to);
}

}  // extern "C"
