// Writing to a descriptor that is already open, and the few path operations around writing.
#include "files/file_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "files/file_errors.h"

bool PathExists(const std::string& path) {
  struct stat status {};
  return ::lstat(path.c_str(), &status) == 0;
}

bool IsStreamTarget(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 &&
         (S_ISCHR(status.st_mode) || S_ISFIFO(status.st_mode));
}

int OpenStreamTarget(const std::string& path) {
  const int descriptor = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (descriptor < 0) files::NoteFileError(errno);
  return descriptor;
}

bool WriteToDescriptor(int descriptor, const std::vector<ByteBlock>& blocks) {
  for (const ByteBlock& block : blocks) {
    const char* next = static_cast<const char*>(block.data);
    std::size_t left = block.length;
    while (left > 0) {
      const ssize_t written = ::write(descriptor, next, left);
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) {
        files::NoteFileError(written == 0 ? EIO : errno);
        return false;
      }
      next += written;
      left -= static_cast<std::size_t>(written);
    }
  }
  return true;
}

void NoteContentFailure(const std::string& reason) { files::NoteFileErrorText(reason); }

std::string WriteFailureText(const std::string& path, const std::string& reason) {
  return "Could not write " + path + ": " + reason;
}
