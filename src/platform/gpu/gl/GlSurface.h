#pragma once
// Surfaces: the common face every kind shows the device, and the kinds that
// stand alone (back buffer, depth-stencil, plain system-memory surface).
// Texture levels are in GlTexture.h.
#include <memory>
#include <vector>

#include "platform/gpu/D3D9.h"
#include "platform/gpu/RefCounted.h"
#include "platform/gpu/gl/GlApi.h"
#include "platform/gpu/gl/GlCore.h"

namespace tav::gpu::gl {

class GlSurface : public RefCounted<IDirect3DSurface9> {
 public:
  HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
  const D3DSURFACE_DESC& Desc() const { return desc_; }
  // Through LockRect and UnlockRect, so every lockable kind takes a DC.
  HRESULT GetDC(HDC* dc) override;
  HRESULT ReleaseDC(HDC dc) override;

  virtual Core* OwnerCore() const = 0;
  // The colour image a render target draws into (texture 0 for others).
  virtual GLuint ColourTexture() const { return 0; }
  virtual GLint ColourLevel() const { return 0; }
  // The renderbuffer of a depth-stencil surface.
  virtual GLuint DepthRenderbuffer() const { return 0; }
  virtual bool HasStencil() const { return false; }
  // Writable system memory, for the destination of GetRenderTargetData.
  virtual BYTE* SystemBits() { return nullptr; }
  // Told after drawing into the surface (mip-map chains regenerate).
  virtual void Rendered() {}
  bool IsRenderTarget() const { return (desc_.Usage & D3DUSAGE_RENDERTARGET) != 0; }
  bool IsDepthStencil() const { return (desc_.Usage & D3DUSAGE_DEPTHSTENCIL) != 0; }

 protected:
  D3DSURFACE_DESC desc_;

 private:
  HDC dc_ = nullptr;
};

// Checks a lock rectangle against a surface of `width` x `height` (block
// formats need whole blocks) and gives the area locked.
bool LockArea(const RECT* rect, UINT width, UINT height, bool blocks, RECT& area);

// The device's back buffer: an RGBA8 texture with the first row at the top.
// Reset rebuilds it in place, so references the application holds stay valid.
class GlBackBuffer final : public GlSurface, public CoreResource {
 public:
  GlBackBuffer(std::shared_ptr<Core> core, bool lockable);
  // Makes storage for the size and format; the old storage is dropped.
  HRESULT Build(UINT width, UINT height, D3DFORMAT format, bool lockable);

  HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
  HRESULT UnlockRect() override;
  Core* OwnerCore() const override { return GetCore().get(); }
  GLuint ColourTexture() const override { return texture_; }
  void DropGl() override;

 private:
  ~GlBackBuffer() override;
  GLuint texture_ = 0;
  bool lockable_;
  bool locked_ = false;
  bool lockReadOnly_ = false;
  std::vector<BYTE> lockCopy_;
};

// A depth-stencil surface over a renderbuffer. The automatic one does not
// count as a default-pool resource of the application.
class GlDepthSurface final : public GlSurface, public CoreResource {
 public:
  GlDepthSurface(std::shared_ptr<Core> core, bool automatic);
  HRESULT Build(UINT width, UINT height, D3DFORMAT format);

  HRESULT LockRect(D3DLOCKED_RECT*, const RECT*, DWORD) override { return D3DERR_INVALIDCALL; }
  HRESULT UnlockRect() override { return D3DERR_INVALIDCALL; }
  Core* OwnerCore() const override { return GetCore().get(); }
  GLuint DepthRenderbuffer() const override { return renderbuffer_; }
  bool HasStencil() const override { return stencil_; }
  void DropGl() override;

 private:
  ~GlDepthSurface() override;
  GLuint renderbuffer_ = 0;
  bool stencil_ = false;
};

// A lockable surface in system memory (the read-back destination).
class GlPlainSurface final : public GlSurface, public CoreResource {
 public:
  // Throws std::bad_alloc when the memory cannot be had.
  GlPlainSurface(std::shared_ptr<Core> core, UINT width, UINT height, D3DFORMAT format, D3DPOOL pool);

  HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
  HRESULT UnlockRect() override;
  Core* OwnerCore() const override { return GetCore().get(); }
  BYTE* SystemBits() override { return bits_.data(); }
  void DropGl() override {}

 private:
  ~GlPlainSurface() override = default;
  std::vector<BYTE> bits_;
  bool locked_ = false;
};

}  // namespace tav::gpu::gl
