// Writing over a file's own bytes, where a replacement cannot keep what the file has.
#pragma once

#include "files/file_writer.h"

namespace files {

// Content of known length, after making sure the disk can take the new size; synced.
bool WriteInPlace(int descriptor, const FileContent& content);
// Content whose length is known only at its end, made whole first in a spool (in `folder` where
// this user may create files, else in the temporary folder).
bool WriteInPlaceThroughSpool(int folder, int descriptor, const FileContent& content);

}  // namespace files
