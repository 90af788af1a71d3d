#include "files/file_errors.h"

#include <cstring>

namespace files {
namespace {

thread_local std::string lastErrorText;

}  // namespace

void NoteFileError(int error) {
  // A failure is never reported without a reason, even where the system gave none.
  lastErrorText = error == 0 ? std::string("Unknown error") : std::strerror(error);
}

void NoteFolderError(int error, const std::string& folder) {
  NoteFileError(error);
  lastErrorText += " (the folder " + folder + ")";
}

void NoteFileErrorText(const std::string& reason) { lastErrorText = reason; }

}  // namespace files

std::string LastFileError() { return files::lastErrorText; }
