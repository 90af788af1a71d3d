// A whole WAV file made block by block: header, samples, pad byte. Memory stays one block
// whatever the length, and the bytes do not depend on the block size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "signals/signal_level.h"
#include "wav/sample_encoding.h"
#include "wav/wav_container.h"

// Takes the next bytes of the file; false stops the stream (the reason is the sink's to keep).
using ByteSink = std::function<bool(const std::uint8_t* bytes, std::size_t count)>;

constexpr std::size_t kStreamBlockFrames = 16384;

std::uint64_t WavFileBytes(const WavLayout& layout);
// Spans of about 4 MB are made at once, one a thread; the bytes do not depend on the threads.
bool StreamWavFile(const WavLayout& layout, const SampleEncoding& encoding,
                   const ValueSource& values, const ByteSink& sink,
                   std::size_t blockFrames = kStreamBlockFrames, unsigned threads = 1);
