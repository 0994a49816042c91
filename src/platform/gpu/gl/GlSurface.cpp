#include "platform/gpu/gl/GlSurface.h"

#include <algorithm>
#include <new>

#include "platform/font/SurfaceDc.h"
#include "platform/gpu/gl/GlFormats.h"

namespace tav::gpu::gl {

HRESULT GlSurface::GetDesc(D3DSURFACE_DESC* desc) {
  if (!desc) return D3DERR_INVALIDCALL;
  *desc = desc_;
  return S_OK;
}

HRESULT GlSurface::GetDC(HDC* dc) { return font::GetSurfaceDC(*this, dc_, dc); }
HRESULT GlSurface::ReleaseDC(HDC dc) { return font::ReleaseSurfaceDC(*this, dc_, dc); }

bool LockArea(const RECT* rect, UINT width, UINT height, bool blocks, RECT& area) {
  if (!rect) {
    area = {0, 0, int32_t(width), int32_t(height)};
    return true;
  }
  if (rect->left < 0 || rect->top < 0 || rect->left >= rect->right || rect->top >= rect->bottom ||
      uint32_t(rect->right) > width || uint32_t(rect->bottom) > height)
    return false;
  if (blocks) {
    // Whole 4x4 blocks, except where a block is cut by the edge of the level.
    auto edgeOk = [](int32_t v, UINT size) { return v % 4 == 0 || uint32_t(v) == size; };
    if (rect->left % 4 || rect->top % 4 || !edgeOk(rect->right, width) || !edgeOk(rect->bottom, height)) return false;
  }
  area = *rect;
  return true;
}

// Back buffer.

GlBackBuffer::GlBackBuffer(std::shared_ptr<Core> core, bool lockable)
    : CoreResource(std::move(core), D3DPOOL_DEFAULT, false), lockable_(lockable) {
  desc_.Type = D3DRTYPE_SURFACE;
  desc_.Usage = D3DUSAGE_RENDERTARGET;
  desc_.Pool = D3DPOOL_DEFAULT;
}

GlBackBuffer::~GlBackBuffer() { ReleaseGl(); }

void GlBackBuffer::DropGl() {
  if (texture_) glDeleteTextures(1, &texture_);
  texture_ = 0;
}

HRESULT GlBackBuffer::Build(UINT width, UINT height, D3DFORMAT format, bool lockable) {
  if (!GetCore()->MakeCurrent()) return D3DERR_INVALIDCALL;
  DropGl();
  locked_ = false;
  lockCopy_.clear();
  lockCopy_.shrink_to_fit();
  lockable_ = lockable;
  desc_.Width = width;
  desc_.Height = height;
  desc_.Format = format;
  DrainGlErrors();
  glGenTextures(1, &texture_);
  glBindTexture(GL_TEXTURE_2D, texture_);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, GLsizei(width), GLsizei(height), 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
  HRESULT hr = GlErrorResult();
  if (SUCCEEDED(hr)) hr = GetCore()->ClearColour(texture_, 0, 0, 0, 0, 1);
  if (FAILED(hr)) DropGl();
  return hr;
}

HRESULT GlBackBuffer::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
  if (!locked || !lockable_ || locked_ || !texture_) return D3DERR_INVALIDCALL;
  RECT area;
  if (!LockArea(rect, desc_.Width, desc_.Height, false, area)) return D3DERR_INVALIDCALL;
  UINT pitch = desc_.Width * 4;
  try {
    lockCopy_.resize(size_t(pitch) * desc_.Height);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  RECT whole{0, 0, int32_t(desc_.Width), int32_t(desc_.Height)};
  HRESULT hr = GetCore()->ReadColour(texture_, 0, whole, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, lockCopy_.data(),
                                     pitch, 4);
  if (FAILED(hr)) return hr;
  if (desc_.Format == D3DFMT_X8R8G8B8)
    for (size_t i = 3; i < lockCopy_.size(); i += 4) lockCopy_[i] = 0xFF;
  locked->Pitch = int32_t(pitch);
  locked->pBits = lockCopy_.data() + size_t(area.top) * pitch + size_t(area.left) * 4;
  locked_ = true;
  lockReadOnly_ = (flags & D3DLOCK_READONLY) != 0;
  return S_OK;
}

HRESULT GlBackBuffer::UnlockRect() {
  if (!locked_) return D3DERR_INVALIDCALL;
  locked_ = false;
  if (lockReadOnly_) return S_OK;
  if (!texture_ || !GetCore()->MakeCurrent()) return D3DERR_INVALIDCALL;
  DrainGlErrors();
  glBindTexture(GL_TEXTURE_2D, texture_);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, GLsizei(desc_.Width), GLsizei(desc_.Height), GL_BGRA,
                  GL_UNSIGNED_INT_8_8_8_8_REV, lockCopy_.data());
  return GlErrorResult();
}

// Depth-stencil surface.

GlDepthSurface::GlDepthSurface(std::shared_ptr<Core> core, bool automatic)
    : CoreResource(std::move(core), D3DPOOL_DEFAULT, !automatic) {
  desc_.Type = D3DRTYPE_SURFACE;
  desc_.Usage = D3DUSAGE_DEPTHSTENCIL;
  desc_.Pool = D3DPOOL_DEFAULT;
}

GlDepthSurface::~GlDepthSurface() { ReleaseGl(); }

void GlDepthSurface::DropGl() {
  if (renderbuffer_) glDeleteRenderbuffers(1, &renderbuffer_);
  renderbuffer_ = 0;
}

HRESULT GlDepthSurface::Build(UINT width, UINT height, D3DFORMAT format) {
  const DepthFormatInfo* info = DepthFormat(format);
  if (!info || !GetCore()->MakeCurrent()) return D3DERR_INVALIDCALL;
  DropGl();
  desc_.Width = width;
  desc_.Height = height;
  desc_.Format = format;
  stencil_ = info->stencil;
  DrainGlErrors();
  glGenRenderbuffers(1, &renderbuffer_);
  glBindRenderbuffer(GL_RENDERBUFFER, renderbuffer_);
  glRenderbufferStorage(GL_RENDERBUFFER, info->internalFormat, GLsizei(width), GLsizei(height));
  HRESULT hr = GlErrorResult();
  if (FAILED(hr)) DropGl();
  return hr;
}

// Plain system-memory surface.

GlPlainSurface::GlPlainSurface(std::shared_ptr<Core> core, UINT width, UINT height, D3DFORMAT format, D3DPOOL pool)
    : CoreResource(std::move(core), pool, true), bits_(size_t(width) * height * 4) {
  desc_.Format = format;
  desc_.Type = D3DRTYPE_SURFACE;
  desc_.Usage = 0;
  desc_.Pool = pool;
  desc_.Width = width;
  desc_.Height = height;
}

HRESULT GlPlainSurface::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD) {
  if (!locked || locked_) return D3DERR_INVALIDCALL;
  RECT area;
  if (!LockArea(rect, desc_.Width, desc_.Height, false, area)) return D3DERR_INVALIDCALL;
  UINT pitch = desc_.Width * 4;
  locked->Pitch = int32_t(pitch);
  locked->pBits = bits_.data() + size_t(area.top) * pitch + size_t(area.left) * 4;
  locked_ = true;
  return S_OK;
}

HRESULT GlPlainSurface::UnlockRect() {
  if (!locked_) return D3DERR_INVALIDCALL;
  locked_ = false;
  return S_OK;
}

}  // namespace tav::gpu::gl
