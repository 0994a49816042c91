#pragma once
// Textures: an OpenGL texture plus, while a level is locked, a copy of it in
// Direct3D's memory layout, uploaded when the lock ends. Dynamic and
// compressed textures keep their copies between locks (they are locked again
// and again, or are small); the others drop a copy once OpenGL holds it and
// read the level back when it is locked again, so a picture is not kept twice.
// System-memory textures keep only the copy.
#include <memory>
#include <vector>

#include "platform/gpu/D3D9.h"
#include "platform/gpu/RefCounted.h"
#include "platform/gpu/gl/GlCore.h"
#include "platform/gpu/gl/GlFormats.h"
#include "platform/gpu/gl/GlSurface.h"

namespace tav::gpu::gl {

class GlTexture;

// One level of four 8-bit channels to the next smaller one (half each side
// that is above 1): each texel the rounded box average of its 2 x 2 block.
void HalveLevel(const BYTE* from, UINT width, UINT height, BYTE* to);

// One level of a texture as a surface. It lives as long as its texture and
// shares the texture's reference count, as a texture's surfaces do.
class GlLevelSurface final : public GlSurface {
 public:
  GlLevelSurface(GlTexture* texture, UINT level);
  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
  HRESULT UnlockRect() override;
  Core* OwnerCore() const override;
  GLuint ColourTexture() const override;
  GLint ColourLevel() const override { return GLint(level_); }
  BYTE* SystemBits() override;
  void Rendered() override;

 private:
  friend class GlTexture;
  ~GlLevelSurface() override = default;
  GlTexture* texture_;
  UINT level_;
};

class GlTexture final : public RefCounted<IDirect3DTexture9>, public CoreResource {
 public:
  // Validates the arguments as CreateTexture does and makes the texture.
  static HRESULT Create(const std::shared_ptr<Core>& core, int maxSize, bool s3tc, UINT width, UINT height,
                        UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool, GlTexture** texture);

  DWORD GetLevelCount() override { return DWORD(visibleLevels_); }
  HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
  HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) override;
  HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
  HRESULT UnlockRect(UINT level) override;
  void DropGl() override;

  GLuint Name() const { return texture_; }
  bool SystemMemory() const { return desc_.Pool == D3DPOOL_SYSTEMMEM || desc_.Pool == D3DPOOL_SCRATCH; }
  // Brings generated mip-maps up to date before the texture is sampled.
  void PrepareForSampling();
  bool MipsPending() const { return mipsDirty_ && texture_; }

 private:
  friend class GlLevelSurface;
  struct Level {
    UINT width = 0;
    UINT height = 0;
    std::vector<BYTE> bits;  // Direct3D layout; empty while not locked (see KeepsCopies)
    bool locked = false;
    bool readOnly = false;
    bool uploaded = false;  // OpenGL holds this level's content
    RECT area{};
    GlLevelSurface* surface = nullptr;
  };

  GlTexture(std::shared_ptr<Core> core, const FormatInfo& format, DWORD usage, D3DPOOL pool);
  ~GlTexture() override;
  HRESULT Build(UINT width, UINT height, UINT levels, UINT glLevels);
  HRESULT Upload(Level& level, UINT index);
  // Whether level copies stay after their upload.
  bool KeepsCopies() const;
  // Fills a new copy of an uploaded level from OpenGL.
  HRESULT ReadBack(Level& level, UINT index);
  // Makes the generated levels from level 0 on the CPU (the texture is bound);
  // false when the driver must make them.
  bool GenerateOnCpu();

  const FormatInfo& format_;
  D3DSURFACE_DESC desc_;
  std::vector<Level> levels_;
  UINT visibleLevels_ = 0;
  GLuint texture_ = 0;
  bool mipsDirty_ = false;
};

}  // namespace tav::gpu::gl
