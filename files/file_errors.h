// How the file operations keep the reason for their last failure, one a thread. Only the file
// writer and the toolkit's numbered files include this header.
#pragma once

#include <string>

namespace files {

// Keeps the system's reason for errno value `error`.
void NoteFileError(int error);
// The same, when a folder rather than the file itself is the cause.
void NoteFolderError(int error, const std::string& folder);
// Keeps a reason of our own.
void NoteFileErrorText(const std::string& reason);
// NoteFileError and NoteFolderError of errno, returning false, for a failing step to return.
bool FailOnFile();
bool FailInFolder(const std::string& folder);

}  // namespace files
