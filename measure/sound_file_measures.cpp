#include "measure/sound_file_measures.h"

#include <fcntl.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include "measure/file_digest.h"
#include "measure/true_peak.h"

namespace {

constexpr std::size_t kFramesAtOnce = 16384;

struct SoundFileCloser {
  void operator()(SNDFILE* file) const { sf_close(file); }
};
using SoundFile = std::unique_ptr<SNDFILE, SoundFileCloser>;

struct Name {
  int code;
  const char* name;
};

constexpr Name kTypes[] = {{SF_FORMAT_WAV, "wav"},   {SF_FORMAT_WAVEX, "wav"},
                           {SF_FORMAT_RF64, "rf64"}, {SF_FORMAT_FLAC, "flac"},
                           {SF_FORMAT_AIFF, "aiff"}, {SF_FORMAT_W64, "w64"},
                           {SF_FORMAT_CAF, "caf"},   {SF_FORMAT_OGG, "ogg"}};
constexpr Name kFormats[] = {
    {SF_FORMAT_PCM_S8, "pcm8"},    {SF_FORMAT_PCM_U8, "pcm8"},   {SF_FORMAT_PCM_16, "pcm16"},
    {SF_FORMAT_PCM_24, "pcm24"},   {SF_FORMAT_PCM_32, "pcm32"},  {SF_FORMAT_FLOAT, "float32"},
    {SF_FORMAT_DOUBLE, "float64"}, {SF_FORMAT_VORBIS, "vorbis"}, {SF_FORMAT_OPUS, "opus"}};

template <std::size_t kCount>
std::string NameIn(const Name (&names)[kCount], int code) {
  for (const Name& entry : names)
    if (entry.code == code) return entry.name;
  return "other";
}

bool IsInteger(int subtype) {
  return subtype == SF_FORMAT_PCM_S8 || subtype == SF_FORMAT_PCM_U8 ||
         subtype == SF_FORMAT_PCM_16 || subtype == SF_FORMAT_PCM_24 || subtype == SF_FORMAT_PCM_32;
}

// The file is opened once, for libsndfile and the digest alike, so both read the same file. A
// named pipe or a device is refused: its bytes could not be read twice, and opening a pipe
// would wait for a writer.
class OpenFile {
 public:
  explicit OpenFile(const std::string& path)
      : descriptor_(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {}
  ~OpenFile() {
    if (descriptor_ >= 0) ::close(descriptor_);
  }
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  int get() const { return descriptor_; }

  // Why the file cannot be read, in the system's words or ours; "" if it can.
  std::string Fault() const {
    struct stat status {};
    if (descriptor_ < 0 || ::fstat(descriptor_, &status) != 0) return std::strerror(errno);
    if (S_ISDIR(status.st_mode)) return std::strerror(EISDIR);
    if (S_ISREG(status.st_mode)) return "";
    const char* kind = S_ISFIFO(status.st_mode)  ? "a named pipe"
                       : S_ISCHR(status.st_mode) ? "a character device"
                       : S_ISBLK(status.st_mode) ? "a block device"
                                                 : "a socket";
    return std::string("it is ") + kind + ", not a regular file";
  }

 private:
  int descriptor_;
};

// libsndfile's message, without its closing full stop.
std::string LibraryFault(SNDFILE* file) {
  std::string text = sf_strerror(file);
  if (!text.empty() && text.back() == '.') text.pop_back();
  return "libsndfile cannot read it (" + text + ")";
}

// The samples as the meter reads encoded frames: integer samples as 32-bit words (libsndfile
// puts them in the top bits, so full scale stays 2^31 and nothing is rounded), anything else as
// float32.
bool MeasureSamples(SNDFILE* file, const FrameFormat& format, SoundFileMeasures& result) {
  FrameMeter meter(format);
  EncodedTruePeak peaks(format);
  // The meter reads the samples' own bytes where libsndfile put them.
  const bool integer = format.format == SampleFormat::kPcm32;
  std::vector<int> words(integer ? kFramesAtOnce * format.channels : 0);
  std::vector<float> floats(integer ? 0 : kFramesAtOnce * format.channels);
  for (;;) {
    const sf_count_t read = integer ? sf_readf_int(file, words.data(), kFramesAtOnce)
                                    : sf_readf_float(file, floats.data(), kFramesAtOnce);
    if (read <= 0) break;
    const auto* bytes = integer ? reinterpret_cast<const std::uint8_t*>(words.data())
                                : reinterpret_cast<const std::uint8_t*>(floats.data());
    meter.Add(bytes, static_cast<std::size_t>(read));
    peaks.Add(bytes, static_cast<std::size_t>(read));
    result.frames += static_cast<std::uint64_t>(read);
  }
  if (sf_error(file) != SF_ERR_NO_ERROR) {
    result.fault = LibraryFault(file);
    return false;
  }
  result.measures = meter.Finish();
  result.measures.truePeak = peaks.Peak();
  return true;
}
}  // namespace

SoundFileMeasures MeasureSoundFile(const std::string& path) {
  SoundFileMeasures result;
  const OpenFile opened(path);
  if (result.fault = opened.Fault(); !result.fault.empty()) return result;
  SF_INFO info{};
  const SoundFile file(sf_open_fd(opened.get(), SFM_READ, &info, SF_FALSE));
  if (!file) {
    result.fault = LibraryFault(nullptr);
    return result;
  }
  const int subtype = info.format & SF_FORMAT_SUBMASK;
  result.type = NameIn(kTypes, info.format & SF_FORMAT_TYPEMASK);
  result.format = NameIn(kFormats, subtype);
  result.rate = static_cast<unsigned>(info.samplerate);
  result.channels = static_cast<unsigned>(info.channels);
  const FrameFormat format{IsInteger(subtype) ? SampleFormat::kPcm32 : SampleFormat::kFloat32,
                           result.channels, result.rate};
  if (!MeasureSamples(file.get(), format, result)) return result;
  result.sha256 = DigestOfDescriptor(opened.get());
  if (result.sha256.empty()) result.fault = "its bytes could not be read again";
  return result;
}
