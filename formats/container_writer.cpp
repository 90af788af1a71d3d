#include "formats/container_writer.h"

#include <cctype>

#include "formats/flac_writer.h"
#include "formats/wav_container.h"

const char* FileTypeNameOf(FileType type) {
  for (const FileTypeName& entry : kFileTypeNames)
    if (entry.type == type) return entry.name;
  return "";
}

bool FileTypeNamed(std::string_view name, FileType& type) {
  for (const FileTypeName& entry : kFileTypeNames)
    if (name == entry.name) {
      type = entry.type;
      return true;
    }
  return false;
}

std::optional<FileType> FileTypeOfPath(std::string_view path) {
  for (const FileTypeName& entry : kFileTypeNames) {
    const std::string_view extension = entry.extension;
    if (path.size() <= extension.size()) continue;
    const std::string_view ending = path.substr(path.size() - extension.size());
    bool same = true;
    for (std::size_t i = 0; i < ending.size(); ++i)
      same = same && std::tolower(static_cast<unsigned char>(ending[i])) == extension[i];
    if (same) return entry.type;
  }
  return std::nullopt;
}

std::uint32_t FrameBytes(const StreamLayout& layout) {
  return layout.channels * BytesPerSample(layout.format);
}

std::uint64_t DataBytes(const StreamLayout& layout) { return layout.frames * FrameBytes(layout); }

std::string ContainerFault(FileType type, const StreamLayout& layout) {
  return type == FileType::kFlac ? FlacFault(layout) : "";
}

std::unique_ptr<ContainerWriter> MakeContainerWriter(FileType type, const StreamLayout& layout) {
  if (type == FileType::kFlac) return MakeFlacWriter(layout);
  return MakeWavWriter(layout);
}
