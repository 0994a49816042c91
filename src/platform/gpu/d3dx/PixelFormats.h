#pragma once
// Texel layouts of the texture formats this layer reads and writes, and the
// conversions between them and the working form (bytes B, G, R, A).
#include <cstdint>

#include "platform/gpu/D3D9Types.h"

namespace tav::gpu::d3dx {

struct FormatLayout {
  bool known = false;       // a format this layer can size
  bool compressed = false;  // stored in 4x4 blocks
  uint32_t bytes = 0;       // bytes per texel, or per 4x4 block when compressed
  bool alpha = false;       // carries an alpha channel
};

FormatLayout LayoutOf(D3DFORMAT format);

// Bytes of one row of texels (or of one row of 4x4 blocks), and the number of
// such rows, of a level of the given size. 0 for formats of unknown layout.
uint64_t RowBytes(D3DFORMAT format, uint32_t width);
uint32_t RowCount(D3DFORMAT format, uint32_t height);
uint64_t LevelBytes(D3DFORMAT format, uint32_t width, uint32_t height);

// Uncompressed formats that EncodeRow writes and DecodeRow reads.
bool IsPlainFormat(D3DFORMAT format);

// Writes `count` working-form texels in `format`. Luminance is the Rec. 709
// weighting of red, green and blue; channels a format lacks are dropped.
void EncodeRow(D3DFORMAT format, const uint8_t* bgra, uint32_t count, uint8_t* out);
// Reads `count` texels of `format` into the working form. Missing colour
// channels read as 0 (alpha-only) or the luminance, missing alpha as 255.
void DecodeRow(D3DFORMAT format, const uint8_t* in, uint32_t count, uint8_t* bgra);

// 0..1 (clamped; NaN reads as 0) to 0..255, rounded to nearest.
uint8_t UnitToByte(float value);

}  // namespace tav::gpu::d3dx
