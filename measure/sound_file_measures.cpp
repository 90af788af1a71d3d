#include "measure/sound_file_measures.h"

#include <sndfile.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
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

// Why the system will not let the file be read, if it will not: clearer than libsndfile's words.
std::string UnreadableFault(const std::string& path) {
  std::ifstream probe(path, std::ios::binary);
  if (!probe) return std::strerror(errno);
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) return std::strerror(EISDIR);
  return "";
}

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
  const std::size_t frameBytes = FrameBytes(format);
  std::vector<std::uint8_t> bytes(kFramesAtOnce * frameBytes);
  std::vector<int> words(kFramesAtOnce * format.channels);
  std::vector<float> floats(words.size());
  for (;;) {
    sf_count_t read = 0;
    if (format.format == SampleFormat::kPcm32) {
      read = sf_readf_int(file, words.data(), kFramesAtOnce);
      std::memcpy(bytes.data(), words.data(), static_cast<std::size_t>(read) * frameBytes);
    } else {
      read = sf_readf_float(file, floats.data(), kFramesAtOnce);
      std::memcpy(bytes.data(), floats.data(), static_cast<std::size_t>(read) * frameBytes);
    }
    if (read <= 0) break;
    meter.Add(bytes.data(), static_cast<std::size_t>(read));
    peaks.Add(bytes.data(), static_cast<std::size_t>(read));
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
  if (result.fault = UnreadableFault(path); !result.fault.empty()) return result;
  SF_INFO info{};
  const SoundFile file(sf_open(path.c_str(), SFM_READ, &info));
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
  result.sha256 = DigestOfFile(path);
  if (result.sha256.empty()) result.fault = "its bytes could not be read again";
  return result;
}
