// Named textures and surfaces. Every texture lives in the default pool, so all
// of them are dropped before a device reset and made again after it: image
// textures from the bytes they were first made from, the default textures
// when they are next asked for.
#include <algorithm>
#include <cstdint>
#include <iterator>

#include "core/ErrorLog.h"
#include "gfx/BaseD3D.h"
#include "gfx/DeviceObject.h"
#include "gfx/TextureMath.h"
#include "platform/gpu/D3DX.h"

using tav::LogHResult;

namespace {

constexpr D3DFORMAT kRenderTargetFallbacks[] = {D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5, D3DFMT_R5G6B5};
constexpr D3DFORMAT kDepthFormats[] = {D3DFMT_D32, D3DFMT_D24X8, D3DFMT_D16};

constexpr const wchar_t* kDefaultTextures[] = {L"DefaultTex", L"DefaultPeepholeTex", L"DefaultRenderTargetTex"};

bool IsDefaultTexture(const std::wstring& name) {
  return std::find(std::begin(kDefaultTextures), std::end(kDefaultTextures), name) != std::end(kDefaultTextures);
}

void FillWhite(D3DXVECTOR4* out, const D3DXVECTOR2*, const D3DXVECTOR2*, void*) { *out = {1, 1, 1, 1}; }

// Opaque black with a transparent disc of radius 0.5 around the centre of the
// texture (an ellipse on screen when the texture is not square).
void FillPeephole(D3DXVECTOR4* out, const D3DXVECTOR2* uv, const D3DXVECTOR2*, void*) {
  float du = uv->x - 0.5f, dv = uv->y - 0.5f;
  *out = {0, 0, 0, du * du + dv * dv < 0.25f ? 0.0f : 1.0f};
}

// Makes a default texture whose size CreateDefaultResources marked.
bool MakeDefaultTexture(CBaseD3D& d3d, const std::wstring& name) {
  const UINT width = d3d.present.BackBufferWidth, height = d3d.present.BackBufferHeight;
  // The mark goes whatever happens: a texture that cannot be made is tried
  // again only after a reset, not at every frame that asks for it.
  const tav::TextureSize mark = *d3d.textureSizes.Find(name);
  d3d.textureSizes.Erase(name);
  auto fail = [&] {
    d3d.textures.Erase(name);
    d3d.textureSizes.Erase(name);
    return false;
  };
  if (name == L"DefaultRenderTargetTex")
    return d3d.CreateNamedTexture(name, width, height, D3DUSAGE_RENDERTARGET) || fail();
  if (name == L"DefaultTex") {
    // One white texel samples as white wherever a quad reads it, so the
    // texture need not be the size of the screen; the size quads are fitted
    // to stays the screen's.
    if (!d3d.CreateNamedTexture(name, 1, 1, 0)) return fail();
    d3d.textureSizes.Erase(name);
    d3d.textureSizes.Insert(name, mark);
    HRESULT hr = D3DXFillTexture(d3d.GetTexture(name), FillWhite, nullptr);
    if (FAILED(hr)) {
      LogHResult(hr, L"D3DXFillTexture");
      return fail();
    }
    return true;
  }
  if (!d3d.CreateNamedTexture(name, width, height, 0)) return fail();
  HRESULT hr = D3DXFillTexture(d3d.GetTexture(name), FillPeephole, nullptr);
  if (FAILED(hr)) {
    LogHResult(hr, L"D3DXFillTexture");
    return fail();
  }
  return true;
}

}  // namespace

bool CBaseD3D::RoundTextureSize(UINT& width, UINT& height, tav::TextureSize& size, DWORD& filter) const {
  size = {float(width), float(height), float(width), float(height)};
  width = tav::RoundUpToPowerOfTwo(width);
  height = tav::RoundUpToPowerOfTwo(height);
  if (caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) width = height = std::max(width, height);
  filter = D3DX_FILTER_NONE;
  if (width > caps.MaxTextureWidth) {
    width = caps.MaxTextureWidth;
    size.width = float(caps.MaxTextureWidth);
    filter = D3DX_DEFAULT;
  }
  if (height > caps.MaxTextureHeight) {
    height = caps.MaxTextureHeight;
    size.height = float(caps.MaxTextureHeight);
    filter = D3DX_DEFAULT;
  }
  return true;
}

