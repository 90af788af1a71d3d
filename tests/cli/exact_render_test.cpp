// The exact rendering's files as libsndfile reads them, their first samples, loops and faults.
#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "cli/signal_plan.h"
#include "encode/frame_stream.h"
#include "formats/wav_container.h"
#include "measure/file_digest.h"
#include "measure/frame_meter.h"
#include "sound/wav_buffer.h"
#include "tests/cli/command_test_support.h"

namespace {

namespace fs = std::filesystem;
using command_test::Bytes;
using command_test::Parse;
using command_test::PlanOf;
using command_test::ReadFile;
using command_test::RunQuietly;
using command_test::TemporaryFolder;

// Runs the command in process and returns its plan's fault ("" when it ran, and succeeded).
std::string Render(std::vector<std::string> words, const std::string& output) {
  words.insert(words.end(), {"--quiet", "--output", output});
  const ParsedCommandLine parsed = Parse(words);
  if (parsed.finished) return "finished with " + std::to_string(parsed.exitCode);
  const RenderPlan plan = PlanOf(words);
  if (!plan.fault.empty()) return plan.fault;
  EXPECT_EQ(RunQuietly(plan), 0);
  return "";
}

// Collects a file's bytes in memory.
class MemoryOutput : public ByteOutput {
 public:
  bool Write(const std::uint8_t* bytes, std::size_t count) override {
    bytes_.insert(bytes_.end(), bytes, bytes + count);
    return true;
  }
  const Bytes& bytes() const { return bytes_; }

 private:
  Bytes bytes_;
};

// The exact signal of a command line's first file, as its plan makes it.
ExactSignal SignalOf(std::vector<std::string> words) {
  words.insert(words.end(), {"--output", "x.wav"});
  const RenderRequest request = ReadRequest(Parse(words).options);
  EXPECT_EQ(request.fault, "");
  return PlanExactSignal(request, *request.shapes.front(), request.frequencyTexts.front());
}

struct ReadBack {
  SF_INFO info{};
  std::vector<int> samples;  // as libsndfile gives them: scaled to 32 bits
  bool loop = false;
  int loopStart = -1, loopEnd = -1, baseNote = -1;
};

ReadBack ReadWithLibsndfile(const std::string& path) {
  ReadBack read;
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &read.info);
  EXPECT_NE(file, nullptr) << sf_strerror(nullptr);
  if (file == nullptr) return read;
  read.samples.resize(static_cast<std::size_t>(read.info.frames * read.info.channels));
  EXPECT_EQ(sf_read_int(file, read.samples.data(), static_cast<sf_count_t>(read.samples.size())),
            static_cast<sf_count_t>(read.samples.size()));
  SF_INSTRUMENT instrument{};
  if (sf_command(file, SFC_GET_INSTRUMENT, &instrument, sizeof instrument) == SF_TRUE &&
      instrument.loop_count > 0) {
    read.loop = true;
    read.loopStart = static_cast<int>(instrument.loops[0].start);
    read.loopEnd = static_cast<int>(instrument.loops[0].end);
    read.baseNote = instrument.basenote;
  }
  sf_close(file);
  return read;
}

