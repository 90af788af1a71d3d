#include "files/file_in_place.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "files/file_descriptor.h"
#include "files/file_errors.h"

namespace files {
namespace {

// Before a byte of the old content is overwritten, the new size must be possible: within this
// process's file size limit, and with the disk space reserved where the file system can.
bool NewSizeFits(int descriptor, off_t size) {
  rlimit limit{};
  if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
      static_cast<rlim_t>(size) > limit.rlim_cur) {
    errno = EFBIG;
    return FailOnFile();
  }
  if (size == 0 || ::fallocate(descriptor, FALLOC_FL_KEEP_SIZE, 0, size) == 0) {
    return true;
  }
  return errno == EOPNOTSUPP || errno == ENOSYS || FailOnFile();
}

}  // namespace

bool WriteInPlace(int descriptor, const FileContent& content) {
  const auto size = static_cast<off_t>(*content.length);
  if (!NewSizeFits(descriptor, size)) {
    return false;
  }
  if (::lseek(descriptor, 0, SEEK_SET) != 0) return FailOnFile();
  if (!content.write(descriptor)) return false;
  if (::ftruncate(descriptor, size) != 0) return FailOnFile();
  return ::fsync(descriptor) == 0 || FailOnFile();
}

namespace {

// An unnamed file to make content of unknown length in: in the target's folder where this user
// may create files there, else in the temporary folder.
int OpenSpool(int folder) {
  const int beside = ::openat(folder, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, S_IRUSR | S_IWUSR);
  if (beside >= 0) return beside;
  const char* temporary = std::getenv("TMPDIR");
  return ::open(temporary != nullptr && *temporary != '\0' ? temporary : "/tmp",
                O_TMPFILE | O_RDWR | O_CLOEXEC, S_IRUSR | S_IWUSR);
}

bool CopyWhole(int from, int to, off_t size) {
  constexpr std::size_t kCopyBytes = std::size_t{1} << 20;
  std::vector<char> buffer(kCopyBytes);
  for (off_t at = 0; at < size;) {
    const ssize_t got = ::pread(from, buffer.data(), buffer.size(), at);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      if (got == 0) errno = EIO;
      return FailOnFile();
    }
    if (!WriteToDescriptor(to, {{buffer.data(), static_cast<std::size_t>(got)}})) return false;
    at += got;
  }
  return true;
}

}  // namespace

// Content whose length is known only at its end is made whole first, so that the new size is
// reserved before a byte of the old content is overwritten, as for any other.
bool WriteInPlaceThroughSpool(int folder, int descriptor, const FileContent& content) {
  Descriptor spool(OpenSpool(folder));
  if (!spool.valid()) return FailOnFile();
  if (!content.write(spool.get())) return false;
  struct stat status {};
  if (::fstat(spool.get(), &status) != 0) return FailOnFile();
  if (!NewSizeFits(descriptor, status.st_size)) return false;
  if (::lseek(descriptor, 0, SEEK_SET) != 0) return FailOnFile();
  if (!CopyWhole(spool.get(), descriptor, status.st_size)) return false;
  if (::ftruncate(descriptor, status.st_size) != 0) return FailOnFile();
  return ::fsync(descriptor) == 0 || FailOnFile();
}

}  // namespace files