D3DFORMAT CBaseD3D::RenderTargetFormat(D3DFORMAT wanted) const {
  auto usable = [&](D3DFORMAT f) {
    return SUCCEEDED(tav::direct3D->CheckDeviceFormat(caps.AdapterOrdinal, caps.DeviceType, displayMode.Format,
                                                      D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, f));
  };
  if (usable(wanted)) return wanted;
  for (D3DFORMAT fallback : kRenderTargetFallbacks)
    if (usable(fallback)) return fallback;
  return wanted;  // nothing better: let the creation report it
}

bool CBaseD3D::LoadTextureFromMemory(const std::wstring& name, const uint8_t* bytes, uint32_t count, DWORD usage) {
  D3DXIMAGE_INFO info;
  HRESULT hr = D3DXGetImageInfoFromFileInMemory(bytes, count, &info);
  if (FAILED(hr)) {
    LogHResult(hr, L"D3DXGetImageInfoFromFileInMemory");
    return false;
  }
  UINT width = info.Width, height = info.Height;
  tav::TextureSize size;
  DWORD filter;
  RoundTextureSize(width, height, size, filter);
  UINT levels = tav::FullMipChainLength(width, height);

  D3DFORMAT format = info.Format;
  if (usage & D3DUSAGE_RENDERTARGET) format = RenderTargetFormat(format);
  hr = D3DXCheckTextureRequirements(device.get(), &width, &height, &levels, usage, &format, D3DPOOL_DEFAULT);
  if (FAILED(hr)) {
    LogHResult(hr, L"D3DXCheckTextureRequirements");
    return false;
  }
  IDirect3DTexture9* raw = nullptr;
  hr = D3DXCreateTextureFromFileInMemoryEx(device.get(), bytes, count, width, height, levels, usage, format,
                                           D3DPOOL_DEFAULT, filter, D3DX_DEFAULT, 0, nullptr, nullptr, &raw);
  if (FAILED(hr) || !raw) {
    LogHResult(hr, L"D3DXCreateTextureFromFileInMemoryEx");
    return false;
  }
  if (filter != D3DX_FILTER_NONE) {
    // Too large for the device, the picture was scaled over the whole
    // texture: both sides of the texture hold it, not only the clamped one.
    size.width = float(width);
    size.height = float(height);
  }
  if (!textures.Insert(name, tav::AdoptDeviceObject(raw))) return false;
  if (!textureSizes.Insert(name, size)) return false;
  restoreRecords.Insert(name, {bytes, count, usage});  // already there when restoring
  return true;
}

bool CBaseD3D::CreateNamedTexture(const std::wstring& name, UINT width, UINT height, DWORD usage) {
  tav::TextureSize size;
  DWORD filter;
  RoundTextureSize(width, height, size, filter);
  UINT levels = tav::FullMipChainLength(width, height);

  const bool renderTarget = usage & D3DUSAGE_RENDERTARGET;
  D3DFORMAT format = renderTarget ? RenderTargetFormat(D3DFMT_A8R8G8B8) : D3DFMT_A8R8G8B8;
  HRESULT hr = D3DXCheckTextureRequirements(device.get(), &width, &height, &levels, renderTarget ? 1 : 0, &format,
                                            D3DPOOL_DEFAULT);
  if (FAILED(hr)) {
    LogHResult(hr, L"D3DXCheckTextureRequirements");
    return false;
  }
  if ((caps.Caps2 & D3DCAPS2_CANAUTOGENMIPMAP) &&
      tav::direct3D->CheckDeviceFormat(caps.AdapterOrdinal, caps.DeviceType, displayMode.Format,
                                       D3DUSAGE_AUTOGENMIPMAP, D3DRTYPE_TEXTURE, format) == S_OK) {
    levels = 0;
    usage |= D3DUSAGE_AUTOGENMIPMAP;
  }
  IDirect3DTexture9* raw = nullptr;
  hr = device->CreateTexture(width, height, levels, usage, format, D3DPOOL_DEFAULT, &raw, nullptr);
  if (FAILED(hr) || !raw) {
    LogHResult(hr, L"CreateTexture");
    return false;
  }
  if (!textures.Insert(name, tav::AdoptDeviceObject(raw))) return false;
  return textureSizes.Insert(name, size);
}

