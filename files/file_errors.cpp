#include "files/file_errors.h"

#include <cerrno>
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

bool FailOnFile() {
  NoteFileError(errno);
  return false;
}

bool FailInFolder(const std::string& folder) {
  NoteFolderError(errno, folder);
  return false;
}

}  // namespace files

std::string LastFileError() { return files::lastErrorText; }
