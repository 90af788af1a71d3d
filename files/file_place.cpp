#include "files/file_place.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "files/file_errors.h"

namespace files {
namespace {

// The kernel's own limit on links followed in one path.
constexpr int kMostLinksFollowed = 40;

}  // namespace

std::string NameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool ResolveLinks(const std::string& path, Place& place) {
  std::string current = path;
  for (int followed = 0; followed <= kMostLinksFollowed; ++followed) {
    struct stat status {};
    const bool missing = ::lstat(current.c_str(), &status) != 0;
    if (missing && errno != ENOENT) {
      return FailInFolder(FolderOf(current));
    }
    if (missing || !S_ISLNK(status.st_mode)) {
      place = {FolderOf(current), NameOf(current)};
      return true;
    }
    std::vector<char> target(static_cast<std::size_t>(status.st_size) + 2);
    const ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
    if (length < 0) {
      return FailOnFile();
    }
    const std::string link(target.data(), static_cast<std::size_t>(length));
    current = link.front() == '/' ? link : FolderOf(current) + "/" + link;
  }
  errno = ELOOP;
  return FailOnFile();
}

}  // namespace files
