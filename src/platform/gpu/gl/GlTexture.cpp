#include "platform/gpu/gl/GlTexture.h"

#include <algorithm>
#include <new>

namespace tav::gpu::gl {

namespace {

UINT FullChain(UINT width, UINT height) {
  UINT levels = 1;
  for (UINT size = std::max(width, height); size > 1; size >>= 1) ++levels;
  return levels;
}

// The average of two bytes, halves rounded up.
inline uint32_t Average(uint32_t a, uint32_t b) { return (a + b + 1) >> 1; }

}  // namespace

void HalveLevel(const BYTE* from, UINT width, UINT height, BYTE* to) {
  const UINT w = std::max(1u, width / 2), h = std::max(1u, height / 2);
  const size_t pitch = size_t(width) * 4;
  for (UINT y = 0; y < h; ++y) {
    const BYTE* top = from + (height > 1 ? 2 * y : 0) * pitch;
    const BYTE* bottom = height > 1 ? top + pitch : top;
    BYTE* out = to + size_t(y) * w * 4;
    for (UINT x = 0; x < w; ++x) {
      const size_t left = (width > 1 ? 2 * size_t(x) : 0) * 4, right = width > 1 ? left + 4 : left;
      for (int c = 0; c < 4; ++c) {
        const uint32_t upper = Average(top[left + c], top[right + c]);
        out[4 * x + c] = BYTE(Average(upper, Average(bottom[left + c], bottom[right + c])));
      }
    }
  }
}

// Level surface.

GlLevelSurface::GlLevelSurface(GlTexture* texture, UINT level) : texture_(texture), level_(level) {
  desc_ = texture->desc_;
  desc_.Type = D3DRTYPE_SURFACE;
  desc_.Width = texture->levels_[level].width;
  desc_.Height = texture->levels_[level].height;
}

ULONG GlLevelSurface::AddRef() { return texture_->AddRef(); }
ULONG GlLevelSurface::Release() { return texture_->Release(); }
HRESULT GlLevelSurface::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
  return texture_->LockRect(level_, locked, rect, flags);
}
HRESULT GlLevelSurface::UnlockRect() { return texture_->UnlockRect(level_); }
Core* GlLevelSurface::OwnerCore() const { return texture_->GetCore().get(); }
GLuint GlLevelSurface::ColourTexture() const { return IsRenderTarget() ? texture_->texture_ : 0; }

BYTE* GlLevelSurface::SystemBits() {
  if (!texture_->SystemMemory()) return nullptr;
  return texture_->levels_[level_].bits.data();
}

void GlLevelSurface::Rendered() {
  if (texture_->levels_.size() > texture_->visibleLevels_) texture_->mipsDirty_ = true;
}

// Texture.

GlTexture::GlTexture(std::shared_ptr<Core> core, const FormatInfo& format, DWORD usage, D3DPOOL pool)
    : CoreResource(std::move(core), pool, true), format_(format) {
  desc_.Format = format.format;
  desc_.Type = D3DRTYPE_TEXTURE;
  desc_.Usage = usage;
  desc_.Pool = pool;
}

GlTexture::~GlTexture() {
  ReleaseGl();
  for (Level& level : levels_) delete level.surface;
}

void GlTexture::DropGl() {
  if (texture_) glDeleteTextures(1, &texture_);
  texture_ = 0;
}

HRESULT GlTexture::Create(const std::shared_ptr<Core>& core, int maxSize, bool s3tc, UINT width, UINT height,
                          UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool, GlTexture** texture) {
  if (!texture) return D3DERR_INVALIDCALL;
  *texture = nullptr;
  const FormatInfo* info = TextureFormat(format, s3tc);
  if (!info || width == 0 || height == 0 || width > UINT(maxSize) || height > UINT(maxSize))
    return D3DERR_INVALIDCALL;
  if (usage & ~(D3DUSAGE_RENDERTARGET | D3DUSAGE_DYNAMIC | D3DUSAGE_AUTOGENMIPMAP)) return D3DERR_INVALIDCALL;
  if (pool != D3DPOOL_DEFAULT && pool != D3DPOOL_MANAGED && pool != D3DPOOL_SYSTEMMEM && pool != D3DPOOL_SCRATCH)
    return D3DERR_INVALIDCALL;
  bool renderTarget = usage & D3DUSAGE_RENDERTARGET;
  bool autogen = usage & D3DUSAGE_AUTOGENMIPMAP;
  bool systemMemory = pool == D3DPOOL_SYSTEMMEM || pool == D3DPOOL_SCRATCH;
  UINT chain = FullChain(width, height);
  if (levels > chain) return D3DERR_INVALIDCALL;
  if (renderTarget && (pool != D3DPOOL_DEFAULT || !info->renderTarget || (usage & D3DUSAGE_DYNAMIC)))
    return D3DERR_INVALIDCALL;
  if (renderTarget && !autogen && levels != 1) return D3DERR_INVALIDCALL;
  if ((usage & D3DUSAGE_DYNAMIC) && pool == D3DPOOL_MANAGED) return D3DERR_INVALIDCALL;
  if (autogen && (info->Compressed() || systemMemory || levels > 1)) return D3DERR_INVALIDCALL;

  UINT visible = autogen ? 1 : (levels == 0 ? chain : levels);
  UINT glLevels = autogen ? chain : visible;
  GlTexture* made = nullptr;
  try {
    made = new GlTexture(core, *info, usage, pool);
    HRESULT hr = made->Build(width, height, visible, glLevels);
    if (FAILED(hr)) {
      made->Release();
      return hr;
    }
  } catch (const std::bad_alloc&) {
    if (made) made->Release();
    return E_OUTOFMEMORY;
  }
  *texture = made;
  return S_OK;
}

