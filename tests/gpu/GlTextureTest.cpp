// Textures of the OpenGL device: every format's texels sampled back, locking
// rules, level chains and generated mip-maps.
#include <algorithm>
#include <cstring>

#include "gpu/GlTestSupport.h"
#include "platform/gpu/gl/GlApi.h"
#include "platform/gpu/gl/GlProbe.h"
#include "platform/gpu/gl/GlTexture.h"

namespace tavtest::gl {
namespace {

class GlTexture : public GlTest {
 protected:
  // Samples a texture 1:1 onto an A8R8G8B8 target and returns the pixels.
  std::vector<uint32_t> Sample(IDirect3DTexture9* texture, UINT width, UINT height) {
    Ref<IDirect3DTexture9> targetTexture;
    Ref<IDirect3DSurface9> target;
    MakeTarget(width, height, D3DFMT_A8R8G8B8, targetTexture, target);
    EXPECT_EQ(device_->SetRenderTarget(0, target.Get()), S_OK);
    EXPECT_EQ(device_->SetTexture(0, texture), S_OK);
    EXPECT_EQ(DrawQuad({-0.5f, -0.5f, width - 0.5f, height - 0.5f}), S_OK);
    return ReadTarget(target.Get());
  }
};

TEST_F(GlTexture, EveryFormatSamplesAsItsTexelsSay) {
  struct Case {
    D3DFORMAT format;
    UINT bytes;
    uint32_t texels[2];
    uint32_t expected[2];
  };
  const Case cases[] = {
      {D3DFMT_A8R8G8B8, 4, {0x80112233, 0xFF000000}, {0x80112233, 0xFF000000}},
      {D3DFMT_X8R8G8B8, 4, {0x00445566, 0x12FFFFFF}, {0xFF445566, 0xFFFFFFFF}},
      {D3DFMT_R5G6B5, 2, {0xF800, 0x07FF}, {0xFFFF0000, 0xFF00FFFF}},
      {D3DFMT_A1R5G5B5, 2, {0xFC00, 0x001F}, {0xFFFF0000, 0x000000FF}},
      {D3DFMT_A4R4G4B4, 2, {0xF0F0, 0x8421}, {0xFF00FF00, 0x88442211}},
      {D3DFMT_L8, 1, {0x80, 0xFF}, {0xFF808080, 0xFFFFFFFF}},
      {D3DFMT_A8, 1, {0x80, 0x00}, {0x80000000, 0x00000000}},
      {D3DFMT_A8L8, 2, {0x80FF, 0xFF20}, {0x80FFFFFF, 0xFF202020}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    uint8_t bytes[8];
    std::memcpy(bytes, &c.texels[0], c.bytes);
    std::memcpy(bytes + c.bytes, &c.texels[1], c.bytes);
    Ref<IDirect3DTexture9> texture = MakeTexture(2, 1, c.format, bytes, c.bytes);
    std::vector<uint32_t> pixels = Sample(texture.Get(), 2, 1);
    EXPECT_EQ(pixels[0], c.expected[0]) << std::hex << pixels[0];
    EXPECT_EQ(pixels[1], c.expected[1]) << std::hex << pixels[1];
  }
}

TEST_F(GlTexture, BlockCompressedFormatsUploadWholeBlocks) {
  if (!tav::gpu::gl::Adapter().s3tc) GTEST_SKIP() << "no S3TC";
  // One 4x4 block each: colour 0 red, colour 1 blue, the top row colour 1 and
  // the rest colour 0.
  const uint8_t colourBlock[8] = {0x00, 0xF8, 0x1F, 0x00, 0x55, 0x00, 0x00, 0x00};
  uint8_t dxt1[8], dxt3[16], dxt5[16];
  std::memcpy(dxt1, colourBlock, 8);
  std::memset(dxt3, 0x88, 8);  // explicit alpha 8 of 15 everywhere
  std::memcpy(dxt3 + 8, colourBlock, 8);
  const uint8_t alphaBlock[8] = {0x80, 0x00, 0, 0, 0, 0, 0, 0};  // alpha 0 everywhere
  std::memcpy(dxt5, alphaBlock, 8);
  std::memcpy(dxt5 + 8, colourBlock, 8);
  struct Case {
    D3DFORMAT format;
    const uint8_t* block;
    UINT blockBytes;
    uint32_t alpha;
  };
  const Case cases[] = {{D3DFMT_DXT1, dxt1, 8, 0xFF}, {D3DFMT_DXT3, dxt3, 16, 0x88}, {D3DFMT_DXT5, dxt5, 16, 0x80}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    Ref<IDirect3DTexture9> texture;
    ASSERT_EQ(device_->CreateTexture(8, 4, 1, 0, c.format, D3DPOOL_MANAGED, texture.Out(), nullptr), S_OK);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), S_OK);
    EXPECT_EQ(locked.Pitch, int32_t(2 * c.blockBytes));
    std::memcpy(locked.pBits, c.block, c.blockBytes);
    std::memcpy(static_cast<uint8_t*>(locked.pBits) + c.blockBytes, c.block, c.blockBytes);
    ASSERT_EQ(texture->UnlockRect(0), S_OK);
    // A lock of the second block alone points at it; a rectangle cutting a
    // block is refused.
    RECT second{4, 0, 8, 4}, cut{2, 0, 8, 4};
    ASSERT_EQ(texture->LockRect(0, &locked, &second, D3DLOCK_READONLY), S_OK);
    EXPECT_EQ(std::memcmp(locked.pBits, c.block, c.blockBytes), 0);
    ASSERT_EQ(texture->UnlockRect(0), S_OK);
    EXPECT_EQ(texture->LockRect(0, &locked, &cut, 0), D3DERR_INVALIDCALL);

    std::vector<uint32_t> pixels = Sample(texture.Get(), 8, 4);
    EXPECT_TRUE(Near(pixels[0], (c.alpha << 24) | 0x0000FF)) << std::hex << pixels[0];
    EXPECT_TRUE(Near(pixels[8 + 5], (c.alpha << 24) | 0xFF0000)) << std::hex << pixels[8 + 5];
  }
}

TEST_F(GlTexture, LockingRules) {
  Ref<IDirect3DTexture9> texture;
  ASSERT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, texture.Out(), nullptr), S_OK);
  D3DLOCKED_RECT locked;
  ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), S_OK);
  EXPECT_EQ(locked.Pitch, 16);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch)[x] = 0xFF101010;
  D3DLOCKED_RECT again;
  EXPECT_EQ(texture->LockRect(0, &again, nullptr, 0), D3DERR_INVALIDCALL);
  ASSERT_EQ(texture->UnlockRect(0), S_OK);
  EXPECT_EQ(texture->UnlockRect(0), D3DERR_INVALIDCALL);

  // A partial lock changes only its rectangle.
  RECT area{1, 2, 3, 3};
  ASSERT_EQ(texture->LockRect(0, &locked, &area, 0), S_OK);
  static_cast<uint32_t*>(locked.pBits)[0] = 0xFFFF0000;
  static_cast<uint32_t*>(locked.pBits)[1] = 0xFF00FF00;
  ASSERT_EQ(texture->UnlockRect(0), S_OK);
  // A read-only lock that scribbles uploads nothing.
  ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), S_OK);
  static_cast<uint32_t*>(locked.pBits)[0] = 0xFFFFFFFF;
  ASSERT_EQ(texture->UnlockRect(0), S_OK);
  std::vector<uint32_t> pixels = Sample(texture.Get(), 4, 4);
  EXPECT_EQ(pixels[0], 0xFF101010u);
  EXPECT_EQ(pixels[2 * 4 + 1], 0xFFFF0000u);
  EXPECT_EQ(pixels[2 * 4 + 2], 0xFF00FF00u);
  EXPECT_EQ(pixels[2 * 4 + 3], 0xFF101010u);
  EXPECT_EQ(pixels[1 * 4 + 1], 0xFF101010u);

  for (RECT bad : {RECT{0, 0, 5, 1}, RECT{2, 0, 2, 1}, RECT{-1, 0, 1, 1}, RECT{3, 3, 1, 1}})
    EXPECT_EQ(texture->LockRect(0, &locked, &bad, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(texture->LockRect(1, &locked, nullptr, 0), D3DERR_INVALIDCALL);

  Ref<IDirect3DTexture9> target;
  ASSERT_EQ(device_->CreateTexture(4, 4, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, target.Out(),
                                   nullptr),
            S_OK);
  EXPECT_EQ(target->LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL);
}

TEST_F(GlTexture, LevelChainsAndTheirDescriptions) {
  Ref<IDirect3DTexture9> texture;
  ASSERT_EQ(device_->CreateTexture(16, 4, 0, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, texture.Out(), nullptr), S_OK);
  ASSERT_EQ(texture->GetLevelCount(), 5u);
  D3DSURFACE_DESC desc;
  ASSERT_EQ(texture->GetLevelDesc(4, &desc), S_OK);
  EXPECT_EQ(desc.Width, 1u);
  EXPECT_EQ(desc.Height, 1u);
  ASSERT_EQ(texture->GetLevelDesc(2, &desc), S_OK);
  EXPECT_EQ(desc.Width, 4u);
  EXPECT_EQ(desc.Height, 1u);
  EXPECT_EQ(desc.Format, D3DFMT_R5G6B5);
  EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
  EXPECT_EQ(texture->GetLevelDesc(5, &desc), D3DERR_INVALIDCALL);
  Ref<IDirect3DSurface9> level;
  ASSERT_EQ(texture->GetSurfaceLevel(1, level.Out()), S_OK);
  ASSERT_EQ(level->GetDesc(&desc), S_OK);
  EXPECT_EQ(desc.Width, 8u);
  EXPECT_EQ(desc.Type, D3DRTYPE_SURFACE);
  D3DLOCKED_RECT locked;
  ASSERT_EQ(level->LockRect(&locked, nullptr, 0), S_OK);
  EXPECT_EQ(locked.Pitch, 16);
  EXPECT_EQ(texture->LockRect(1, &locked, nullptr, 0), D3DERR_INVALIDCALL);  // the same level
  ASSERT_EQ(level->UnlockRect(), S_OK);
  // A render target cannot be sampled into a system-memory texture, nor be
  // made of more than one level.
  EXPECT_EQ(device_->CreateTexture(16, 4, 2, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, texture.Out(),
                                   nullptr),
            D3DERR_INVALIDCALL);
}

TEST_F(GlTexture, GeneratedMipMapsFollowLevelZero) {
  Ref<IDirect3DTexture9> texture;
  ASSERT_EQ(device_->CreateTexture(4, 4, 0, D3DUSAGE_AUTOGENMIPMAP, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, texture.Out(),
                                   nullptr),
            S_OK);
  EXPECT_EQ(texture->GetLevelCount(), 1u);
  D3DLOCKED_RECT locked;
  ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), S_OK);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch)[x] =
          (x + y) % 2 ? 0xFFFFFFFF : 0xFF000000;
  ASSERT_EQ(texture->UnlockRect(0), S_OK);
  ASSERT_EQ(device_->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR), S_OK);
  ASSERT_EQ(device_->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_POINT), S_OK);
  // Drawn onto one pixel, the smallest level shows: the checkerboard's grey.
  std::vector<uint32_t> pixels = Sample(texture.Get(), 1, 1);
  EXPECT_TRUE(Near(pixels[0], 0xFF808080, 2)) << std::hex << pixels[0];

  // A render target with generated mip-maps regenerates them after drawing.
  Ref<IDirect3DTexture9> target;
  ASSERT_EQ(device_->CreateTexture(4, 4, 0, D3DUSAGE_RENDERTARGET | D3DUSAGE_AUTOGENMIPMAP, D3DFMT_A8R8G8B8,
                                   D3DPOOL_DEFAULT, target.Out(), nullptr),
            S_OK);
  Ref<IDirect3DSurface9> surface;
  ASSERT_EQ(target->GetSurfaceLevel(0, surface.Out()), S_OK);
  ASSERT_EQ(device_->SetRenderTarget(0, surface.Get()), S_OK);
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0), S_OK);
  pixels = Sample(target.Get(), 1, 1);
  EXPECT_EQ(pixels[0], 0xFF0000FFu);
}