TEST(ExactRendering, LibsndfileReadsEveryFormatHeaderAndLength) {
  struct Case {
    std::vector<std::string> words;
    int container;  // SF_FORMAT_WAV, _WAVEX or _RF64
    int subtype;
    int rate;
    int channels;
    sf_count_t frames;
    std::uintmax_t fileSize;
  };
  const std::vector<Case> cases = {
      // The canonical header where it suffices: 44 bytes before the samples.
      {{"--exact", "--samples", "1000"}, SF_FORMAT_WAV, SF_FORMAT_PCM_16, 44100, 1, 1000, 2044},
      {{"--format", "pcm24", "--rate", "48000", "--channels", "2", "--samples", "480"},
       SF_FORMAT_WAVEX,
       SF_FORMAT_PCM_24,
       48000,
       2,
       480,
       68 + 2880},
      {{"--format", "pcm32", "--rate", "96000", "--channels", "3", "--length", "0.5"},
       SF_FORMAT_WAVEX,
       SF_FORMAT_PCM_32,
       96000,
       3,
       48000,
       68 + 576000},
      {{"--format", "float32", "--rate", "768000", "--channels", "8", "--samples", "7680"},
       SF_FORMAT_WAVEX,
       SF_FORMAT_FLOAT,
       768000,
       8,
       7680,
       68 + 12 + 245760},  // with its fact chunk
      {{"--rate", "8000", "--channels", "3", "--samples", "10"},
       SF_FORMAT_WAVEX,
       SF_FORMAT_PCM_16,
       8000,
       3,
       10,
       68 + 60},
      // An odd data size is followed by its pad byte.
      {{"--format", "pcm24", "--samples", "1001"},
       SF_FORMAT_WAVEX,
       SF_FORMAT_PCM_24,
       44100,
       1,
       1001,
       68 + 3003 + 1},
      // A length beyond the window's 20 s, exactly.
      {{"--exact", "--rate", "8000", "--length", "25"},
       SF_FORMAT_WAV,
       SF_FORMAT_PCM_16,
       8000,
       1,
       200000,
       44 + 400000},
      // A sampler loop adds its 68-byte chunk before the samples.
      {{"--loop", "--samples", "441"},
       SF_FORMAT_WAV,
       SF_FORMAT_PCM_16,
       44100,
       1,
       441,
       44 + 68 + 882},
  };
  TemporaryFolder folder;
  for (const Case& c : cases) {
    std::string line;
    for (const std::string& word : c.words) line += word + " ";
    SCOPED_TRACE(line);
    const std::string path = folder / "file.wav";
    ASSERT_EQ(Render(c.words, path), "");
    const ReadBack read = ReadWithLibsndfile(path);
    EXPECT_EQ(read.info.format & SF_FORMAT_TYPEMASK, c.container);
    EXPECT_EQ(read.info.format & SF_FORMAT_SUBMASK, c.subtype);
    EXPECT_EQ(read.info.samplerate, c.rate);
    EXPECT_EQ(read.info.channels, c.channels);
    EXPECT_EQ(read.info.frames, c.frames);
    EXPECT_EQ(fs::file_size(path), c.fileSize);
  }
}

TEST(ExactRendering, FlacHoldsTheSamplesOfTheWavOfTheSameRequest) {
  struct Case {
    std::vector<std::string> words;
    int subtype;
  };
  const std::vector<Case> cases = {
      {{"--exact", "--frequency", "1000", "--rate", "48000", "--format", "pcm24", "--peak", "-20",
        "--length", "2"},
       SF_FORMAT_PCM_24},
      {{"--shape", "square", "--channels", "2"}, SF_FORMAT_PCM_16},  // the window's rendering
      {{"--shape", "white", "--rate", "96000", "--channels", "8", "--length", "0.3"},
       SF_FORMAT_PCM_16},
      {{"--shape", "sweep", "--frequency", "20:20000", "--rate", "192000", "--format", "pcm24",
        "--length", "0.5", "--dither", "tpdf"},
       SF_FORMAT_PCM_24},
      {{"--shape", "sine", "--rate", "768000", "--channels", "3", "--samples", "5001", "--format",
        "pcm24"},
       SF_FORMAT_PCM_24},
  };
  TemporaryFolder folder;
  for (const Case& c : cases) {
    std::string line;
    for (const std::string& word : c.words) line += word + " ";
    SCOPED_TRACE(line);
    ASSERT_EQ(Render(c.words, folder / "same.wav"), "");
    ASSERT_EQ(Render(c.words, folder / "same.flac"), "");
    const ReadBack wav = ReadWithLibsndfile(folder / "same.wav");
    const ReadBack flac = ReadWithLibsndfile(folder / "same.flac");
    EXPECT_EQ(flac.info.format, SF_FORMAT_FLAC | c.subtype);
    EXPECT_EQ(flac.info.samplerate, wav.info.samplerate);
    EXPECT_EQ(flac.info.channels, wav.info.channels);
    EXPECT_EQ(flac.info.frames, wav.info.frames);
    EXPECT_TRUE(flac.samples == wav.samples);
    // STREAMINFO's checksum of the samples, bytes 26 to 41, was completed at the end.
    const Bytes bytes = ReadFile(folder / "same.flac");
    ASSERT_GT(bytes.size(), 42u);
    EXPECT_NE(Bytes(bytes.begin() + 26, bytes.begin() + 42), Bytes(16, 0));
  }
}

