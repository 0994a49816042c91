#pragma once
// Software decoding of block-compressed (DXT1, DXT3, DXT5) levels.
#include <cstdint>

#include "platform/gpu/D3D9Types.h"
#include "platform/gpu/d3dx/Image.h"

namespace tav::gpu::d3dx {

// Decodes a width x height level stored as 4x4 blocks in `format` into `out`.
// `blocks` holds LevelBytes(format, width, height) bytes; texels of edge
// blocks beyond the level's size are dropped.
void DecodeDxtLevel(D3DFORMAT format, const uint8_t* blocks, uint32_t width, uint32_t height, Image& out);

}  // namespace tav::gpu::d3dx
