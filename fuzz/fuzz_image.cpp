// A picture as the texture store loads it: its description, then a texture
// of the size the store would ask for (rounded up to powers of two, so the
// picture is also resampled) with a full mip chain, on an in-memory device.
#include <cstdint>

#include "d3dx/TestDevice.h"
#include "platform/gpu/D3DX.h"

namespace {

UINT PowerOfTwo(UINT v) {
  UINT p = 1;
  while (p < v && p < 16384) p <<= 1;
  return p;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  D3DXIMAGE_INFO info;
  if (FAILED(D3DXGetImageInfoFromFileInMemory(data, UINT(size), &info))) return 0;
  d3dxtest::TestDevice device;
  d3dxtest::TextureRef texture;
  const UINT width = PowerOfTwo(info.Width), height = PowerOfTwo(info.Height);
  const DWORD filter = width == info.Width && height == info.Height ? D3DX_FILTER_NONE : D3DX_FILTER_TRIANGLE;
  D3DXCreateTextureFromFileInMemoryEx(&device, data, UINT(size), width, height, D3DX_DEFAULT, 0, info.Format,
                                      D3DPOOL_DEFAULT, filter, D3DX_DEFAULT, 0, nullptr, nullptr, &texture);
  return 0;
}