TEST(ExactRendering, Rf64ReadsBackWithItsSizesInTheDs64Chunk) {
  // Forced here: the real thing needs more than 4 GiB of samples.
  WavLayout layout{SampleFormat::kPcm24, 48000, 2, 1001};
  layout.forceRf64 = true;
  const SampleEncoding encoding{SampleFormat::kPcm24, 2, 0.5, false, 1};
  TemporaryFolder folder;
  const std::string path = folder / "rf64.wav";
  MemoryOutput output;
  const std::unique_ptr<ContainerWriter> wav = MakeWavWriter(layout);
  ASSERT_TRUE(wav->Begin(output));
  ASSERT_TRUE(StreamEncodedFrames(
      [](std::uint64_t first, std::size_t count, double* values) {
        for (std::size_t i = 0; i < count; ++i) values[i] = (first + i) % 2 ? 0.5 : -0.5;
      },
      encoding, layout.frames,
      [&wav](const std::uint8_t* bytes, std::size_t frames) {
        return wav->AddFrames(bytes, frames);
      }));
  ASSERT_TRUE(wav->End());
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(output.bytes().data()),
             static_cast<std::streamsize>(output.bytes().size()));
  const Bytes bytes = ReadFile(path);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RF64");
  EXPECT_EQ(bytes.size(), WavFileBytes(layout));
  const ReadBack read = ReadWithLibsndfile(path);
  EXPECT_EQ(read.info.format & SF_FORMAT_TYPEMASK, SF_FORMAT_RF64);
  EXPECT_EQ(read.info.format & SF_FORMAT_SUBMASK, SF_FORMAT_PCM_24);
  EXPECT_EQ(read.info.frames, 1001);
  ASSERT_EQ(read.samples.size(), 2002u);
  EXPECT_EQ(read.samples[0], -(2097152 << 8));  // a quarter of 2^23 - 1, rounded, in 32 bits
  EXPECT_EQ(read.samples[2], 2097152 << 8);
}

TEST(ExactRendering, ShapesStartAsTheWindowsAndFullScaleNeverWraps) {
  // 1000 Hz at 48000 Hz: 48 frames a cycle. pcm16's full scale is 32767.
  struct Case {
    std::string shape;
    std::string format;
    std::vector<int> expected;  // frames 0, 6, 12, 18, 24, 36, in libsndfile's 32-bit scale
  };
  constexpr int k16 = 32767 << 16, k24 = 8388607 << 8;
  const std::vector<Case> cases = {
      {"sine", "pcm16", {0, 23170 << 16, k16, 23170 << 16, 0, -k16}},
      // Half a step up, so that the period has no DC, and its peak at full scale.
      {"saw", "pcm16", {697 << 16, 9063 << 16, 17429 << 16, 25795 << 16, -k16, -16035 << 16}},
      {"square", "pcm16", {-k16, -k16, -k16, -k16, k16, k16}},
      {"triangle", "pcm16", {-k16, -16384 << 16, 0, 16384 << 16, k16, 0}},
      {"sine", "pcm24", {0, 5931641 << 8, k24, 5931641 << 8, 0, -k24}},
      {"sine", "pcm32", {0, 1518500249, 2147483647, 1518500249, 0, -2147483647}},
  };
  TemporaryFolder folder;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shape + " " + c.format);
    const std::string path = folder / "tone.wav";
    ASSERT_EQ(Render({"--shape", c.shape, "--format", c.format, "--rate", "48000", "--frequency",
                      "1000", "--samples", "48", "--peak", "0"},
                     path),
              "");
    const ReadBack read = ReadWithLibsndfile(path);
    ASSERT_EQ(read.samples.size(), 48u);
    const std::vector<int> got{read.samples[0],  read.samples[6],  read.samples[12],
                               read.samples[18], read.samples[24], read.samples[36]};
    EXPECT_EQ(got, c.expected);
  }
}

