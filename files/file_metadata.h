// What a replacement takes over from the file it replaces.
#pragma once

#include <sys/stat.h>

namespace files {

// Gives the new file everything the old one has (owner, group, permissions, extended attributes
// and with them access control lists), or says that this user cannot.
bool TakeOverMetadata(int old, const struct stat& status, int replacement);

}  // namespace files
