// Filling every level of a texture from a per-texel function.
#include <new>
#include <vector>

#include "platform/gpu/D3DX.h"
#include "platform/gpu/d3dx/PixelFormats.h"

namespace tav::gpu::d3dx {

namespace {

HRESULT FillLevel(IDirect3DTexture9* texture, UINT level, LPD3DXFILL2D function, void* data) {
  D3DSURFACE_DESC desc;
  HRESULT hr = texture->GetLevelDesc(level, &desc);
  if (FAILED(hr)) return hr;
  if (!IsPlainFormat(desc.Format)) return D3DERR_INVALIDCALL;
  if (desc.Width == 0 || desc.Height == 0) return S_OK;

  const uint64_t rowBytes = RowBytes(desc.Format, desc.Width);
  std::vector<uint8_t> row(size_t(desc.Width) * 4);
  D3DLOCKED_RECT locked;
  if (FAILED(hr = texture->LockRect(level, &locked, nullptr, 0))) return hr;
  if (!locked.pBits || locked.Pitch < 0 || uint64_t(locked.Pitch) < rowBytes) {
    texture->UnlockRect(level);
    return D3DERR_INVALIDCALL;
  }
  const D3DXVECTOR2 size{1.0f / float(desc.Width), 1.0f / float(desc.Height)};
  auto* out = static_cast<uint8_t*>(locked.pBits);
  for (UINT y = 0; y < desc.Height; ++y, out += locked.Pitch) {
    for (UINT x = 0; x < desc.Width; ++x) {
      const D3DXVECTOR2 centre{(float(x) + 0.5f) * size.x, (float(y) + 0.5f) * size.y};
      D3DXVECTOR4 colour{0, 0, 0, 0};
      function(&colour, &centre, &size, data);
      uint8_t* texel = &row[size_t(x) * 4];
      texel[0] = UnitToByte(colour.z);
      texel[1] = UnitToByte(colour.y);
      texel[2] = UnitToByte(colour.x);
      texel[3] = UnitToByte(colour.w);
    }
    EncodeRow(desc.Format, row.data(), desc.Width, out);
  }
  return texture->UnlockRect(level);
}

}  // namespace

}  // namespace tav::gpu::d3dx

HRESULT D3DXFillTexture(IDirect3DTexture9* texture, LPD3DXFILL2D function, void* data) {
  if (!texture || !function) return D3DERR_INVALIDCALL;
  try {
    const DWORD levels = texture->GetLevelCount();
    for (DWORD level = 0; level < levels; ++level) {
      HRESULT hr = tav::gpu::d3dx::FillLevel(texture, level, function, data);
      if (FAILED(hr)) return hr;
    }
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}
