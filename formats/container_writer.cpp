#include "formats/container_writer.h"

#include "formats/wav_container.h"

std::uint32_t FrameBytes(const StreamLayout& layout) {
  return layout.channels * BytesPerSample(layout.format);
}

std::uint64_t DataBytes(const StreamLayout& layout) { return layout.frames * FrameBytes(layout); }

std::string ContainerFault(FileType, const StreamLayout&) { return ""; }

std::unique_ptr<ContainerWriter> MakeContainerWriter(FileType, const StreamLayout& layout) {
  return MakeWavWriter(layout);
}
