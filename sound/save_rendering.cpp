// Writes the rendering to a WAV file the user names, as a plain overwrite would but without
// damaging a file already there when the write fails.
#include "sound/rendering_commands.h"

#include <array>

#include "app/program_references.h"

namespace {

constexpr const char* kSaveTitle = "Save Wav";
constexpr int kFirstPattern = 0;

// Anything at the path counts, a dangling symbolic link too: saving would create what it names.
bool MayWriteTo(const std::string& path) {
  if (!PathExists(path)) return true;
  return AskYesNo("File Overwrite", "Overwrite it ?") == kAnswerYes;
}

bool WriteWavFile(const std::string& path, const std::uint8_t* buffer, std::uint32_t dataSize) {
  std::array<std::uint8_t, kWavHeaderSize> header;
  CopyFileHeader(buffer, header.data());
  return WriteWholeFile(path,
                        {{header.data(), header.size()}, {buffer + kWavHeaderSize, dataSize}});
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

  if (!WriteWavFile(path, buffer, dataSize)) {
    ShowMessage(kSaveTitle, WriteFailureText(path, LastFileError()));
  }
}
