#pragma once
// The library's byte buffers (compiled shaders, message text).
#include <cstddef>

#include "platform/gpu/D3DX.h"

namespace tav::gpu::d3dx {

// A buffer holding a copy of `size` bytes, with one reference for the caller.
// E_OUTOFMEMORY when the copy cannot be made; `out` is then null.
HRESULT CreateBuffer(const void* bytes, size_t size, ID3DXBuffer** out);

// A buffer holding `text` and a terminating NUL.
HRESULT CreateTextBuffer(const char* text, size_t length, ID3DXBuffer** out);

}  // namespace tav::gpu::d3dx
