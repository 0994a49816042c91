#pragma once
// A device in memory for the D3DX tests: textures are byte arrays that
// LockRect hands out, capabilities and texture formats are set by the test,
// and the device counts what it creates and locks so leaks and unbalanced
// locks show.
#include <cstdint>
#include <set>
#include <vector>

#include "platform/gpu/D3D9.h"

namespace d3dxtest {

struct TestDeviceConfig {
  DWORD textureCaps = D3DPTEXTURECAPS_MIPMAP;
  DWORD maxTextureWidth = 4096;
  DWORD maxTextureHeight = 4096;
  DWORD vertexShaderVersion = D3DVS_VERSION(3, 0);
  DWORD pixelShaderVersion = D3DPS_VERSION(3, 0);
  std::set<D3DFORMAT> formats{D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_A1R5G5B5,
                              D3DFMT_A4R4G4B4, D3DFMT_L8,       D3DFMT_A8,     D3DFMT_A8L8,
                              D3DFMT_DXT1,     D3DFMT_DXT3,     D3DFMT_DXT5};
  int failLockOnLevel = -1;  // LockRect of this level fails with D3DERR_DEVICELOST
};

class TestDevice;

inline constexpr HRESULT kUnused = D3DERR_INVALIDCALL;

// One level of a test texture; rows are `pitch` bytes apart (wider than the
// texels, so code that ignores the pitch writes visibly wrong texels).
struct TestLevel {
  UINT width = 0, height = 0;
  int32_t pitch = 0;
  std::vector<uint8_t> bytes;
  // Texel (x, y) as bytes B, G, R, A of an A8R8G8B8 or X8R8G8B8 level.
  uint32_t Argb(UINT x, UINT y) const;
  const uint8_t* Texel(UINT x, UINT y, UINT texelBytes) const { return &bytes[y * size_t(pitch) + x * texelBytes]; }
};

class TestTexture : public IDirect3DTexture9 {
 public:
  TestTexture(TestDevice& device, D3DFORMAT format, DWORD usage, std::vector<TestLevel> levels);
  ~TestTexture() override;
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override;
  DWORD GetLevelCount() override { return DWORD(levels_.size()); }
  HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
  HRESULT GetSurfaceLevel(UINT, IDirect3DSurface9**) override { return kUnused; }
  HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
  HRESULT UnlockRect(UINT level) override;

  D3DFORMAT Format() const { return format_; }
  const TestLevel& Level(UINT level) const { return levels_.at(level); }

 private:
  TestDevice& device_;
  D3DFORMAT format_;
  DWORD usage_;
  std::vector<TestLevel> levels_;
  std::vector<bool> locked_;
  ULONG refs_ = 1;
};

class TestD3D : public IDirect3D9 {
 public:
  explicit TestD3D(const TestDeviceConfig& config) : config_(config) {}
  ULONG AddRef() override { return ++refs; }
  ULONG Release() override { return --refs; }
  HRESULT GetDeviceCaps(UINT, D3DDEVTYPE, D3DCAPS9*) override { return kUnused; }
  HRESULT GetAdapterDisplayMode(UINT, D3DDISPLAYMODE*) override { return kUnused; }
  HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                            D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) override;
  HRESULT CheckDepthStencilMatch(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, D3DFORMAT) override { return kUnused; }
  HRESULT CreateDevice(UINT, D3DDEVTYPE, HWND, DWORD, D3DPRESENT_PARAMETERS*, IDirect3DDevice9**) override {
    return kUnused;
  }
  ULONG refs = 1;

 private:
  const TestDeviceConfig& config_;
};

class TestDevice : public IDirect3DDevice9 {
 public:
  explicit TestDevice(TestDeviceConfig config = {}) : config(std::move(config)), d3d_(this->config) {}
  ~TestDevice() override = default;

