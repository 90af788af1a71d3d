// Long signals made on several threads: the frames are cut into spans of a fixed size, a round of
// spans is made at once, one span a thread, and the results are taken in order. What is made
// depends on the spans alone, never on the number of threads.
#pragma once

#include <cstdint>
#include <functional>

// make(span, slot) for spans 0 .. spans - 1, up to `threads` at once (slot is the span's place
// in its round, 0 .. threads - 1, for buffers of its own), then take(span, slot) for each in
// order on the calling thread. A take that returns false stops there, and so does the result.
bool RunSpansInRounds(std::uint64_t spans, unsigned threads,
                      const std::function<void(std::uint64_t span, unsigned slot)>& make,
                      const std::function<bool(std::uint64_t span, unsigned slot)>& take);
// Threads for one file, when `files` are being made at once on this machine: at least one.
unsigned ThreadsPerFile(unsigned files);
