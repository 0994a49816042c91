#pragma once
// The harness process's resident memory, as the kernel counts it, so that a
// long run can tell whether the engine's memory stays flat.
#include <cstdint>

namespace tav::replay {

struct ResidentMemory {
  uint64_t currentKiB = 0;  // VmRSS
  uint64_t peakKiB = 0;     // VmHWM: the most the process has held so far
};

// This process's figures from /proc/self/status; false when it cannot be
// read or either line is missing.
bool QueryResidentMemory(ResidentMemory& out);

}  // namespace tav::replay
