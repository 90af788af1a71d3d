// The instruction sets a hot loop may be compiled for, each in a source file of its own, and the
// widest this processor takes. Every path gives the same bits as the plain one.
#pragma once

enum class ProcessorPath { kScalar, kSse2, kAvx2, kAvx512 };

inline constexpr ProcessorPath kProcessorPaths[] = {ProcessorPath::kScalar, ProcessorPath::kSse2,
                                                    ProcessorPath::kAvx2, ProcessorPath::kAvx512};

// Whether this processor can take the path.
bool ProcessorPathAvailable(ProcessorPath path);
// The widest path this processor takes.
ProcessorPath FastestProcessorPath();
const char* ProcessorPathName(ProcessorPath path);
