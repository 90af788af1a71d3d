// The worst case the window meets: 10 s of stereo at 192000 Hz, 1 920 000 frames, in a
// 15 360 044-byte buffer, built, rendered and written out.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "sound/wav_buffer.h"

namespace {

constexpr std::int16_t kStereo = 2;
constexpr std::int16_t kBytesPerSample = 2;
constexpr std::int32_t kHighRate = 192000;
constexpr float kLongestSliderLength = 10.0f;
constexpr float kFrequency = 997.0f;
constexpr std::int64_t kAmplitude = 90;
constexpr std::int64_t kFrames = 1'920'000;
constexpr std::int64_t kDataBytes = kFrames * kStereo * kBytesPerSample;

void BuildWorstBuffer() {
  MainWavBuffer = BuildWavBuffer(kCapacitySeconds, kStereo, kBytesPerSample, kHighRate);
}

void RenderWorstCase(int shape) {
  ClearWavBuffer();
  RenderShape(MainWavBuffer, kFrequency, kAmplitude, kLongestSliderLength, shape);
}

void BM_BuildWavBuffer(benchmark::State& state) {
  for (auto _ : state) {
    BuildWorstBuffer();
    benchmark::DoNotOptimize(MainWavBuffer);
  }
}
BENCHMARK(BM_BuildWavBuffer)->Unit(benchmark::kMillisecond);

void BM_RenderShape(benchmark::State& state) {
  const int shape = static_cast<int>(state.range(0));
  BuildWorstBuffer();
  for (auto _ : state) {
    RenderWorstCase(shape);
    benchmark::ClobberMemory();
  }
  if (ReadLE32(MainWavBuffer + kDataSizeOffset) != kDataBytes) state.SkipWithError("wrong data size");
  state.SetItemsProcessed(state.iterations() * kFrames);
  state.SetBytesProcessed(state.iterations() * kDataBytes);
}
BENCHMARK(BM_RenderShape)
    ->ArgName("shape")
    ->Arg(kShapeSine)
    ->Arg(kShapeSaw)
    ->Arg(kShapeSquare)
    ->Arg(kShapeTriangle)
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

void WriteRendering(const std::string& path) {
  std::uint8_t header[kWavHeaderSize];
  std::copy(MainWavBuffer, MainWavBuffer + kWavHeaderSize, header);
  const std::uint32_t dataSize = ReadLE32(MainWavBuffer + kDataSizeOffset);
  WriteLE32(header + kRiffSizeOffset, dataSize + kRiffSizeOverData);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(header), kWavHeaderSize);
  file.write(reinterpret_cast<const char*>(MainWavBuffer + kWavHeaderSize), dataSize);
}

// What the user waits for, end to end: the comparison with sox uses this one.
void BM_BuildRenderWrite(benchmark::State& state) {
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("quorvel-bench-" + std::to_string(getpid()) + ".wav")).string();
  for (auto _ : state) {
    BuildWorstBuffer();
    RenderWorstCase(kShapeSine);
    WriteRendering(path);
  }
  if (std::filesystem::file_size(path) != kWavHeaderSize + kDataBytes)
    state.SkipWithError("wrong file size");
  std::filesystem::remove(path);
  state.SetBytesProcessed(state.iterations() * (kWavHeaderSize + kDataBytes));
}
BENCHMARK(BM_BuildRenderWrite)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
