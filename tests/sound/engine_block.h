// The block the engine tests render into, as the shell keeps its main WAV buffer: one for all
// suites, since every build frees the block of the one before.
#pragma once

#include <cstdint>

inline std::uint8_t* Block = nullptr;
