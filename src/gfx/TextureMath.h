#pragma once
#include <cstdint>

namespace tav {

// A power of two stays; any other value becomes the next power of two above it
// (0 stays 0). Values beyond the largest 32-bit power of two give it.
constexpr uint32_t RoundUpToPowerOfTwo(uint32_t v) {
  if (v == 0) return 0;
  uint64_t p = 1;
  while (p < v) p <<= 1;
  return p > 0x80000000u ? 0x80000000u : uint32_t(p);
}

// Levels of a full mip chain: halve until both sides are 1.
constexpr uint32_t FullMipChainLength(uint32_t width, uint32_t height) {
  uint32_t levels = 1;
  while (width > 1 || height > 1) {
    width = width > 1 ? width / 2 : 1;
    height = height > 1 ? height / 2 : 1;
    ++levels;
  }
  return levels;
}

}  // namespace tav
