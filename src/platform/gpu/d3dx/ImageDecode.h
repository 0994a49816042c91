#pragma once
// PNG, JPEG, BMP, TGA, Radiance HDR and binary PNM files through stb_image.
#include <cstddef>
#include <cstdint>

#include "platform/gpu/D3DX.h"
#include "platform/gpu/d3dx/Image.h"

namespace tav::gpu::d3dx {

// Reads the header: size, file format and texel format (D3DFMT_A8R8G8B8 with
// alpha, D3DFMT_X8R8G8B8 without, D3DFMT_A32B32G32R32F for HDR files). Only the
// header is checked: a file whose data does not match it fails on decoding.
// False when the bytes are none of the formats above or exceed
// kMaxImageDimension.
bool ReadCodecInfo(const uint8_t* data, size_t size, D3DXIMAGE_INFO& info);

// Decodes the whole picture into the working form. HDR files arrive tone
// mapped to 8 bits (gamma 2.2, values above 1 clipped). D3DXERR_INVALIDDATA
// when the data is damaged or disagrees with the header.
HRESULT DecodeCodecImage(const uint8_t* data, size_t size, Image& out);

}  // namespace tav::gpu::d3dx
