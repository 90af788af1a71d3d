#include "measure/wav_meter.h"

#include <ebur128.h>
#include <openssl/evp.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr std::size_t kFramesPerBlock = 16384;
constexpr int kBitsPerByte = 8;

struct DigestDeleter {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
struct LoudnessDeleter {
  void operator()(ebur128_state* state) const { ebur128_destroy(&state); }
};

double SampleAt(const std::uint8_t* at, SampleFormat format) {
  if (format == SampleFormat::kFloat32) {
    float value = 0;
    std::memcpy(&value, at, sizeof value);  // little-endian, as WAV is
    return value;
  }
  const unsigned bytes = BytesPerSample(format);
  std::uint32_t word = 0;
  for (unsigned i = 0; i < bytes; ++i)
    word |= std::uint32_t{at[i]} << (kBitsPerByte * (i + 4 - bytes));
  // The sample in the top bits of a signed 32-bit word, then scaled: full scale is 2^31.
  return static_cast<double>(static_cast<std::int32_t>(word)) / 2147483648.0;
}

}  // namespace

struct WavMeter::State {
  WavDataPlace place;
  std::unique_ptr<EVP_MD_CTX, DigestDeleter> digest{EVP_MD_CTX_new()};
  std::unique_ptr<ebur128_state, LoudnessDeleter> loudness;
  std::uint64_t seen = 0;             // bytes of the file so far
  std::vector<std::uint8_t> partial;  // of a frame cut between two pieces
  std::vector<double> frames;         // decoded, interleaved
  double peak = 0, sum = 0, sumOfSquares = 0;
  std::uint64_t samples = 0;

  std::size_t FrameBytes() const { return place.channels * BytesPerSample(place.format); }

  void MeasureFrames(const std::uint8_t* bytes, std::size_t count) {
    const std::size_t sampleBytes = BytesPerSample(place.format);
    frames.resize(count * place.channels);
    for (std::size_t i = 0; i < frames.size(); ++i) {
      const double value = SampleAt(bytes + i * sampleBytes, place.format);
      frames[i] = value;
      peak = std::max(peak, std::fabs(value));
      sum += value;
      sumOfSquares += value * value;
    }
    samples += frames.size();
    ebur128_add_frames_double(loudness.get(), frames.data(), count);
  }

  // Samples from this piece: whole frames only, the rest kept for the next piece.
  void MeasureData(const std::uint8_t* bytes, std::size_t count) {
    const std::size_t frameBytes = FrameBytes();
    if (!partial.empty()) {
      const std::size_t take = std::min(count, frameBytes - partial.size());
      partial.insert(partial.end(), bytes, bytes + take);
      bytes += take;
      count -= take;
      if (partial.size() < frameBytes) return;
      MeasureFrames(partial.data(), 1);
      partial.clear();
    }
    const std::size_t whole = count / frameBytes * frameBytes;
    for (std::size_t done = 0; done < whole;) {
      const std::size_t run = std::min(kFramesPerBlock, (whole - done) / frameBytes);
      MeasureFrames(bytes + done, run);
      done += run * frameBytes;
    }
    partial.assign(bytes + whole, bytes + count);
  }
};

WavMeter::WavMeter(const WavDataPlace& place) : state_(std::make_unique<State>()) {
  state_->place = place;
  EVP_DigestInit_ex(state_->digest.get(), EVP_sha256(), nullptr);
  state_->loudness.reset(
      ebur128_init(place.channels, place.rate, EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK));
}

WavMeter::~WavMeter() = default;

void WavMeter::Add(const std::uint8_t* bytes, std::size_t count) {
  State& s = *state_;
  EVP_DigestUpdate(s.digest.get(), bytes, count);
  // The part of this piece that lies within the samples.
  const std::uint64_t begin = std::max(s.seen, s.place.offset);
  const std::uint64_t end = std::min(s.seen + count, s.place.offset + s.place.bytes);
  if (begin < end) s.MeasureData(bytes + (begin - s.seen), static_cast<std::size_t>(end - begin));
  s.seen += count;
}

FileMeasures WavMeter::Finish() {
  State& s = *state_;
  FileMeasures measures;
  unsigned char hash[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_DigestFinal_ex(s.digest.get(), hash, &length);
  constexpr char kHex[] = "0123456789abcdef";
  for (unsigned int i = 0; i < length; ++i) {
    measures.sha256 += kHex[hash[i] >> 4];
    measures.sha256 += kHex[hash[i] & 0xF];
  }
  measures.samplePeak = s.peak;
  measures.meanSquare = s.samples > 0 ? s.sumOfSquares / static_cast<double>(s.samples) : 0;
  measures.mean = s.samples > 0 ? s.sum / static_cast<double>(s.samples) : 0;
  for (unsigned channel = 0; channel < s.place.channels; ++channel) {
    double peak = 0;
    if (ebur128_true_peak(s.loudness.get(), channel, &peak) == EBUR128_SUCCESS)
      measures.truePeak = std::max(measures.truePeak, peak);
  }
  if (ebur128_loudness_global(s.loudness.get(), &measures.loudness) != EBUR128_SUCCESS)
    measures.loudness = -HUGE_VAL;
  return measures;
}
