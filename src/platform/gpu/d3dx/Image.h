#pragma once
// The working form of a picture between decoding and writing into a texture.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tav::gpu::d3dx {

// Texels as bytes B, G, R, A (the memory order of D3DFMT_A8R8G8B8), rows
// packed top to bottom: texel (x, y) starts at byte 4 * (y * width + x).
struct Image {
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<uint8_t> bgra;

  void Resize(uint32_t w, uint32_t h) {
    width = w;
    height = h;
    bgra.assign(size_t(w) * h * 4, 0);
  }
  uint8_t* Row(uint32_t y) { return bgra.data() + size_t(y) * width * 4; }
  const uint8_t* Row(uint32_t y) const { return bgra.data() + size_t(y) * width * 4; }
};

// The largest width or height this layer decodes or creates from a file.
inline constexpr uint32_t kMaxImageDimension = 16384;

// Levels from width x height down to 1x1, each half the size of the one above
// (rounded down, at least 1).
constexpr uint32_t FullChainLength(uint32_t width, uint32_t height) {
  uint32_t largest = width > height ? width : height, levels = 1;
  while (largest > 1) largest >>= 1, ++levels;
  return levels;
}

}  // namespace tav::gpu::d3dx
