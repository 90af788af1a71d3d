#include "measure/file_digest.h"

#include <openssl/evp.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace {

constexpr std::size_t kReadBytes = std::size_t{1} << 20;

struct DigestDeleter {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

}  // namespace

struct FileDigest::State {
  std::unique_ptr<EVP_MD_CTX, DigestDeleter> context{EVP_MD_CTX_new()};
};

FileDigest::FileDigest() : state_(std::make_unique<State>()) {
  EVP_DigestInit_ex(state_->context.get(), EVP_sha256(), nullptr);
}

FileDigest::~FileDigest() = default;

void FileDigest::Add(const std::uint8_t* bytes, std::size_t count) {
  EVP_DigestUpdate(state_->context.get(), bytes, count);
}

std::string FileDigest::Finish() {
  unsigned char hash[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_DigestFinal_ex(state_->context.get(), hash, &length);
  constexpr char kHex[] = "0123456789abcdef";
  std::string text;
  for (unsigned int i = 0; i < length; ++i) {
    text += kHex[hash[i] >> 4];
    text += kHex[hash[i] & 0xF];
  }
  return text;
}

std::string DigestOfFile(const std::string& path) {
  const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return "";
  std::string digest = DigestOfDescriptor(descriptor);
  ::close(descriptor);
  return digest;
}

std::string DigestOfDescriptor(int descriptor) {
  FileDigest digest;
  std::vector<std::uint8_t> buffer(kReadBytes);
  for (off_t offset = 0;;) {
    const ssize_t read = ::pread(descriptor, buffer.data(), buffer.size(), offset);
    if (read < 0 && errno == EINTR) continue;
    if (read < 0) return "";
    if (read == 0) return digest.Finish();
    digest.Add(buffer.data(), static_cast<std::size_t>(read));
    offset += read;
  }
}