HRESULT GlTexture::Build(UINT width, UINT height, UINT visible, UINT glLevels) {
  desc_.Width = width;
  desc_.Height = height;
  visibleLevels_ = visible;
  levels_.resize(glLevels);
  for (UINT i = 0; i < glLevels; ++i) {
    levels_[i].width = std::max(1u, width >> i);
    levels_[i].height = std::max(1u, height >> i);
  }
  for (UINT i = 0; i < visible; ++i) levels_[i].surface = new GlLevelSurface(this, i);
  if (SystemMemory()) {
    for (UINT i = 0; i < visible; ++i) levels_[i].bits.resize(LevelBytes(format_, levels_[i].width, levels_[i].height));
    return S_OK;
  }
  if (!GetCore()->MakeCurrent()) return D3DERR_INVALIDCALL;
  DrainGlErrors();
  glGenTextures(1, &texture_);
  glBindTexture(GL_TEXTURE_2D, texture_);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, GLint(glLevels - 1));
  glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, format_.swizzle);
  for (UINT i = 0; i < glLevels; ++i) {
    GLsizei w = GLsizei(levels_[i].width), h = GLsizei(levels_[i].height);
    if (format_.Compressed())
      glCompressedTexImage2D(GL_TEXTURE_2D, GLint(i), format_.internalFormat, w, h, 0,
                             GLsizei(LevelBytes(format_, levels_[i].width, levels_[i].height)), nullptr);
    else
      glTexImage2D(GL_TEXTURE_2D, GLint(i), GLint(format_.internalFormat), w, h, 0, format_.glFormat, format_.glType,
                   nullptr);
  }
  HRESULT hr = GlErrorResult();
  if (SUCCEEDED(hr) && (desc_.Usage & D3DUSAGE_RENDERTARGET)) {
    // A new render target starts transparent black (opaque without alpha).
    hr = GetCore()->ClearColour(texture_, 0, 0, 0, 0, format_.noAlpha ? 1.0f : 0.0f);
    mipsDirty_ = glLevels > 1;
  }
  return hr;
}

HRESULT GlTexture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
  if (!desc || level >= visibleLevels_) return D3DERR_INVALIDCALL;
  return levels_[level].surface->GetDesc(desc);
}

HRESULT GlTexture::GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) {
  if (!surface || level >= visibleLevels_) return D3DERR_INVALIDCALL;
  levels_[level].surface->AddRef();
  *surface = levels_[level].surface;
  return S_OK;
}

