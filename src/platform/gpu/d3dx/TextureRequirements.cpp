#include "platform/gpu/d3dx/TextureRequirements.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "platform/gpu/d3dx/Image.h"
#include "platform/gpu/d3dx/PixelFormats.h"

namespace tav::gpu::d3dx {

namespace {

// The size used for a dimension the caller leaves to the library.
constexpr uint64_t kDefaultDimension = 256;
// Keeps rounded sizes inside UINT when a device reports no maximum.
constexpr uint64_t kLargestDimension = uint64_t(1) << 31;

uint64_t CeilPow2(uint64_t v) {
  uint64_t p = 1;
  while (p < v) p <<= 1;
  return p;
}

uint64_t FloorPow2(uint64_t v) {
  uint64_t p = 1;
  while (p * 2 <= v) p <<= 1;
  return p;
}

uint64_t Requested(const UINT* value) {
  if (!value || *value == D3DX_DEFAULT) return kDefaultDimension;
  return *value == 0 ? 1 : *value;
}

// Rounds up to a power of two when the device needs one, then fits the
// maximum (the largest power of two within it, when powers are needed).
uint64_t FitDimension(uint64_t v, bool pow2, DWORD deviceMax) {
  const uint64_t limit = deviceMax ? std::min<uint64_t>(deviceMax, kLargestDimension) : kLargestDimension;
  if (pow2) v = CeilPow2(v);
  if (v > limit) v = pow2 ? FloorPow2(limit) : limit;
  return std::max<uint64_t>(v, 1);
}

bool Supported(IDirect3D9* d3d, const D3DCAPS9& caps, DWORD usage, D3DFORMAT format) {
  return SUCCEEDED(
      d3d->CheckDeviceFormat(caps.AdapterOrdinal, caps.DeviceType, D3DFMT_X8R8G8B8, usage, D3DRTYPE_TEXTURE, format));
}

}  // namespace

HRESULT ChooseTextureFormat(IDirect3DDevice9* device, const D3DCAPS9& caps, DWORD usage, D3DFORMAT wanted,
                            D3DFORMAT* chosen) {
  IDirect3D9* d3d = nullptr;
  HRESULT hr = device->GetDirect3D(&d3d);
  if (FAILED(hr)) return hr;
  if (!d3d) return D3DERR_INVALIDCALL;
  static constexpr D3DFORMAT kWithAlpha[] = {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5, D3DFMT_A8B8G8R8};
  static constexpr D3DFORMAT kOpaque[] = {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5,
                                          D3DFMT_A1R5G5B5};
  hr = D3DERR_NOTAVAILABLE;
  if (Supported(d3d, caps, usage, wanted)) {
    *chosen = wanted;
    hr = S_OK;
  } else {
    const bool alpha = LayoutOf(wanted).alpha;
    const D3DFORMAT* first = alpha ? std::begin(kWithAlpha) : std::begin(kOpaque);
    const D3DFORMAT* last = alpha ? std::end(kWithAlpha) : std::end(kOpaque);
    for (const D3DFORMAT* f = first; f != last; ++f) {
      if (Supported(d3d, caps, usage, *f)) {
        *chosen = *f;
        hr = S_OK;
        break;
      }
    }
  }
  d3d->Release();
  return hr;
}

}  // namespace tav::gpu::d3dx

HRESULT D3DXCheckTextureRequirements(IDirect3DDevice9* device, UINT* width, UINT* height, UINT* mipLevels, DWORD usage,
                                     D3DFORMAT* format, D3DPOOL /*pool*/) {
  using namespace tav::gpu::d3dx;
  if (!device) return D3DERR_INVALIDCALL;
  D3DCAPS9 caps;
  HRESULT hr = device->GetDeviceCaps(&caps);
  if (FAILED(hr)) return hr;

  const bool pow2 = caps.TextureCaps & D3DPTEXTURECAPS_POW2;
  uint64_t w = FitDimension(Requested(width), pow2, caps.MaxTextureWidth);
  uint64_t h = FitDimension(Requested(height), pow2, caps.MaxTextureHeight);
  if (caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) {
    // The larger side, unless that exceeds the other side's maximum.
    uint64_t side = std::max(w, h);
    side = std::min(FitDimension(side, pow2, caps.MaxTextureWidth), FitDimension(side, pow2, caps.MaxTextureHeight));
    w = h = side;
  }

  D3DFORMAT chosen = D3DFMT_UNKNOWN;
  if (format) {
    D3DFORMAT wanted = *format;
    if (wanted == D3DFMT_UNKNOWN || wanted == D3DFORMAT(D3DX_DEFAULT)) wanted = D3DFMT_A8R8G8B8;
    hr = ChooseTextureFormat(device, caps, usage, wanted, &chosen);
    if (FAILED(hr)) return hr;
  }

  if (width) *width = UINT(w);
  if (height) *height = UINT(h);
  if (mipLevels) {
    const UINT full = FullChainLength(UINT(w), UINT(h));
    if (!(caps.TextureCaps & D3DPTEXTURECAPS_MIPMAP))
      *mipLevels = 1;
    else if (*mipLevels == 0 || *mipLevels == D3DX_DEFAULT)
      *mipLevels = full;
    else
      *mipLevels = std::min(*mipLevels, full);
  }
  if (format) *format = chosen;
  return S_OK;
}
