#include "d3dx/TestDevice.h"

namespace d3dxtest {

namespace {

// Bytes per texel, or per 4x4 block (negative) for compressed formats.
int TexelBytes(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
    case D3DFMT_A8B8G8R8:
    case D3DFMT_X8B8G8R8:
      return 4;
    case D3DFMT_R8G8B8:
      return 3;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_A8L8:
      return 2;
    case D3DFMT_L8:
    case D3DFMT_A8:
      return 1;
    case D3DFMT_DXT1:
      return -8;
    case D3DFMT_DXT3:
    case D3DFMT_DXT5:
      return -16;
    default:
      return 0;
  }
}

constexpr int32_t kPitchPadding = 16;
constexpr uint8_t kUnwritten = 0xCD;

}  // namespace

uint32_t TestLevel::Argb(UINT x, UINT y) const {
  const uint8_t* t = Texel(x, y, 4);
  return uint32_t(t[3]) << 24 | uint32_t(t[2]) << 16 | uint32_t(t[1]) << 8 | t[0];
}

TestTexture::TestTexture(TestDevice& device, D3DFORMAT format, DWORD usage, std::vector<TestLevel> levels)
    : device_(device), format_(format), usage_(usage), levels_(std::move(levels)), locked_(levels_.size()) {
  ++device_.liveTextures;
}

TestTexture::~TestTexture() { --device_.liveTextures; }

ULONG TestTexture::Release() {
  ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

HRESULT TestTexture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
  if (level >= levels_.size() || !desc) return D3DERR_INVALIDCALL;
  *desc = {};
  desc->Format = format_;
  desc->Usage = usage_;
  desc->Width = levels_[level].width;
  desc->Height = levels_[level].height;
  return D3D_OK;
}

HRESULT TestTexture::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD) {
  if (level >= levels_.size() || !locked || rect || locked_[level] || (usage_ & D3DUSAGE_RENDERTARGET))
    return D3DERR_INVALIDCALL;
  if (int(level) == device_.config.failLockOnLevel) return D3DERR_DEVICELOST;
  locked_[level] = true;
  ++device_.openLocks;
  locked->pBits = levels_[level].bytes.data();
  locked->Pitch = levels_[level].pitch;
  return D3D_OK;
}

HRESULT TestTexture::UnlockRect(UINT level) {
  if (level >= levels_.size() || !locked_[level]) return D3DERR_INVALIDCALL;
  locked_[level] = false;
  --device_.openLocks;
  return D3D_OK;
}

HRESULT TestD3D::CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD,
                                   D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) {
  if (adapter != 0 || type != D3DDEVTYPE_HAL || adapterFormat != D3DFMT_X8R8G8B8) return D3DERR_INVALIDCALL;
  if (resourceType != D3DRTYPE_TEXTURE || !config_.formats.count(checkFormat)) return D3DERR_NOTAVAILABLE;
  return D3D_OK;
}

HRESULT TestDevice::GetDirect3D(IDirect3D9** object) {
  if (!object) return D3DERR_INVALIDCALL;
  d3d_.AddRef();
  *object = &d3d_;
  return D3D_OK;
}

HRESULT TestDevice::GetDeviceCaps(D3DCAPS9* caps) {
  if (!caps) return D3DERR_INVALIDCALL;
  *caps = {};
  caps->TextureCaps = config.textureCaps;
  caps->MaxTextureWidth = config.maxTextureWidth;
  caps->MaxTextureHeight = config.maxTextureHeight;
  caps->VertexShaderVersion = config.vertexShaderVersion;
  caps->PixelShaderVersion = config.pixelShaderVersion;
  return D3D_OK;
}

HRESULT TestDevice::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                  IDirect3DTexture9** texture, void*) {
  ++createCalls;
  if (!texture) return D3DERR_INVALIDCALL;
  *texture = nullptr;
  const bool pow2 = config.textureCaps & D3DPTEXTURECAPS_POW2;
  const auto isPow2 = [](UINT v) { return (v & (v - 1)) == 0; };
  if (width == 0 || height == 0 || width > config.maxTextureWidth || height > config.maxTextureHeight ||
      (pow2 && (!isPow2(width) || !isPow2(height))) ||
      ((config.textureCaps & D3DPTEXTURECAPS_SQUAREONLY) && width != height) || !config.formats.count(format))
    return D3DERR_INVALIDCALL;
  UINT full = 1;
  for (UINT s = width > height ? width : height; s > 1; s >>= 1) ++full;
  if (levels == 0) levels = full;
  if (levels > full) return D3DERR_INVALIDCALL;

  const int bytes = TexelBytes(format);
  std::vector<TestLevel> made(levels);
  for (UINT i = 0; i < levels; ++i) {
    TestLevel& l = made[i];
    l.width = width >> i ? width >> i : 1;
    l.height = height >> i ? height >> i : 1;
    const UINT rows = bytes < 0 ? (l.height + 3) / 4 : l.height;
    const int32_t rowBytes = bytes < 0 ? int32_t((l.width + 3) / 4) * -bytes : int32_t(l.width) * bytes;
    l.pitch = rowBytes + kPitchPadding;
    // Exactly the level's bytes, so that the sanitizer sees any overrun.
    l.bytes.assign(size_t(l.pitch) * (rows - 1) + size_t(rowBytes), kUnwritten);
  }
  lastLevels = levels;
  lastUsage = usage;
  lastPool = pool;
  *texture = new TestTexture(*this, format, usage, std::move(made));
  return D3D_OK;
}

}  // namespace d3dxtest
