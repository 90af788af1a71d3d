// Writing whole files safely: what the window's save command and the render command write with.
// Plain C++ with no display: a library of its own that links no Qt.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// True when anything is at path, a dangling symbolic link included.
bool PathExists(const std::string& path);

struct ByteBlock {
  const void* data;
  std::size_t length;
};

// Makes the blocks, one after the other, the whole content of the file at path, as creating it
// and replacing an existing one would: symbolic links are followed, and the file keeps its mode,
// owner, group, extended attributes and hard links. Only a file this user may write is
// replaced, and never anything but a regular file. On failure the old content is left as it
// was, except where the file can only be written in place and the write itself fails.
bool WriteWholeFile(const std::string& path, const std::vector<ByteBlock>& blocks);
// As WriteWholeFile for a path where nothing is yet, not even a dangling link; fails with "File
// exists" otherwise, and also when something appears there while the file is being written.
bool WriteNewFile(const std::string& path, const std::vector<ByteBlock>& blocks);
// Content made while it is written, so that a file of any length takes no more memory than a
// block. `write` puts the whole content to the descriptor, from its start, or notes the reason
// and returns false; it may be called again for a second try, and may seek within what it has
// written (a container that completes its header at the end). Where the length is known first,
// it is exactly that many bytes, and a file written in place reserves them before a byte of the
// old content is lost; where it is not, the content is made into a file of its own first.
struct FileContent {
  std::optional<std::uint64_t> length;
  std::function<bool(int descriptor)> write;
};
// As above, for content made while it is written.
bool WriteWholeFile(const std::string& path, const FileContent& content);
bool WriteNewFile(const std::string& path, const FileContent& content);
// Character devices (/dev/null) and named pipes take bytes as a stream: there is nothing to
// replace and nothing to keep, so they are written straight through, as standard output is.
bool IsStreamTarget(const std::string& path);
// Opens such a target for writing (a pipe waits for its reader); -1 with the reason noted.
int OpenStreamTarget(const std::string& path);
// Writes the blocks to an open descriptor (standard output, say), whole, one after the other.
bool WriteToDescriptor(int descriptor, const std::vector<ByteBlock>& blocks);
// For a FileContent's `write`: the reason it failed, where the descriptor did not fail.
void NoteContentFailure(const std::string& reason);
// How a failed write is told to the user: "Could not write PATH: REASON".
std::string WriteFailureText(const std::string& path, const std::string& reason);
// The reason for this thread's last failed file operation, e.g. "Permission denied"; never empty
// after a failure. Writes to different paths may run in threads of their own.
std::string LastFileError();
