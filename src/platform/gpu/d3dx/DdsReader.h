#pragma once
// Reading DDS files: the 128-byte header (magic, surface description, pixel
// format) and the top-level surface with its mip chain. Only 2D textures.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gpu/D3D9Types.h"
#include "platform/gpu/d3dx/Image.h"

namespace tav::gpu::d3dx {

struct DdsLevel {
  uint32_t width = 0;
  uint32_t height = 0;
  const uint8_t* data = nullptr;  // inside the file's bytes
  size_t size = 0;                // LevelBytes(format, width, height)
};

struct DdsFile {
  D3DFORMAT format = D3DFMT_UNKNOWN;
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<DdsLevel> levels;  // largest first; at least one
};

// Whether the bytes start with the DDS magic.
bool HasDdsMagic(const uint8_t* data, size_t size);

// Parses and checks a DDS file. Every level must lie wholly inside the bytes.
// D3DXERR_INVALIDDATA for anything malformed, oversized (beyond
// kMaxImageDimension), truncated or of an unsupported kind (cube maps,
// volumes, pixel formats other than DXT1/3/5 and the common RGB, luminance and
// alpha layouts). The levels point into `data`, which must outlive `out`.
HRESULT ReadDds(const uint8_t* data, size_t size, DdsFile& out);

// Decodes one of the file's levels into the working form.
void DecodeDdsLevel(const DdsFile& file, size_t level, Image& out);

}  // namespace tav::gpu::d3dx