// Generated levels are made on the CPU; they must be the driver's own to the
// bit, or a minified picture would change with the path that made its levels.
TEST_F(GlTexture, GeneratedLevelsAreTheDriversOwnAndLockedLevelsReadBack) {
  namespace gl = tav::gpu::gl;
  constexpr UINT kW = 64, kH = 16;
  std::vector<uint8_t> picture(kW * kH * 4);
  uint32_t seed = 12345;
  for (uint8_t& b : picture) {
    seed = seed * 1103515245u + 12345u;
    // Many extremes, so that halves are rounded often.
    b = (seed >> 24) % 3 == 0 ? uint8_t((seed >> 16) & 1 ? 255 : 0) : uint8_t(seed >> 16);
  }
  for (DWORD usage : {DWORD(D3DUSAGE_AUTOGENMIPMAP), DWORD(D3DUSAGE_AUTOGENMIPMAP | D3DUSAGE_DYNAMIC)}) {
    SCOPED_TRACE(usage);
    Ref<IDirect3DTexture9> texture;
    ASSERT_EQ(device_->CreateTexture(kW, kH, 0, usage, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, texture.Out(), nullptr), S_OK);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), S_OK);
    for (UINT y = 0; y < kH; ++y)
      std::memcpy(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch, &picture[y * kW * 4], kW * 4);
    ASSERT_EQ(texture->UnlockRect(0), S_OK);
    // Read again after the upload: the same bytes, whether kept or read back.
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), S_OK);
    for (UINT y = 0; y < kH; ++y)
      EXPECT_EQ(std::memcmp(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch, &picture[y * kW * 4], kW * 4), 0);
    ASSERT_EQ(texture->UnlockRect(0), S_OK);
    Sample(texture.Get(), kW, kH);  // the first sampling makes the levels

    GLuint reference = 0;
    glGenTextures(1, &reference);
    glBindTexture(GL_TEXTURE_2D, reference);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kW, kH, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, picture.data());
    glGenerateMipmap(GL_TEXTURE_2D);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    // The halving itself, apart from the texture that uses it.
    std::vector<uint8_t> halved(kW * kH), driver(kW * kH);
    gl::HalveLevel(picture.data(), kW, kH, halved.data());
    glGetTexImage(GL_TEXTURE_2D, 1, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, driver.data());
    EXPECT_EQ(halved, driver);
    const GLuint made = static_cast<gl::GlTexture*>(texture.Get())->Name();
    for (GLint level = 1; level <= 6; ++level) {
      SCOPED_TRACE(level);
      const size_t size = size_t(std::max(1u, kW >> level)) * std::max(1u, kH >> level) * 4;
      std::vector<uint8_t> ours(size), theirs(size);
      glBindTexture(GL_TEXTURE_2D, made);
      glGetTexImage(GL_TEXTURE_2D, level, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, ours.data());
      glBindTexture(GL_TEXTURE_2D, reference);
      glGetTexImage(GL_TEXTURE_2D, level, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, theirs.data());
      EXPECT_EQ(ours, theirs);
    }
    glDeleteTextures(1, &reference);
  }
}

