// How the toolkit's file operations keep the reason for their last failure. Only toolkit/
// includes this header.
#pragma once

#include <string>

namespace toolkit {

// Keeps the system's reason for errno value `error`.
void NoteFileError(int error);
// The same, when a folder rather than the file itself is the cause.
void NoteFolderError(int error, const std::string& folder);
// Keeps a reason of the toolkit's own.
void NoteFileErrorText(const std::string& reason);

}  // namespace toolkit