TEST(ExactRendering, LoopsAreSeamlessAndBlocksJobsAndBuildsChangeNoByte) {
  TemporaryFolder folder;
  const std::vector<std::string> request = {"--rate", "48000",  "--format", "pcm24", "--frequency",
                                            "1000",   "--peak", "-20",      "--loop"};
  auto withLength = [&](const std::string& length) {
    std::vector<std::string> words = request;
    words.insert(words.end(), {"--length", length});
    return words;
  };
  ASSERT_EQ(Render(withLength("10"), folder / "10.wav"), "");
  ASSERT_EQ(Render(withLength("20"), folder / "20.wav"), "");
  const ReadBack ten = ReadWithLibsndfile(folder / "10.wav");
  const ReadBack twenty = ReadWithLibsndfile(folder / "20.wav");
  std::vector<int> twice = ten.samples;
  twice.insert(twice.end(), ten.samples.begin(), ten.samples.end());
  EXPECT_TRUE(twice == twenty.samples);
  EXPECT_TRUE(ten.loop);
  EXPECT_EQ(ten.loopStart, 0);
  EXPECT_EQ(ten.loopEnd, 480000);  // the chunk holds the last frame, 479999; libsndfile adds 1
  EXPECT_EQ(ten.baseNote, 83);     // 1000 Hz is B5 and 0.21 of a semitone

  // Dithered batches: the same bytes whether files are written one or two at a time.
  const std::vector<std::string> dithered = {"--format", "pcm16", "--dither",    "tpdf",
                                             "--seed",   "7",     "--frequency", "997,1000",
                                             "--length", "1"};
  for (const char* jobs : {"1", "2"}) {
    std::vector<std::string> words = dithered;
    words.insert(words.end(), {"--jobs", jobs});
    ASSERT_EQ(Render(words, folder / (std::string(jobs) + "-{frequency}.wav")), "");
  }
  EXPECT_EQ(ReadFile(folder / "1-997.wav"), ReadFile(folder / "2-997.wav"));
  EXPECT_EQ(ReadFile(folder / "1-1000.wav"), ReadFile(folder / "2-1000.wav"));
  EXPECT_NE(ReadFile(folder / "1-997.wav"), ReadFile(folder / "1-1000.wav"));
}

// The encoded frames, made in blocks of `blockFrames` on `threads` threads.
Bytes StreamedBytes(const ExactSignal& exact, std::size_t blockFrames, unsigned threads) {
  Bytes bytes;
  const std::size_t frameBytes = exact.encoding.channels * BytesPerSample(exact.encoding.format);
  EXPECT_TRUE(StreamEncodedFrames(
      exact.signal.values, exact.encoding, exact.signal.frames,
      [&](const std::uint8_t* data, std::size_t frames) {
        bytes.insert(bytes.end(), data, data + frames * frameBytes);
        return true;
      },
      blockFrames, threads));
  return bytes;
}

TEST(ExactRendering, ValuesDoNotDependOnBlocksOrderOrThreads) {
  // Stereo pcm24 over half a minute, so that the threads share the file (spans of 4 MB) and the
  // measuring (spans of 2^20 frames); pink noise is made in blocks and kept per thread, the tone
  // from a table.
  const std::vector<std::vector<std::string>> requests = {
      {"--shape", "pink", "--seed", "5"},
      {"--shape", "white", "--seed", "5"},
      {"--shape", "sweep", "--frequency", "20:20000"},
      {"--shape", "sine", "--frequency", "997", "--exact"},
  };
  for (std::vector<std::string> words : requests) {
    SCOPED_TRACE(words[1]);
    words.insert(words.end(), {"--rate", "48000", "--channels", "2", "--format", "pcm24",
                               "--samples", "1500007"});
    const ExactSignal exact = SignalOf(words);
    ASSERT_EQ(exact.fault, "");
    const Bytes whole = StreamedBytes(exact, kStreamBlockFrames, 1);
    EXPECT_TRUE(StreamedBytes(exact, 1000, 3) == whole);
    const Levels one = MeasureLevels(exact.signal.values, exact.signal.frames, 1);
    const Levels three = MeasureLevels(exact.signal.values, exact.signal.frames, 3);
    EXPECT_EQ(one.peak, three.peak);
    EXPECT_EQ(one.meanSquare, three.meanSquare);
    // Blocks asked for backwards, each straddling pink noise's own blocks, give the same values.
    std::vector<double> forwards(200000), backwards(forwards.size());
    exact.signal.values(1000000, forwards.size(), forwards.data());
    for (std::size_t at = forwards.size(); at > 0; at -= 40000)
      exact.signal.values(1000000 + at - 40000, 40000, backwards.data() + at - 40000);
    EXPECT_TRUE(forwards == backwards);
  }
}

