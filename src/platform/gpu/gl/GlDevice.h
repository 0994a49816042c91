#pragma once
// The device of the OpenGL backend. It draws into an offscreen back buffer
// whose first row is at the top (as every render target here), and copies it,
// turned the right way up, into the window at present.
//
// Lifetime: the device holds a reference to everything bound to it (render
// target, depth surface, textures, shaders, declaration). Resources share the
// device's core, not the device; when the device goes, their OpenGL objects go
// with it (see GlCore.h).
#include <memory>

#include "platform/gpu/D3D9.h"
#include "platform/gpu/DrawCounters.h"
#include "platform/gpu/RefCounted.h"
#include "platform/gpu/gl/GlCore.h"
#include "platform/gpu/gl/GlDrawBatch.h"
#include "platform/gpu/gl/GlFixedFunction.h"
#include "platform/gpu/gl/GlProbe.h"
#include "platform/gpu/gl/GlStateCache.h"
#include "platform/gpu/gl/GlSubBufferCopy.h"

namespace tav::gpu::gl {

class GlSurface;
class GlBackBuffer;
class GlDepthSurface;
class GlTexture;
class GlVertexShader;
class GlPixelShader;
class GlVertexDeclaration;

class GlDevice final : public RefCounted<IDirect3DDevice9Ex> {
 public:
  static constexpr int kSamplers = 16;
  static constexpr DWORD kRenderStates = 256;
  static constexpr DWORD kSamplerStates = 14;
  static constexpr DWORD kStageStates = 33;

  // CreateDevice(Ex): `ex` allows FLIPEX and takes `fullscreenMode`. On success
  // `params` holds the values in use.
  // `creator` is the object GetDirect3D hands out; the device keeps it alive.
  static HRESULT Create(IDirect3D9Ex* creator, const AdapterInfo& adapter, HWND focusWindow,
                        D3DPRESENT_PARAMETERS& params, bool ex, const D3DDISPLAYMODEEX* fullscreenMode,
                        GlDevice** device);

  // For tests: behaves from now on as a device whose display was taken away,
  // until Reset succeeds.
  void SimulateDeviceLost() { lost_ = true; }
  // For tests: the next Present finds the device lost, as one whose display
  // was taken away while the frame was drawn.
  void SimulateDeviceLostAtPresent() { loseAtPresent_ = true; }
  // For tests: the next `count` resets fail with D3DERR_NOTAVAILABLE, as when
  // the display refuses the mode, and leave the device lost.
  void SimulateFailingResets(int count) { failingResets_ = count; }
  DrawCounters Counters() const;
  // Off: every draw goes to OpenGL at once with all of its state set again.
  void SetBatching(bool on);

  HRESULT GetDirect3D(IDirect3D9** object) override;
  HRESULT TestCooperativeLevel() override;
  HRESULT GetDeviceCaps(D3DCAPS9* caps) override;
  HRESULT Reset(D3DPRESENT_PARAMETERS* params) override;
  HRESULT Present(const RECT* source, const RECT* dest, HWND override, const void* dirty) override;
  HRESULT GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface9** surface) override;

  HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                        IDirect3DTexture9** texture, void* sharedHandle) override;
  HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                    DWORD quality, BOOL discard, IDirect3DSurface9** surface,
                                    void* sharedHandle) override;
  HRESULT CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                      IDirect3DSurface9** surface, void* sharedHandle) override;
  HRESULT GetRenderTargetData(IDirect3DSurface9* renderTarget, IDirect3DSurface9* destination) override;

  HRESULT SetRenderTarget(DWORD index, IDirect3DSurface9* surface) override;
  HRESULT GetRenderTarget(DWORD index, IDirect3DSurface9** surface) override;
  HRESULT SetDepthStencilSurface(IDirect3DSurface9* surface) override;
  HRESULT GetDepthStencilSurface(IDirect3DSurface9** surface) override;

  HRESULT BeginScene() override;
  HRESULT EndScene() override;
  HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR colour, float z, DWORD stencil) override;
  HRESULT SetViewport(const D3DVIEWPORT9* viewport) override;
  HRESULT GetViewport(D3DVIEWPORT9* viewport) override;
  HRESULT SetScissorRect(const RECT* rect) override;

  HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
  HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
  HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) override;
  HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override;
  HRESULT GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) override;
  HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;

  HRESULT SetFVF(DWORD fvf) override;
  HRESULT GetFVF(DWORD* fvf) override;
  HRESULT CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements,
                                  IDirect3DVertexDeclaration9** declaration) override;
  HRESULT SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration) override;
  HRESULT CreateVertexShader(const DWORD* code, IDirect3DVertexShader9** shader) override;
  HRESULT SetVertexShader(IDirect3DVertexShader9* shader) override;
  HRESULT CreatePixelShader(const DWORD* code, IDirect3DPixelShader9** shader) override;
  HRESULT SetPixelShader(IDirect3DPixelShader9* shader) override;

  HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minVertexIndex, UINT numVertices, UINT primitiveCount,
                                 const void* indices, D3DFORMAT indexFormat, const void* vertices,
                                 UINT stride) override;

  HRESULT PresentEx(const RECT* source, const RECT* dest, HWND override, const void* dirty, DWORD flags) override;
  HRESULT CheckDeviceState(HWND window) override;
  HRESULT ResetEx(D3DPRESENT_PARAMETERS* params, D3DDISPLAYMODEEX* fullscreenMode) override;

 private:
  GlDevice(IDirect3D9Ex* creator, const AdapterInfo& adapter, std::shared_ptr<Core> core, bool ex);
  ~GlDevice() override;

  // GlDevice.cpp: creation, reset, present.
  HRESULT Init(const D3DPRESENT_PARAMETERS& params);
  HRESULT BuildSwapChain(const D3DPRESENT_PARAMETERS& params);
  HRESULT DoReset(D3DPRESENT_PARAMETERS* params, bool modeRecord, const D3DDISPLAYMODEEX* fullscreenMode);
  HRESULT DoPresent(const RECT* source, const RECT* dest, HWND override, const void* dirty, bool& occluded);
  // Gives back every reference to a bound object.
  void ReleaseBindings();
  // Drops every binding and puts all state back to its default: the back
  // buffer and automatic depth surface bound, the viewport covering them.
  void ResetState();

  // GlDeviceState.cpp: state tables and their OpenGL form.
  void DefaultStates();
  void ApplySampler(int sampler);
  void ApplyDrawState();
  void ApplyTextures(bool fixedFunction);
  // Sends the batched draws to OpenGL. Setters call it before a change; a
  // failure is kept for the next draw, EndScene or Present to report.
  void Flush();
  // Flush, then the failure kept, if any (cleared).
  HRESULT FlushAndTakeError();
  HRESULT IssueBatch();
  // The program, uniforms and vertex layout of the pending batch's draws.
  HRESULT UseProgramFor(bool fixed, VertexLayout& layout);
  bool Owns(const Core* core) const { return core == core_.get(); }

  // GlDeviceDraw.cpp: the target of drawing.
  // Binds the draw framebuffer with the current targets; false when OpenGL
  // cannot draw into that combination.
  bool BindTargets();
  void FullViewport();
  bool TargetHasNoAlpha() const;

  IDirect3D9Ex* creator_;
  AdapterInfo adapter_;
  std::shared_ptr<Core> core_;
  bool ex_;
  D3DPRESENT_PARAMETERS params_{};
  bool lost_ = false;
  bool loseAtPresent_ = false;
  int failingResets_ = 0;
  bool inScene_ = false;

  GlBackBuffer* backBuffer_ = nullptr;
  GlDepthSurface* autoDepth_ = nullptr;
  GlSurface* renderTarget_ = nullptr;
  GlSurface* depthStencil_ = nullptr;
  GlTexture* textures_[kSamplers] = {};
  GlVertexShader* vertexShader_ = nullptr;
  GlPixelShader* pixelShader_ = nullptr;
  GlVertexDeclaration* declaration_ = nullptr;
  DWORD fvf_ = 0;
  bool fixedFunction_ = true;  // the last of SetFVF / shader or declaration wins

  DWORD renderStates_[kRenderStates] = {};
  DWORD samplerStates_[kSamplers][kSamplerStates] = {};
  DWORD stageStates_[kFixedStages][kStageStates] = {};
  D3DVIEWPORT9 viewport_{};
  RECT scissor_{};

  GLuint drawFbo_ = 0;
  GLuint presentFbo_ = 0;
  bool targetsDirty_ = true;
  bool targetsComplete_ = false;
  GLuint samplers_[kSamplers] = {};
  FixedFunction fixed_;

  StateCache state_;
  DrawBatch batch_;
  StreamBuffers buffers_;
  bool batching_ = true;
  bool flushing_ = false;
  HRESULT batchError_ = S_OK;
  DrawCounters counters_;
  SubBufferCopy subBuffer_;
  // The device window shows the last frame presented, at the back buffer's
  // size: a present may then copy only what changed.
  bool screenCurrent_ = false;
};

}  // namespace tav::gpu::gl
