// Encoded frames wrapped in a file type: the bytes of a whole file, made in order as the frames
// come, whatever the file's length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "encode/sample_encoding.h"

enum class FileType { kWav, kFlac };

struct FileTypeName {
  FileType type;
  const char* name;       // as --type takes it
  const char* extension;  // a file name ending in it asks for the type
};
constexpr FileTypeName kFileTypeNames[] = {{FileType::kWav, "wav", ".wav"},
                                           {FileType::kFlac, "flac", ".flac"}};
const char* FileTypeNameOf(FileType type);
// False when the name is none of the types'.
bool FileTypeNamed(std::string_view name, FileType& type);
// The type whose extension ends the path, in any case ("X.FLAC"); nothing for other names.
std::optional<FileType> FileTypeOfPath(std::string_view path);

// What the frames are and how many: everything a container says of them.
struct StreamLayout {
  SampleFormat format;
  std::uint32_t sampleRate;
  std::uint16_t channels;
  std::uint64_t frames;
  bool loop = false;         // WAV: a smpl chunk looping the whole file
  double loopFrequency = 0;  // its unity note and pitch fraction
  bool forceRf64 = false;    // WAV: RF64 even where RIFF would do (tests)
};

// Bytes of one frame: a sample of every channel.
std::uint32_t FrameBytes(const StreamLayout& layout);
// Of all the frames, as PCM.
std::uint64_t DataBytes(const StreamLayout& layout);

// Where a file's bytes go, in order. A container that knows some of its header only at the end
// (FLAC's checksum and sizes) goes back to it where the output can seek.
class ByteOutput {
 public:
  virtual ~ByteOutput() = default;
  virtual bool Write(const std::uint8_t* bytes, std::size_t count) = 0;
  virtual bool CanSeek() const { return false; }
  // Moves the next write to `offset` bytes from the start of the file.
  virtual bool Seek(std::uint64_t /*offset*/) { return false; }
};

class ContainerWriter {
 public:
  virtual ~ContainerWriter() = default;
  // The file's size where it is known before its first byte; nothing where only the end tells.
  virtual std::optional<std::uint64_t> FileBytes() const = 0;
  // False when the output failed (its own reason) or the container did (`Fault`).
  virtual bool Begin(ByteOutput& output) = 0;
  // The next frames, encoded as the layout's format says.
  virtual bool AddFrames(const std::uint8_t* encoded, std::size_t frames) = 0;
  virtual bool End() = 0;
  // Why the container itself failed; empty when the output did.
  virtual std::string Fault() const { return ""; }
};

// Why the type cannot hold frames of this layout, in words naming what to change; "" when it can.
std::string ContainerFault(FileType type, const StreamLayout& layout);
// A writer for one file of the layout, which ContainerFault must have accepted.
std::unique_ptr<ContainerWriter> MakeContainerWriter(FileType type, const StreamLayout& layout);
