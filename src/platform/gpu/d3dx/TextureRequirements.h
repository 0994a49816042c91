#pragma once
// Fitting a texture's size, level count and format to what a device takes.
#include "platform/gpu/D3DX.h"

namespace tav::gpu::d3dx {

// `wanted` when the device supports it for textures of `usage`, else the
// closest of the common 32- and 16-bit formats it supports (keeping alpha when
// `wanted` has alpha). D3DERR_NOTAVAILABLE when it supports none.
HRESULT ChooseTextureFormat(IDirect3DDevice9* device, const D3DCAPS9& caps, DWORD usage, D3DFORMAT wanted,
                            D3DFORMAT* chosen);

}  // namespace tav::gpu::d3dx
