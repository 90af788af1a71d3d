// The SHA-256 of a file's bytes (libcrypto), as they pass on their way to it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class FileDigest {
 public:
  FileDigest();
  ~FileDigest();
  FileDigest(const FileDigest&) = delete;
  FileDigest& operator=(const FileDigest&) = delete;

  void Add(const std::uint8_t* bytes, std::size_t count);
  // Lower-case hex, after the last byte.
  std::string Finish();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// The SHA-256 of the file at `path` as it is now, read whole; "" when it cannot be read.
std::string DigestOfFile(const std::string& path);
// The same of an open regular file, from its first byte whatever its offset.
std::string DigestOfDescriptor(int descriptor);
