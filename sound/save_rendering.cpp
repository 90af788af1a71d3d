// Writes the rendering to a WAV file the user names, without ever damaging a file already there.
#include <array>
#include <optional>

#include "app/shell.h"

namespace {

constexpr const char* kSaveTitle = "Save Wav";
constexpr int kFirstPattern = 0;

bool MayWriteTo(const std::string& path) {
  if (FileSize(path) == kFileMissing) return true;
  return AskYesNo("File Overwrite", "Overwrite it ?") == kAnswerYes;
}

// Writes beside the target and swaps it in only once every byte is on disk, so a failure leaves
// whatever was at the path as it was. Returns the system's reason on failure.
std::optional<std::string> WriteWavFile(const std::string& path, const std::uint8_t* buffer,
                                        std::uint32_t dataSize) {
  const std::string temporary = CreateTemporaryFileBeside(kSaveFile, path);
  if (temporary.empty()) return LastFileError();

  std::array<std::uint8_t, kWavHeaderSize> header;
  CopyFileHeader(buffer, header.data());
  const bool written = WriteData(kSaveFile, header.data(), header.size()) &&
                       WriteData(kSaveFile, buffer + kWavHeaderSize, dataSize);
  const bool closed = CloseFile(kSaveFile);
  if (written && closed && ReplaceFile(temporary, path)) return std::nullopt;

  const std::string reason = LastFileError();
  DeleteFile(temporary);
  return reason;
}

}  // namespace

void SaveRendering(std::uint8_t* buffer, const std::string& defaultFileName) {
  const std::uint32_t dataSize = ReadLE32(buffer + kDataSizeOffset);
  if (dataSize == 0) {
    ShowMessage("Please", "First make a shape rendering");
    return;
  }
  const std::string path =
      AskSaveFileName(kSaveTitle, defaultFileName, SaveDialogPatterns, kFirstPattern);
  if (path.empty() || !MayWriteTo(path)) return;

  const std::optional<std::string> failure = WriteWavFile(path, buffer, dataSize);
  if (failure) ShowMessage(kSaveTitle, "Could not write " + path + ": " + *failure);
}
