// Where a path's content lives: the folder and name a plain open would write, links followed.
#pragma once

#include <string>

namespace files {

struct Place {
  std::string folder;
  std::string name;
};

std::string FolderOf(const std::string& path);
std::string NameOf(const std::string& path);
// Follows symbolic links from `path` to what a plain open would write: an existing file, or the
// name a dangling link points at.
bool ResolveLinks(const std::string& path, Place& place);

}  // namespace files
