#pragma once
// What the machine's OpenGL offers, read once from a throwaway context.

namespace tav::gpu::gl {

struct AdapterInfo {
  bool available = false;  // an OpenGL 4.1 core context could be made
  int maxTextureSize = 0;
  bool debugContext = false;
  bool s3tc = false;
};

// Probes on the first call (starting the video system), then answers from the
// cached result.
const AdapterInfo& Adapter();

}  // namespace tav::gpu::gl
