#pragma once
// The Direct3D 9 substitute: the subset of the interface the engine calls, with
// the same operation names, arguments and result codes. Objects are reference
// counted: a creating call hands out one reference, which the caller gives back
// with Release (the engine wraps them in shared pointers whose deleter does that).
//
// Conventions every backend reproduces: the back buffer and every render target
// have their first row at the top; pixel centres follow Direct3D 9 (a vertex at
// x - 0.5 lands a texel on exactly one pixel); D3DFMT_A8R8G8B8 texels are bytes
// B, G, R, A in memory; D3DCULL_CW removes triangles that are clockwise on screen.
#include <functional>

#include "platform/gpu/D3D9Types.h"

class IUnknown {
 public:
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  virtual ~IUnknown() = default;
};

class IDirect3DSurface9 : public IUnknown {
 public:
  virtual HRESULT GetDesc(D3DSURFACE_DESC* desc) = 0;
  virtual HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) = 0;
  virtual HRESULT UnlockRect() = 0;
  // A GDI DC that draws into the surface (X8R8G8B8, A8R8G8B8, R5G6B5 and
  // X1R5G5B5 only). The surface is locked until ReleaseDC writes it back.
  virtual HRESULT GetDC(HDC* dc) = 0;
  virtual HRESULT ReleaseDC(HDC dc) = 0;
};

class IDirect3DBaseTexture9 : public IUnknown {
 public:
  virtual DWORD GetLevelCount() = 0;
};

class IDirect3DTexture9 : public IDirect3DBaseTexture9 {
 public:
  virtual HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) = 0;
  virtual HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) = 0;
  virtual HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) = 0;
  virtual HRESULT UnlockRect(UINT level) = 0;
};

class IDirect3DVertexShader9 : public IUnknown {};
class IDirect3DPixelShader9 : public IUnknown {};
class IDirect3DVertexDeclaration9 : public IUnknown {};

class IDirect3D9;

class IDirect3DDevice9 : public IUnknown {
 public:
  // The object that made the device, with a reference for the caller.
  virtual HRESULT GetDirect3D(IDirect3D9** object) = 0;
  virtual HRESULT TestCooperativeLevel() = 0;
  virtual HRESULT GetDeviceCaps(D3DCAPS9* caps) = 0;
  virtual HRESULT Reset(D3DPRESENT_PARAMETERS* params) = 0;
  virtual HRESULT Present(const RECT* source, const RECT* dest, HWND override, const void* dirty) = 0;
  virtual HRESULT GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface9** surface) = 0;

  virtual HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                IDirect3DTexture9** texture, void* sharedHandle) = 0;
  virtual HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                            DWORD quality, BOOL discard, IDirect3DSurface9** surface,
                                            void* sharedHandle) = 0;
  virtual HRESULT CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                              IDirect3DSurface9** surface, void* sharedHandle) = 0;
  // Copies a render target into a system-memory surface of the same size and format.
  virtual HRESULT GetRenderTargetData(IDirect3DSurface9* renderTarget, IDirect3DSurface9* destination) = 0;

  virtual HRESULT SetRenderTarget(DWORD index, IDirect3DSurface9* surface) = 0;
  virtual HRESULT GetRenderTarget(DWORD index, IDirect3DSurface9** surface) = 0;
  virtual HRESULT SetDepthStencilSurface(IDirect3DSurface9* surface) = 0;
  // D3DERR_NOTFOUND when no depth surface is set.
  virtual HRESULT GetDepthStencilSurface(IDirect3DSurface9** surface) = 0;

  virtual HRESULT BeginScene() = 0;
  virtual HRESULT EndScene() = 0;
  virtual HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR colour, float z, DWORD stencil) = 0;
  virtual HRESULT SetViewport(const D3DVIEWPORT9* viewport) = 0;
  virtual HRESULT GetViewport(D3DVIEWPORT9* viewport) = 0;
  // Draws touch only this rectangle of the target while D3DRS_SCISSORTESTENABLE is set.
  virtual HRESULT SetScissorRect(const RECT* rect) = 0;

  virtual HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) = 0;
  virtual HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) = 0;
  virtual HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) = 0;
  virtual HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) = 0;
  virtual HRESULT GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) = 0;
  virtual HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) = 0;

  virtual HRESULT SetFVF(DWORD fvf) = 0;
  virtual HRESULT GetFVF(DWORD* fvf) = 0;
  virtual HRESULT CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements,
                                          IDirect3DVertexDeclaration9** declaration) = 0;
  virtual HRESULT SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration) = 0;
  // `code` is the compiled form of platform/gpu/ShaderCode.h.
  virtual HRESULT CreateVertexShader(const DWORD* code, IDirect3DVertexShader9** shader) = 0;
  virtual HRESULT SetVertexShader(IDirect3DVertexShader9* shader) = 0;
  virtual HRESULT CreatePixelShader(const DWORD* code, IDirect3DPixelShader9** shader) = 0;
  virtual HRESULT SetPixelShader(IDirect3DPixelShader9* shader) = 0;

  virtual HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minVertexIndex, UINT numVertices,
                                         UINT primitiveCount, const void* indices, D3DFORMAT indexFormat,
                                         const void* vertices, UINT stride) = 0;
};

class IDirect3DDevice9Ex : public IDirect3DDevice9 {
 public:
  virtual HRESULT PresentEx(const RECT* source, const RECT* dest, HWND override, const void* dirty, DWORD flags) = 0;
  virtual HRESULT CheckDeviceState(HWND window) = 0;
  virtual HRESULT ResetEx(D3DPRESENT_PARAMETERS* params, D3DDISPLAYMODEEX* fullscreenMode) = 0;
};

class IDirect3D9 : public IUnknown {
 public:
  virtual HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) = 0;
  virtual HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) = 0;
  virtual HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                    D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) = 0;
  virtual HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                         D3DFORMAT renderTargetFormat, D3DFORMAT depthFormat) = 0;
  virtual HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviourFlags,
                               D3DPRESENT_PARAMETERS* params, IDirect3DDevice9** device) = 0;
};

class IDirect3D9Ex : public IDirect3D9 {
 public:
  virtual HRESULT GetAdapterDisplayModeEx(UINT adapter, D3DDISPLAYMODEEX* mode, D3DDISPLAYROTATION* rotation) = 0;
  virtual HRESULT CreateDeviceEx(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviourFlags,
                                 D3DPRESENT_PARAMETERS* params, D3DDISPLAYMODEEX* fullscreenMode,
                                 IDirect3DDevice9Ex** device) = 0;
};

namespace tav::gpu {

// What loading the Direct3D library yields: its two entry points. An empty
// Direct3DCreate9Ex means the system has no Ex interface.
struct D3D9Module {
  std::function<HRESULT(UINT sdkVersion, IDirect3D9Ex** object)> Direct3DCreate9Ex;
  std::function<IDirect3D9*(UINT sdkVersion)> Direct3DCreate9;
};

// The LoadLibrary of this layer: the OpenGL backend, or the module a test
// installed. Null when no backend can run.
const D3D9Module* LoadD3D9();
// Tests substitute a double for the backend; null restores the backend.
void InstallD3D9Module(const D3D9Module* module);

}  // namespace tav::gpu
