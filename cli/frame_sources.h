// Where a file's encoded frames come from: the window's engine, rendering its image as the window
// does, or a generator's values, encoded exactly.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "encode/frame_stream.h"
#include "encode/sample_encoding.h"
#include "signals/signal_level.h"

// Frames ready to stream, as often as asked (a file played several times over): their count is
// known before the first.
class Frames {
 public:
  virtual ~Frames() = default;
  virtual std::uint64_t Count() const = 0;
  // In order, to the sink; false when the sink stopped them. The observer sees them in spans, on
  // the threads that make them.
  virtual bool Stream(const FrameSink& sink, unsigned threads,
                      const SpanObserver& observer = nullptr) const = 0;
};

class FrameSource {
 public:
  virtual ~FrameSource() = default;
  // Nothing, and the reason, when the frames cannot be made (no memory for the window's image).
  virtual std::unique_ptr<Frames> Start(std::string& reason) const = 0;
};

// The window's rendering of one shape, into an image of 16-bit frames that each thread keeps for
// the files it renders.
std::shared_ptr<const FrameSource> WindowRendering(int shapeCode, float frequency,
                                                   std::int64_t amplitude, float length,
                                                   std::int16_t channels, std::int32_t rate);
// Values encoded block by block, frame n from the frame index alone.
std::shared_ptr<const FrameSource> ExactRendering(ValueSource values, std::uint64_t frames,
                                                  const SampleEncoding& encoding);
