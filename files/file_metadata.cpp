#include "files/file_metadata.h"

#include <sys/xattr.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace files {
namespace {

// Permissions a replacement takes over. Set-user and set-group identity are not among them: the
// kernel drops them from a file that is written, too.
constexpr mode_t kKeptModeBits = 0777 | S_ISVTX;

std::vector<std::string> AttributeNames(int descriptor) {
  std::vector<std::string> names;
  const ssize_t size = ::flistxattr(descriptor, nullptr, 0);
  if (size <= 0) {
    return names;
  }
  std::vector<char> list(static_cast<std::size_t>(size));
  const ssize_t got = ::flistxattr(descriptor, list.data(), list.size());
  for (ssize_t start = 0; start < got;) {
    names.emplace_back(list.data() + start);
    start += static_cast<ssize_t>(names.back().size()) + 1;
  }
  return names;
}

bool CopyAttribute(int from, int to, const std::string& name) {
  const ssize_t size = ::fgetxattr(from, name.c_str(), nullptr, 0);
  if (size < 0) {
    return false;
  }
  std::vector<char> value(static_cast<std::size_t>(size));
  const ssize_t got = ::fgetxattr(from, name.c_str(), value.data(), value.size());
  return got >= 0 &&
         ::fsetxattr(to, name.c_str(), value.data(), static_cast<std::size_t>(got), 0) == 0;
}

// Extended attributes, and with them access control lists, become exactly the old file's: a new
// file may have inherited others from its folder.
bool CopyAttributes(int from, int to) {
  const std::vector<std::string> wanted = AttributeNames(from);
  for (const std::string& inherited : AttributeNames(to)) {
    bool keep = false;
    for (const std::string& name : wanted) keep = keep || name == inherited;
    if (!keep && ::fremovexattr(to, inherited.c_str()) != 0) {
      return false;
    }
  }
  for (const std::string& name : wanted) {
    if (!CopyAttribute(from, to, name)) {
      return false;
    }
  }
  return true;
}

}  // namespace

bool TakeOverMetadata(int old, const struct stat& status, int replacement) {
  struct stat fresh {};
  if (::fstat(replacement, &fresh) != 0) {
    return false;
  }
  if ((fresh.st_uid != status.st_uid || fresh.st_gid != status.st_gid) &&
      ::fchown(replacement, status.st_uid, status.st_gid) != 0) {
    return false;
  }
  return CopyAttributes(old, replacement) &&
         ::fchmod(replacement, status.st_mode & kKeptModeBits) == 0;
}

}  // namespace files