  TestDeviceConfig config;
  int liveTextures = 0;
  int openLocks = 0;
  int createCalls = 0;
  // The arguments of the last CreateTexture call.
  UINT lastLevels = 0;
  DWORD lastUsage = 0;
  D3DPOOL lastPool = D3DPOOL_DEFAULT;
  // References to the Direct3D object still held by callers (should be 0).
  ULONG OutstandingD3DRefs() const { return d3d_.refs - 1; }

  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }
  HRESULT GetDirect3D(IDirect3D9** object) override;
  HRESULT GetDeviceCaps(D3DCAPS9* caps) override;
  HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                        IDirect3DTexture9** texture, void* sharedHandle) override;

  // The rest of the device is not used by D3DX.
  HRESULT TestCooperativeLevel() override { return D3D_OK; }
  HRESULT Reset(D3DPRESENT_PARAMETERS*) override { return kUnused; }
  HRESULT Present(const RECT*, const RECT*, HWND, const void*) override { return kUnused; }
  HRESULT GetBackBuffer(UINT, UINT, D3DBACKBUFFER_TYPE, IDirect3DSurface9**) override { return kUnused; }
  HRESULT CreateDepthStencilSurface(UINT, UINT, D3DFORMAT, D3DMULTISAMPLE_TYPE, DWORD, BOOL, IDirect3DSurface9**,
                                    void*) override {
    return kUnused;
  }
  HRESULT CreateOffscreenPlainSurface(UINT, UINT, D3DFORMAT, D3DPOOL, IDirect3DSurface9**, void*) override {
    return kUnused;
  }
  HRESULT GetRenderTargetData(IDirect3DSurface9*, IDirect3DSurface9*) override { return kUnused; }
  HRESULT SetRenderTarget(DWORD, IDirect3DSurface9*) override { return kUnused; }
  HRESULT GetRenderTarget(DWORD, IDirect3DSurface9**) override { return kUnused; }
  HRESULT SetDepthStencilSurface(IDirect3DSurface9*) override { return kUnused; }
  HRESULT GetDepthStencilSurface(IDirect3DSurface9**) override { return D3DERR_NOTFOUND; }
  HRESULT BeginScene() override { return kUnused; }
  HRESULT EndScene() override { return kUnused; }
  HRESULT Clear(DWORD, const D3DRECT*, DWORD, D3DCOLOR, float, DWORD) override { return kUnused; }
  HRESULT SetViewport(const D3DVIEWPORT9*) override { return kUnused; }
  HRESULT GetViewport(D3DVIEWPORT9*) override { return kUnused; }
  HRESULT SetScissorRect(const RECT*) override { return kUnused; }
  HRESULT SetRenderState(D3DRENDERSTATETYPE, DWORD) override { return kUnused; }
  HRESULT GetRenderState(D3DRENDERSTATETYPE, DWORD*) override { return kUnused; }
  HRESULT SetTexture(DWORD, IDirect3DBaseTexture9*) override { return kUnused; }
  HRESULT SetSamplerState(DWORD, D3DSAMPLERSTATETYPE, DWORD) override { return kUnused; }
  HRESULT GetSamplerState(DWORD, D3DSAMPLERSTATETYPE, DWORD*) override { return kUnused; }
  HRESULT SetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD) override { return kUnused; }
  HRESULT SetFVF(DWORD) override { return kUnused; }
  HRESULT GetFVF(DWORD*) override { return kUnused; }
  HRESULT CreateVertexDeclaration(const D3DVERTEXELEMENT9*, IDirect3DVertexDeclaration9**) override { return kUnused; }
  HRESULT SetVertexDeclaration(IDirect3DVertexDeclaration9*) override { return kUnused; }
  HRESULT CreateVertexShader(const DWORD*, IDirect3DVertexShader9**) override { return kUnused; }
  HRESULT SetVertexShader(IDirect3DVertexShader9*) override { return kUnused; }
  HRESULT CreatePixelShader(const DWORD*, IDirect3DPixelShader9**) override { return kUnused; }
  HRESULT SetPixelShader(IDirect3DPixelShader9*) override { return kUnused; }
  HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE, UINT, UINT, UINT, const void*, D3DFORMAT, const void*,
                                 UINT) override {
    return kUnused;
  }

 private:
  TestD3D d3d_;
};

// Owns a texture reference handed out by the library.
struct TextureRef {
  IDirect3DTexture9* texture = nullptr;
  ~TextureRef() {
    if (texture) texture->Release();
  }
  TestTexture* operator->() const { return static_cast<TestTexture*>(texture); }
  IDirect3DTexture9** operator&() { return &texture; }
};

}  // namespace d3dxtest