HRESULT GlTexture::LockRect(UINT index, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
  if (!locked || index >= visibleLevels_ || (desc_.Usage & D3DUSAGE_RENDERTARGET)) return D3DERR_INVALIDCALL;
  Level& level = levels_[index];
  if (level.locked) return D3DERR_INVALIDCALL;
  if (!SystemMemory() && !GetCore()->Alive()) return D3DERR_INVALIDCALL;
  RECT area;
  if (!LockArea(rect, level.width, level.height, format_.Compressed(), area)) return D3DERR_INVALIDCALL;
  try {
    // The copy starts zeroed; OpenGL gets the whole level at its first unlock,
    // so the two never disagree outside a partial lock. A level OpenGL holds
    // already is read back (a dropped copy), unless the lock discards it.
    if (level.bits.empty()) {
      level.bits.resize(LevelBytes(format_, level.width, level.height));
      if (level.uploaded && !(flags & D3DLOCK_DISCARD)) {
        HRESULT hr = ReadBack(level, index);
        if (FAILED(hr)) {
          level.bits = {};
          return hr;
        }
      }
    }
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  UINT pitch = RowPitch(format_, level.width);
  size_t offset;
  if (format_.Compressed())
    offset = size_t(area.top / 4) * pitch + size_t(area.left / 4) * format_.blockBytes;
  else
    offset = size_t(area.top) * pitch + size_t(area.left) * format_.bytesPerTexel;
  locked->Pitch = int32_t(pitch);
  locked->pBits = level.bits.data() + offset;
  level.locked = true;
  level.readOnly = (flags & D3DLOCK_READONLY) != 0;
  level.area = area;
  return S_OK;
}

HRESULT GlTexture::UnlockRect(UINT index) {
  if (index >= visibleLevels_ || !levels_[index].locked) return D3DERR_INVALIDCALL;
  Level& level = levels_[index];
  level.locked = false;
  if (SystemMemory()) return S_OK;
  HRESULT hr = level.readOnly ? S_OK : Upload(level, index);
  // A copy that OpenGL does not hold yet (a read-only first lock, a failed
  // upload) stays: it is the level's content.
  if (level.uploaded && !KeepsCopies()) level.bits = {};
  return hr;
}

bool GlTexture::KeepsCopies() const {
  return SystemMemory() || (desc_.Usage & D3DUSAGE_DYNAMIC) || format_.Compressed();
}

HRESULT GlTexture::ReadBack(Level& level, UINT index) {
  if (!texture_ || !GetCore()->MakeCurrent()) return D3DERR_INVALIDCALL;
  DrainGlErrors();
  glBindTexture(GL_TEXTURE_2D, texture_);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glPixelStorei(GL_PACK_ROW_LENGTH, 0);
  glGetTexImage(GL_TEXTURE_2D, GLint(index), format_.glFormat, format_.glType, level.bits.data());
  return GlErrorResult();
}

HRESULT GlTexture::Upload(Level& level, UINT index) {
  if (!texture_ || !GetCore()->MakeCurrent()) return D3DERR_INVALIDCALL;
  DrainGlErrors();
  glBindTexture(GL_TEXTURE_2D, texture_);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  RECT area = level.uploaded ? level.area : RECT{0, 0, int32_t(level.width), int32_t(level.height)};
  if (format_.Compressed()) {
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glCompressedTexSubImage2D(GL_TEXTURE_2D, GLint(index), 0, 0, GLsizei(level.width), GLsizei(level.height),
                              format_.internalFormat, GLsizei(level.bits.size()), level.bits.data());
  } else {
    glPixelStorei(GL_UNPACK_ROW_LENGTH, GLint(level.width));
    size_t offset = (size_t(area.top) * level.width + size_t(area.left)) * format_.bytesPerTexel;
    glTexSubImage2D(GL_TEXTURE_2D, GLint(index), area.left, area.top, area.right - area.left, area.bottom - area.top,
                    format_.glFormat, format_.glType, level.bits.data() + offset);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  }
  HRESULT hr = GlErrorResult();
  if (FAILED(hr)) return hr;
  level.uploaded = true;
  // Generated levels are made when the texture is next sampled: a texture
  // filled in several locks, or never drawn, makes them once or never.
  if (index == 0 && levels_.size() > visibleLevels_) mipsDirty_ = true;
  return hr;
}

void GlTexture::PrepareForSampling() {
  if (!mipsDirty_ || !texture_) return;
  glBindTexture(GL_TEXTURE_2D, texture_);
  if (!GenerateOnCpu()) glGenerateMipmap(GL_TEXTURE_2D);
  mipsDirty_ = false;
}

bool GlTexture::GenerateOnCpu() {
  // Levels of 8-bit channels that halve exactly: the box average of each 2 x 2
  // block, rounded as the driver's own generation rounds it (pairs averaged
  // with halves rounded up, then the two pair averages), so the pixels are
  // the same either way. Rendered textures change on the GPU and stay there.
  if (format_.bytesPerTexel != 4 || format_.Compressed() || (desc_.Usage & D3DUSAGE_RENDERTARGET)) return false;
  for (size_t i = 1; i < levels_.size(); ++i) {
    const Level& above = levels_[i - 1];
    const Level& level = levels_[i];
    if ((above.width > 1 && level.width * 2 != above.width) || (above.height > 1 && level.height * 2 != above.height))
      return false;
  }
  try {
    std::vector<BYTE> from, to;
    const BYTE* source = levels_[0].bits.data();
    if (levels_[0].bits.empty() || levels_[0].locked) {
      // No copy (dropped after its upload), or one being written: OpenGL's
      // level is the one to sample.
      from.resize(LevelBytes(format_, levels_[0].width, levels_[0].height));
      glPixelStorei(GL_PACK_ALIGNMENT, 1);
      glPixelStorei(GL_PACK_ROW_LENGTH, 0);
      glGetTexImage(GL_TEXTURE_2D, 0, format_.glFormat, format_.glType, from.data());
      source = from.data();
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    for (size_t i = 1; i < levels_.size(); ++i) {
      const Level& above = levels_[i - 1];
      to.resize(size_t(levels_[i].width) * levels_[i].height * 4);
      HalveLevel(source, above.width, above.height, to.data());
      glTexSubImage2D(GL_TEXTURE_2D, GLint(i), 0, 0, GLsizei(levels_[i].width), GLsizei(levels_[i].height),
                      format_.glFormat, format_.glType, to.data());
      from.swap(to);
      source = from.data();
    }
  } catch (const std::bad_alloc&) {
    return false;  // the driver makes them instead
  }
  return true;
}

}  // namespace tav::gpu::gl