bool CBaseD3D::CreateNamedDepthSurface(UINT width, UINT height, D3DFORMAT format) {
  IDirect3DSurface9* raw = nullptr;
  HRESULT hr = device->CreateDepthStencilSurface(width, height, format, D3DMULTISAMPLE_NONE, 0, 1, &raw, nullptr);
  if (FAILED(hr) || !raw) {
    LogHResult(hr, L"CreateDepthStencilSurface");
    return false;
  }
  return surfaces.Insert(L"DefaultRenderTargetSurface", tav::AdoptDeviceObject(raw));
}

bool CBaseD3D::CreateDefaultResources() {
  // The default textures are made when first asked for (GetTexture): most
  // scenes never use the peephole or the render target, and a texture the
  // size of the screen costs its memory and the time to fill it. Their sizes
  // are known at once; a size without a texture marks one still to make.
  const UINT width = present.BackBufferWidth, height = present.BackBufferHeight;
  for (const wchar_t* name : kDefaultTextures) {
    UINT w = width, h = height;
    tav::TextureSize size;
    DWORD filter;
    RoundTextureSize(w, h, size, filter);
    if (textures.Find(name)) continue;
    textureSizes.Erase(name);
    if (!textureSizes.Insert(name, size)) return false;
  }

  // The render target's depth surface is made now, in the format the target
  // will have: it is found before the target when a render to texture
  // begins. Both are wanted but not required: the cut-in effect is all that
  // uses them.
  if (!present.EnableAutoDepthStencil || surfaces.Find(L"DefaultRenderTargetSurface")) return true;
  UINT w = width, h = height, levels = 1;
  tav::TextureSize size;
  DWORD filter;
  RoundTextureSize(w, h, size, filter);
  D3DFORMAT format = RenderTargetFormat(D3DFMT_A8R8G8B8);
  if (FAILED(D3DXCheckTextureRequirements(device.get(), &w, &h, &levels, D3DUSAGE_RENDERTARGET, &format,
                                          D3DPOOL_DEFAULT)))
    return true;
  for (D3DFORMAT depth : kDepthFormats) {
    if (SUCCEEDED(tav::direct3D->CheckDeviceFormat(caps.AdapterOrdinal, caps.DeviceType, displayMode.Format,
                                                   D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, depth)) &&
        SUCCEEDED(tav::direct3D->CheckDepthStencilMatch(caps.AdapterOrdinal, caps.DeviceType, displayMode.Format,
                                                        format, depth)) &&
        CreateNamedDepthSurface(width, height, depth))
      break;
  }
  return true;
}

bool CBaseD3D::RestoreFileTextures() {
  for (auto& [name, record] : restoreRecords)
    if (!LoadTextureFromMemory(name, record.bytes, record.count, record.usage)) return false;
  return true;
}

IDirect3DTexture9* CBaseD3D::GetTexture(const std::wstring& name) {
  auto* texture = textures.Find(name);
  if (texture) return texture->get();
  // A default texture not made yet is made now (CreateDefaultResources).
  if (!IsDefaultTexture(name) || !textureSizes.Find(name) || !device || !MakeDefaultTexture(*this, name))
    return nullptr;
  texture = textures.Find(name);
  return texture ? texture->get() : nullptr;
}

const tav::TextureSize* CBaseD3D::GetTextureSize(const std::wstring& name) const { return textureSizes.Find(name); }

bool CBaseD3D::EraseTexture(const std::wstring& name) {
  // A texture made later at the same address must not pass for this one.
  ++contentGeneration;
  restoreRecords.Erase(name);
  if (!textureSizes.Erase(name)) return false;
  // The device keeps its own reference to the bound texture: left bound, a
  // texture later made under the same name would never be bound, and the old
  // picture would go on showing.
  if (drawState.textureName == name && device) {
    device->SetTexture(0, nullptr);
    drawState.textureName.clear();
  }
  textures.Erase(name);
  return true;
}
