#include "platform/gpu/d3dx/DxtDecode.h"

#include "platform/gpu/d3dx/PixelFormats.h"

namespace tav::gpu::d3dx {

namespace {

struct Colour {
  uint32_t b, g, r, a;
};

Colour From565(uint32_t v) {
  uint32_t r = v >> 11 & 31, g = v >> 5 & 63, b = v & 31;
  return {(b << 3) | (b >> 2), (g << 2) | (g >> 4), (r << 3) | (r >> 2), 255};
}

Colour Mix(const Colour& x, uint32_t wx, const Colour& y, uint32_t wy) {
  uint32_t sum = wx + wy;
  return {(x.b * wx + y.b * wy) / sum, (x.g * wx + y.g * wy) / sum, (x.r * wx + y.r * wy) / sum, 255};
}

// The colour half of a block: two 5:6:5 end points and 2-bit indices. With
// `threeColour`, a first end point not above the second selects the mode with
// one midpoint and transparent black (DXT1 only).
void DecodeColours(const uint8_t* block, bool threeColour, Colour texels[16]) {
  uint32_t c0 = uint32_t(block[0]) | uint32_t(block[1]) << 8;
  uint32_t c1 = uint32_t(block[2]) | uint32_t(block[3]) << 8;
  Colour palette[4] = {From565(c0), From565(c1), {}, {}};
  if (!threeColour || c0 > c1) {
    palette[2] = Mix(palette[0], 2, palette[1], 1);
    palette[3] = Mix(palette[0], 1, palette[1], 2);
  } else {
    palette[2] = Mix(palette[0], 1, palette[1], 1);
    palette[3] = {0, 0, 0, 0};
  }
  uint32_t indices = uint32_t(block[4]) | uint32_t(block[5]) << 8 | uint32_t(block[6]) << 16 | uint32_t(block[7]) << 24;
  for (int i = 0; i < 16; ++i) texels[i] = palette[indices >> (2 * i) & 3];
}

// Explicit 4-bit alpha, texel i in bits 4i..4i+3.
void DecodeExplicitAlpha(const uint8_t* block, Colour texels[16]) {
  for (int i = 0; i < 16; ++i) {
    uint32_t nibble = block[i / 2] >> (4 * (i % 2)) & 15;
    texels[i].a = nibble * 17;
  }
}

// Two 8-bit end points and 3-bit indices into eight interpolated values (or
// six plus 0 and 255 when the first end point is not above the second).
void DecodeInterpolatedAlpha(const uint8_t* block, Colour texels[16]) {
  uint32_t a0 = block[0], a1 = block[1];
  uint32_t values[8] = {a0, a1};
  if (a0 > a1) {
    for (uint32_t i = 1; i <= 6; ++i) values[i + 1] = ((7 - i) * a0 + i * a1) / 7;
  } else {
    for (uint32_t i = 1; i <= 4; ++i) values[i + 1] = ((5 - i) * a0 + i * a1) / 5;
    values[6] = 0;
    values[7] = 255;
  }
  uint64_t indices = 0;
  for (int i = 0; i < 6; ++i) indices |= uint64_t(block[2 + i]) << (8 * i);
  for (int i = 0; i < 16; ++i) texels[i].a = values[indices >> (3 * i) & 7];
}

}  // namespace

void DecodeDxtLevel(D3DFORMAT format, const uint8_t* blocks, uint32_t width, uint32_t height, Image& out) {
  out.Resize(width, height);
  const FormatLayout layout = LayoutOf(format);
  const uint32_t blocksWide = (width + 3) / 4, blocksHigh = (height + 3) / 4;
  for (uint32_t by = 0; by < blocksHigh; ++by) {
    for (uint32_t bx = 0; bx < blocksWide; ++bx, blocks += layout.bytes) {
      Colour texels[16];
      switch (format) {
        case D3DFMT_DXT1:
          DecodeColours(blocks, true, texels);
          break;
        case D3DFMT_DXT2:
        case D3DFMT_DXT3:
          DecodeColours(blocks + 8, false, texels);
          DecodeExplicitAlpha(blocks, texels);
          break;
        case D3DFMT_DXT4:
        case D3DFMT_DXT5:
          DecodeColours(blocks + 8, false, texels);
          DecodeInterpolatedAlpha(blocks, texels);
          break;
        default:
          return;
      }
      for (uint32_t ty = 0; ty < 4 && by * 4 + ty < height; ++ty) {
        uint8_t* row = out.Row(by * 4 + ty);
        for (uint32_t tx = 0; tx < 4 && bx * 4 + tx < width; ++tx) {
          const Colour& c = texels[ty * 4 + tx];
          uint8_t* texel = row + 4 * (bx * 4 + tx);
          texel[0] = uint8_t(c.b), texel[1] = uint8_t(c.g), texel[2] = uint8_t(c.r), texel[3] = uint8_t(c.a);
        }
      }
    }
  }
}

}  // namespace tav::gpu::d3dx