TEST_F(GlTexture, CreationRefusesBadArguments) {
  Ref<IDirect3DTexture9> texture;
  auto create = [&](UINT w, UINT h, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool) {
    HRESULT hr = device_->CreateTexture(w, h, levels, usage, format, pool, texture.Out(), nullptr);
    if (FAILED(hr)) {
      EXPECT_FALSE(texture);
    }
    return hr;
  };
  EXPECT_EQ(create(0, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED), D3DERR_INVALIDCALL);
  EXPECT_EQ(create(4, 0, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED), D3DERR_INVALIDCALL);
  D3DCAPS9 caps;
  ASSERT_EQ(device_->GetDeviceCaps(&caps), S_OK);
  EXPECT_EQ(create(caps.MaxTextureWidth + 1, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED), D3DERR_INVALIDCALL);
  EXPECT_EQ(create(4, 4, 1, 0, D3DFMT_A16B16G16R16, D3DPOOL_MANAGED), D3DERR_INVALIDCALL);
  EXPECT_EQ(create(4, 4, 1, 0, D3DFORMAT(12345), D3DPOOL_MANAGED), D3DERR_INVALIDCALL);
  EXPECT_EQ(create(4, 4, 4, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED), D3DERR_INVALIDCALL);  // only 3 levels exist
  EXPECT_EQ(create(4, 4, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED), D3DERR_INVALIDCALL);
  EXPECT_EQ(create(4, 4, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED), D3DERR_INVALIDCALL);
  EXPECT_EQ(create(4, 4, 1, D3DUSAGE_RENDERTARGET, D3DFMT_L8, D3DPOOL_DEFAULT), D3DERR_INVALIDCALL);
  EXPECT_EQ(create(4, 4, 1, D3DUSAGE_DEPTHSTENCIL, D3DFMT_D24S8, D3DPOOL_DEFAULT), D3DERR_INVALIDCALL);
  EXPECT_EQ(create(4, 4, 1, D3DUSAGE_AUTOGENMIPMAP, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM), D3DERR_INVALIDCALL);
  EXPECT_EQ(create(4, 4, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT), S_OK);
  // A system-memory texture is no texture to draw with.
  ASSERT_EQ(create(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM), S_OK);
  EXPECT_EQ(device_->SetTexture(0, texture.Get()), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->SetTexture(16, nullptr), D3DERR_INVALIDCALL);
}

}  // namespace
}  // namespace tavtest::gl