TEST(ExactRendering, MeasuresDoNotDependOnHowTheFramesArePieced) {
  const ExactSignal exact = SignalOf({"--shape", "white", "--channels", "3", "--rate", "48000",
                                      "--format", "pcm24", "--length", "1"});
  ASSERT_EQ(exact.fault, "");
  const Bytes frames = StreamedBytes(exact, kStreamBlockFrames, 1);
  constexpr std::size_t kFrameBytes = 9;
  std::vector<FrameMeasures> found;
  std::vector<std::string> digests;
  for (std::size_t piece : {frames.size() / kFrameBytes, std::size_t{7}, std::size_t{4096}}) {
    FrameMeter meter({SampleFormat::kPcm24, 3, 48000});
    FileDigest digest;
    for (std::size_t at = 0; at < frames.size(); at += piece * kFrameBytes) {
      const std::size_t bytes = std::min(piece * kFrameBytes, frames.size() - at);
      meter.Add(frames.data() + at, bytes / kFrameBytes);
      digest.Add(frames.data() + at, bytes);
    }
    found.push_back(meter.Finish());
    digests.push_back(digest.Finish());
  }
  for (std::size_t other : {1, 2}) {
    EXPECT_EQ(digests[other], digests[0]);
    EXPECT_EQ(found[other].samplePeak, found[0].samplePeak);
    EXPECT_EQ(found[other].meanSquare, found[0].meanSquare);
    EXPECT_EQ(found[other].truePeak, found[0].truePeak);
    EXPECT_EQ(found[other].loudness, found[0].loudness);
  }
  EXPECT_EQ(digests[0].size(), 64u);
  EXPECT_GT(found[0].samplePeak, 0.0);
}

// The RMS level of low integer files is met on what WrittenMeanSquares says the encoder writes.
TEST(ExactRendering, WrittenMeanSquaresAreThoseOfTheBytesWritten) {
  const std::vector<double> values = {0.0, 1e-5, -2.5e-5, 0.3, -0.7, 1.0, -1.0, 1.5, -1.5, 4e-5};
  const SampleEncoding cases[] = {
      {SampleFormat::kPcm16, 1, 1.0, false, 0}, {SampleFormat::kPcm16, 2, 0.9, true, 7},
      {SampleFormat::kPcm24, 3, 1.0, true, 1},  {SampleFormat::kPcm32, 2, 0.5, false, 0},
      {SampleFormat::kPcm32, 1, 1.0, true, 3},
  };
  constexpr std::uint64_t kFirstFrame = 1000;
  for (const SampleEncoding& encoding : cases) {
    SCOPED_TRACE(std::string(SampleFormatName(encoding.format)) + " x" +
                 std::to_string(encoding.channels) + (encoding.dither ? " dithered" : ""));
    const unsigned bytes = BytesPerSample(encoding.format);
    std::vector<std::uint8_t> written(values.size() * encoding.channels * bytes);
    EncodeFrames(encoding, values.data(), values.size(), kFirstFrame, written.data());
    std::vector<double> squares(values.size());
    WrittenMeanSquares(encoding, values.data(), values.size(), kFirstFrame, squares.data());
    const double fullScale = IntegerFullScale(encoding.format);
    for (std::size_t frame = 0; frame < values.size(); ++frame) {
      double sum = 0;
      for (unsigned channel = 0; channel < encoding.channels; ++channel) {
        const std::uint8_t* at = &written[(frame * encoding.channels + channel) * bytes];
        std::uint32_t raw = 0;
        for (unsigned i = 0; i < bytes; ++i) raw |= std::uint32_t{at[i]} << (8 * i);
        const auto sample = static_cast<double>(static_cast<std::int32_t>(raw << (32 - 8 * bytes)) /
                                                (std::int64_t{1} << (32 - 8 * bytes)));
        sum += sample * sample;
      }
      EXPECT_DOUBLE_EQ(squares[frame], sum / encoding.channels / (fullScale * fullScale))
          << "frame " << frame;
    }
  }
}

