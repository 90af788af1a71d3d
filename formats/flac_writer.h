// FLAC files through libFLAC: the frames' integer samples, losslessly, with the STREAMINFO's
// checksum and sizes completed at the end where the output can seek back to them.
#pragma once

#include <memory>
#include <string>

#include "formats/container_writer.h"

// Why FLAC cannot hold frames of this layout ("" when it can): float samples, or a sampler loop.
std::string FlacFault(const StreamLayout& layout);
std::unique_ptr<ContainerWriter> MakeFlacWriter(const StreamLayout& layout);
