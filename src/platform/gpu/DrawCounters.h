#pragma once
// What a device made by this module sends to the graphics driver, counted
// since the device was made: for benchmarks and tests.
#include <cstdint>

#include "platform/gpu/D3D9.h"

namespace tav::gpu {

struct DrawCounters {
  uint64_t draws = 0;          // draws the device was asked for
  uint64_t drawCalls = 0;      // draws that reached OpenGL
  uint64_t stateChanges = 0;   // OpenGL calls that set state (bindings, uniforms, attributes)
  uint64_t uploads = 0;        // vertex and index buffer uploads
  uint64_t uploadedBytes = 0;

  DrawCounters operator-(const DrawCounters& o) const {
    return {draws - o.draws, drawCalls - o.drawCalls, stateChanges - o.stateChanges, uploads - o.uploads,
            uploadedBytes - o.uploadedBytes};
  }
};

// False for a device this module did not make.
bool ReadDrawCounters(IDirect3DDevice9* device, DrawCounters& counters);
// With batching off, every draw reaches OpenGL alone, with all of its state set
// and its vertices uploaded again: the baseline the batched device is measured
// against. On by default.
bool SetDrawBatching(IDirect3DDevice9* device, bool on);

}  // namespace tav::gpu
