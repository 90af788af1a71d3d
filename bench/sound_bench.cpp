// The worst case the window meets: 10 s of stereo at 192000 Hz, 1 920 000 frames, in a
// 15 360 044-byte buffer, built, rendered and written out.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "sound/vector_paths.h"
#include "sound/wav_buffer.h"
#include "toolkit/toolkit.h"

namespace {

// The block every render goes into, as the shell keeps its main WAV buffer.
std::uint8_t* Block = nullptr;

constexpr std::int16_t kStereo = 2;
constexpr std::int32_t kHighRate = 192000;
constexpr float kLongestSliderLength = 10.0f;
constexpr float kFrequency = 997.0f;
constexpr std::int64_t kAmplitude = 90;
constexpr std::int64_t kFrames = 1'920'000;
constexpr std::int64_t kDataBytes = kFrames * kStereo * kSixteenBitSampleBytes;

void BuildWorstBuffer() {
  Block = BuildWavBuffer(kCapacitySeconds, kStereo, kSixteenBitSampleBytes, kHighRate);
}

void RenderWorstCase(int shape, SynthesisPath path = SynthesisPath::kFastest) {
  RenderShapeOnPath(path, Block, kFrequency, kAmplitude, kLongestSliderLength, shape);
}

void BM_BuildWavBuffer(benchmark::State& state) {
  for (auto _ : state) {
    BuildWorstBuffer();
    benchmark::DoNotOptimize(Block);
  }
}
BENCHMARK(BM_BuildWavBuffer)->Unit(benchmark::kMillisecond);

constexpr std::int64_t PathArg(SynthesisPath path) { return static_cast<std::int64_t>(path); }

// RenderShape alone: the clear before it is not timed (after a rebuild there is nothing to clear).
// path: 0 is what RenderShape picks on this processor, then plain, AVX2 and AVX-512.
void BM_RenderShape(benchmark::State& state) {
  const int shape = static_cast<int>(state.range(0));
  const auto path = static_cast<SynthesisPath>(state.range(1));
  if (!PathAvailable(path)) {
    state.SkipWithError("not available on this processor or in this build");
    return;
  }
  BuildWorstBuffer();
  for (auto _ : state) {
    RenderWorstCase(shape, path);
    benchmark::ClobberMemory();
  }
  if (ReadLE32(Block + kDataSizeOffset) != kDataBytes) state.SkipWithError("wrong data size");
  state.SetItemsProcessed(state.iterations() * kFrames);
  state.SetBytesProcessed(state.iterations() * kDataBytes);
  state.SetLabel(PathName(path));
}
BENCHMARK(BM_RenderShape)
    ->ArgNames({"shape", "path"})
    ->ArgsProduct({{kShapeSine, kShapeSaw, kShapeSquare, kShapeTriangle},
                   {PathArg(SynthesisPath::kFastest), PathArg(SynthesisPath::kPlain),
                    PathArg(SynthesisPath::kAvx2), PathArg(SynthesisPath::kAvx512)}})
    ->Unit(benchmark::kMillisecond);

// The floor for any render: the serial single-precision phase chain alone, no shape, no store.
void BM_PhaseChain(benchmark::State& state) {
  const float increment = ComputePhaseIncrement(kFrequency, kHighRate);
  for (auto _ : state) {
    float phase = 0.0f;
    for (std::int64_t frame = 0; frame < kFrames; ++frame) phase = AdvancePhase(phase, increment);
    benchmark::DoNotOptimize(phase);
  }
  state.SetItemsProcessed(state.iterations() * kFrames);
}
BENCHMARK(BM_PhaseChain)->Unit(benchmark::kMillisecond);

// The file as the save command writes it. `synced` 1 is the save command's own writer, which
// also waits for the disk (fsync of the file and of its folder). `synced` 0, for the comparison
// with sox, which does not wait, writes the same way without the waits: an unnamed file in the
// target's folder, named and renamed over the target.
bool WriteUnsynced(const std::string& path, const std::uint8_t* header, std::uint32_t dataSize) {
  const std::filesystem::path target(path);
  const int descriptor =
      ::open(target.parent_path().c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  if (descriptor < 0) return false;
  bool written = ::write(descriptor, header, kWavHeaderSize) == kWavHeaderSize &&
                 ::write(descriptor, Block + kWavHeaderSize, dataSize) == dataSize;
  const std::string named = path + ".new";
  written = written && ::linkat(AT_FDCWD, ("/proc/self/fd/" + std::to_string(descriptor)).c_str(),
                                AT_FDCWD, named.c_str(), AT_SYMLINK_FOLLOW) == 0;
  written = ::close(descriptor) == 0 && written;
  return written && std::rename(named.c_str(), path.c_str()) == 0;
}

bool WriteRendering(const std::string& path, bool synced) {
  std::uint8_t header[kWavHeaderSize];
  CopyFileHeader(Block, header);
  const std::uint32_t dataSize = ReadLE32(Block + kDataSizeOffset);
  if (!synced) return WriteUnsynced(path, header, dataSize);
  return WriteWholeFile(path, {{header, kWavHeaderSize}, {Block + kWavHeaderSize, dataSize}});
}

// What the user waits for, end to end. `replacing` 0 saves under a new name (the file of the
// previous round is deleted outside the timing); 1 saves over the previous round's file, which
// then has to be released inside the timing. The comparison with sox uses synced 0.
void BM_BuildRenderWrite(benchmark::State& state) {
  const bool synced = state.range(0) != 0;
  const bool replacing = state.range(1) != 0;
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("quorvel-bench-" + std::to_string(getpid()) + ".wav"))
                               .string();
  for (auto _ : state) {
    if (!replacing) {
      state.PauseTiming();
      std::filesystem::remove(path);
      state.ResumeTiming();
    }
    BuildWorstBuffer();
    EmptyWavBlock(Block);
    RenderWorstCase(kShapeSine);
    if (!WriteRendering(path, synced)) state.SkipWithError("could not write the file");
  }
  if (std::filesystem::file_size(path) != kWavHeaderSize + kDataBytes)
    state.SkipWithError("wrong file size");
  std::filesystem::remove(path);
  state.SetBytesProcessed(state.iterations() * (kWavHeaderSize + kDataBytes));
}
BENCHMARK(BM_BuildRenderWrite)
    ->ArgNames({"synced", "replacing"})
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
