#pragma once
// An image file in memory: what kind it is, its description, and decoding of
// its levels into the working form.
#include <cstddef>
#include <cstdint>

#include "platform/gpu/D3DX.h"
#include "platform/gpu/d3dx/DdsReader.h"
#include "platform/gpu/d3dx/Image.h"

namespace tav::gpu::d3dx {

struct ImageFile {
  const uint8_t* data = nullptr;
  size_t size = 0;
  D3DXIMAGE_INFO info;
  bool isDds = false;
  DdsFile dds;  // when isDds
};

// Identifies the file and reads its description; a DDS file is checked in
// full (every level present). D3DXERR_INVALIDDATA when the bytes are not an
// image this layer reads. The file keeps pointers into `data`.
HRESULT OpenImageFile(const void* data, size_t size, ImageFile& out);

// Decodes level `level` (only DDS files have more than level 0) into `out`.
// D3DXERR_INVALIDDATA when the data is damaged.
HRESULT DecodeImageLevel(const ImageFile& file, uint32_t level, Image& out);

}  // namespace tav::gpu::d3dx