TEST(ExactRendering, SeedsAreReadWholeInDecimalOrHex) {
  const std::pair<std::string, std::uint64_t> cases[] = {
      {"0", 0},
      {"16", 16},
      {"+16", 16},
      {"0x10", 16},
      {"18446744073709551615", 18446744073709551615u},
      {"0xFFFFFFFFFFFFFFFF", 18446744073709551615u},
  };
  for (const auto& [text, seed] : cases) {
    SCOPED_TRACE(text);
    const RenderRequest request =
        ReadRequest(Parse({"--shape", "white", "--seed", text, "--output", "x.wav"}).options);
    ASSERT_EQ(request.fault, "");
    EXPECT_EQ(request.seed, seed);
  }
}

TEST(ExactRendering, RefusesBadValuesNamingTheOptionAndItsRange) {
  struct Case {
    std::vector<std::string> words;
    std::string message;  // part of the fault; "" for CLI11's own refusal (exit 2)
  };
  const std::vector<Case> cases = {
      {{"--format", "pcm20"}, ""},
      {{"--peak", "-6", "--amplitude", "50"}, ""},
      {{"--seed", "-1", "--shape", "white"}, "--seed: \"-1\" is not a whole number from 0 to"},
      {{"--seed", "18446744073709551616", "--shape", "white"}, "is not a whole number from 0"},
      {{"--rms", "-1", "--shape", "saw"}, "at most -1.77 dBFS for this saw"},
      {{"--cycles", "10"}, "--cycles 10 of 997 Hz at 44100 Hz: 442.326"},
      {{"--dither", "tpdf", "--format", "float32"}, "--dither tpdf: float32 samples are not"},
      {{"--samples", "4000000000", "--rate", "44100"}, "give 1 to 3810240000 frames"},
      {{"--exact", "--samples", "2"}, "no whole number of cycles of 997 Hz below half the rate"},
      {{"--shape", "sweep", "--frequency", "0.5:1000"}, "a sweep stays within 1 Hz to 22050 Hz"},
      {{"--shape", "sweep", "--frequency", "20:30000"}, "a sweep stays within 1 Hz to 22050 Hz"},
      {{"--shape", "sweep", "--frequency", "2000:20"}, "an exponential sweep rises"},
      {{"--shape", "multitone", "--frequency", "1000+1000.1"}, "two tones fall in one bin"},
      {{"--shape", "white", "--rms", "-3"}, "(its crest factor is 1"},
      {{"--shape", "white", "--rms", "-130"}, "pcm16's steps are too coarse to meet that level"},
      {{"--shape", "pink", "--rms", "-110", "--dither", "tpdf"}, "pcm16's dither alone is louder"},
      {{"--fade-in", "2000", "--fade-out", "1500"}, "are longer than the signal"},
      {{"--shape", "sweep,linear-sweep", "--frequency", "20:200", "--inverse", "i.wav"},
       "--inverse writes one filter, but the lists ask for 2 sweeps"},
      {{"--shape", "white", "--periodic", "--samples", "48001"}, "the prime factor 2087"},
      {{"--shape", "sine,sweep", "--frequency", "20:2000", "--cycles", "3"},
       "--frequency: \"20:2000\" is not a number of hertz"},
      {{"--shape", "sine,sweep", "--frequency", "2000", "--cycles", "3"},
       "--frequency: \"2000\" is not a range of hertz"},
      {{"--shape", "sine,white", "--cycles", "997"}, "--cycles sets no length for a white"},
  };
  for (const Case& c : cases) {
    std::string line;
    for (const std::string& word : c.words) line += word + " ";
    SCOPED_TRACE(line);
    std::vector<std::string> words = c.words;
    words.insert(words.end(), {"--output", "never-written.wav"});
    testing::internal::CaptureStderr();
    const ParsedCommandLine parsed = Parse(words);
    testing::internal::GetCapturedStderr();
    if (c.message.empty()) {
      EXPECT_TRUE(parsed.finished);
      EXPECT_EQ(parsed.exitCode, kExitBadRequest);
      continue;
    }
    ASSERT_FALSE(parsed.finished);
    const std::string fault = PlanOf(words).fault;
    EXPECT_NE(fault.find(c.message), std::string::npos) << fault;
  }
  EXPECT_FALSE(fs::exists("never-written.wav"));
}

}  // namespace
