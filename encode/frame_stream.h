// A signal's encoded frames, made block by block in order: memory stays a few blocks whatever the
// length, and the bytes depend neither on the block size nor on the threads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "encode/sample_encoding.h"
#include "signals/signal_level.h"

// Takes the next `frames` encoded frames; false stops the stream (the reason is the sink's).
using FrameSink = std::function<bool(const std::uint8_t* bytes, std::size_t frames)>;

constexpr std::size_t kStreamBlockFrames = 16384;

// A span of encoded frames, seen on the thread that made it, with the frames just before it (as
// many as a filter's memory needs, fewer at the start): spans are seen in any order.
struct EncodedSpan {
  const std::uint8_t* before;
  std::size_t framesBefore;
  const std::uint8_t* bytes;
  std::size_t frames;
  std::uint64_t first;  // the span's first frame in the file
  unsigned slot;        // its thread's place, 0 .. threads - 1, for what it keeps of its own
};
using SpanObserver = std::function<void(const EncodedSpan& span)>;
constexpr std::size_t kFramesBeforeSpan = 11;

// Frames 0 .. frames - 1 of the values, encoded. Spans of about 4 MB are made at once, one a
// thread, shown to the observer there, and handed to the sink in order.
bool StreamEncodedFrames(const ValueSource& values, const SampleEncoding& encoding,
                         std::uint64_t frames, const FrameSink& sink,
                         std::size_t blockFrames = kStreamBlockFrames, unsigned threads = 1,
                         const SpanObserver& observer = nullptr);
