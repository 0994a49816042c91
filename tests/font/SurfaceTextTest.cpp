// Text drawn through a surface's DC: the formats that take a DC, the lock the
// DC holds, and the pixels TextOutW leaves, on the Direct3D double and on a
// texture of the OpenGL device.
#include <cstring>

#include "font/FontTestSupport.h"
#include "gpu/GlTestSupport.h"
#include "platform/fake/FakeD3D9.h"
#include "platform/fake/FakeFont.h"
#include "platform/font/FontModule.h"

namespace tavtest::font {
namespace {

using tavtest::gl::Ref;

constexpr UINT kW = 96, kH = 40;

struct Pixels {
  std::vector<uint32_t> argb;  // first row first
  uint32_t At(UINT x, UINT y) const { return argb[size_t(y) * kW + x]; }
  int Grey(UINT x, UINT y) const { return int(At(x, y) & 0xFF); }
  // Pixels of the rectangle at most this grey.
  int DarkIn(UINT x0, UINT y0, UINT x1, UINT y1, int grey = 60) const {
    int n = 0;
    for (UINT y = y0; y < y1; ++y)
      for (UINT x = x0; x < x1; ++x) n += Grey(x, y) <= grey;
    return n;
  }
};

Pixels ReadLocked(IDirect3DTexture9* texture) {
  D3DLOCKED_RECT locked;
  Pixels p;
  EXPECT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), S_OK);
  p.argb.resize(size_t(kW) * kH);
  for (UINT y = 0; y < kH; ++y)
    std::memcpy(&p.argb[size_t(y) * kW], static_cast<const BYTE*>(locked.pBits) + size_t(y) * locked.Pitch, kW * 4);
  EXPECT_EQ(texture->UnlockRect(0), S_OK);
  return p;
}

// Mid-grey texels, then "あ T" through the surface's DC at (8, 4) in a 24 px font.
void DrawText(IDirect3DTexture9* texture, LONG height = -24) {
  D3DLOCKED_RECT locked;
  ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), S_OK);
  for (UINT y = 0; y < kH; ++y) std::memset(static_cast<BYTE*>(locked.pBits) + size_t(y) * locked.Pitch, 0x80, kW * 4);
  ASSERT_EQ(texture->UnlockRect(0), S_OK);

  Ref<IDirect3DSurface9> surface;
  ASSERT_EQ(texture->GetSurfaceLevel(0, surface.Out()), S_OK);
  LOGFONTW lf = Logfont(height);
  HFONT font = tav::font::CreateFontIndirectW(&lf);
  ASSERT_NE(font, nullptr);
  HDC dc = nullptr;
  ASSERT_EQ(surface->GetDC(&dc), S_OK);
  ASSERT_NE(dc, nullptr);
  // While the DC is out the surface is locked.
  D3DLOCKED_RECT again;
  EXPECT_EQ(texture->LockRect(0, &again, nullptr, 0), D3DERR_INVALIDCALL);
  HDC second = nullptr;
  EXPECT_EQ(surface->GetDC(&second), D3DERR_INVALIDCALL);
  EXPECT_EQ(tav::font::DeleteDC(dc), FALSE);  // a surface's DC goes back through ReleaseDC
  HGDIOBJ old = tav::font::SelectObject(dc, font);
  EXPECT_TRUE(tav::font::TextOutW(dc, 8, 4, L"あ T", 3));
  tav::font::SelectObject(dc, old);
  EXPECT_EQ(surface->ReleaseDC(nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(surface->ReleaseDC(dc), S_OK);
  EXPECT_EQ(surface->ReleaseDC(dc), D3DERR_INVALIDCALL);
  tav::font::DeleteObject(font);
}

// Ink inside the first em cell and at the "T", white elsewhere in the text
// box, the untouched grey outside it.
void ExpectText(const Pixels& p) {
  EXPECT_GT(p.DarkIn(8, 4, 32, 32), 30);                  // あ
  EXPECT_EQ(p.DarkIn(0, 0, 8, kH), 0);                    // left of the text
  EXPECT_EQ(p.Grey(2, 2), 0x80);                          // background outside the box
  EXPECT_EQ(p.Grey(kW - 2, kH - 2), 0x80);
  EXPECT_EQ(p.Grey(8, kH - 2), 0x80);                     // under the cell
  EXPECT_EQ(p.Grey(8, 4), 0xFF);                          // corner of the box: opaque white
  EXPECT_GT(p.DarkIn(32, 4, 60, 32), 10);                 // T after the space
}

class FakeSurfaceText : public testing::Test {
 protected:
  void SetUp() override {
    const tav::gpu::D3D9Module* module = tav::gpu::LoadD3D9();
    ASSERT_EQ(module->Direct3DCreate9Ex(D3D_SDK_VERSION, d3d_.Out()), S_OK);
    D3DPRESENT_PARAMETERS params{};
    params.BackBufferWidth = 64;
    params.BackBufferHeight = 64;
    params.Windowed = 1;
    params.SwapEffect = D3DSWAPEFFECT_DISCARD;
    params.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    ASSERT_EQ(d3d_->CreateDeviceEx(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING, &params, nullptr,
                                   device_.Out()),
              S_OK);
  }
  Ref<IDirect3DTexture9> Texture(D3DFORMAT format, UINT w = kW, UINT h = kH) {
    Ref<IDirect3DTexture9> t;
    EXPECT_EQ(device_->CreateTexture(w, h, 1, 0, format, D3DPOOL_MANAGED, t.Out(), nullptr), S_OK);
    return t;
  }
  tav::fake::FakeGpu gpu_;
  Ref<IDirect3D9Ex> d3d_;
  Ref<IDirect3DDevice9Ex> device_;
};

TEST_F(FakeSurfaceText, TextOutLeavesBlackTextOnAWhiteBox) {
  Ref<IDirect3DTexture9> texture = Texture(D3DFMT_X8R8G8B8);
  DrawText(texture.Get());
  ExpectText(ReadLocked(texture.Get()));
  EXPECT_EQ(tav::font::FreeTypeFontModule().LiveDCs(), 0u);
}

TEST_F(FakeSurfaceText, OnlyLockableColourFormatsGiveADc) {
  for (D3DFORMAT format : {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_R5G6B5, D3DFMT_A8, D3DFMT_DXT1, D3DFMT_DXT5,
                           D3DFMT_L8, D3DFMT_A4R4G4B4}) {
    SCOPED_TRACE(format);
    Ref<IDirect3DTexture9> texture = Texture(format, 16, 16);
    Ref<IDirect3DSurface9> surface;
    ASSERT_EQ(texture->GetSurfaceLevel(0, surface.Out()), S_OK);
    HDC dc = nullptr;
    bool drawable = format == D3DFMT_X8R8G8B8 || format == D3DFMT_A8R8G8B8 || format == D3DFMT_R5G6B5;
    EXPECT_EQ(surface->GetDC(&dc), drawable ? S_OK : D3DERR_INVALIDCALL);
    if (!drawable) {
      EXPECT_EQ(dc, nullptr);
      // The failed call left the surface unlocked.
      D3DLOCKED_RECT locked;
      EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), S_OK);
      texture->UnlockRect(0);
      continue;
    }
    EXPECT_TRUE(tav::font::TextOutW(dc, 0, 0, L"A", 1));
    EXPECT_EQ(surface->ReleaseDC(dc), S_OK);
  }
  EXPECT_EQ(tav::font::FreeTypeFontModule().LiveDCs(), 0u);
}

TEST_F(FakeSurfaceText, SixteenBitTextIsDarkToo) {
  tav::fake::FakeFont fake;  // solid boxes: the pixel values are known
  Ref<IDirect3DTexture9> texture = Texture(D3DFMT_R5G6B5, 32, 32);
  Ref<IDirect3DSurface9> surface;
  ASSERT_EQ(texture->GetSurfaceLevel(0, surface.Out()), S_OK);
  HDC dc = nullptr;
  ASSERT_EQ(surface->GetDC(&dc), S_OK);
  EXPECT_EQ(fake.LiveDCs(), 1u);
  // The stock font: a 16 px cell with ascent 13 and an em of 14, so an
  // ideograph advances 14 and its ink is 12 x 12 from (1, 1).
  EXPECT_TRUE(tav::font::TextOutW(dc, 0, 0, L"漢", 1));
  EXPECT_EQ(surface->ReleaseDC(dc), S_OK);
  EXPECT_EQ(fake.LiveDCs(), 0u);
  D3DLOCKED_RECT locked;
  ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), S_OK);
  auto texel = [&](UINT x, UINT y) {
    uint16_t v;
    std::memcpy(&v, static_cast<BYTE*>(locked.pBits) + y * locked.Pitch + x * 2, 2);
    return v;
  };
  EXPECT_EQ(texel(0, 0), 0xFFFF);    // the box
  EXPECT_EQ(texel(13, 15), 0xFFFF);  // its last cell pixel
  EXPECT_EQ(texel(14, 0), 0);        // outside it: untouched
  EXPECT_EQ(texel(1, 1), 0);         // ink
  EXPECT_EQ(texel(12, 12), 0);
  EXPECT_EQ(texel(13, 12), 0xFFFF);
  EXPECT_EQ(texel(12, 13), 0xFFFF);
  texture->UnlockRect(0);
}

class GlSurfaceText : public tavtest::gl::GlTest {};

TEST_F(GlSurfaceText, TextOutReachesTheTexture) {
  Ref<IDirect3DTexture9> texture;
  ASSERT_EQ(device_->CreateTexture(kW, kH, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, texture.Out(), nullptr), S_OK);
  DrawText(texture.Get());
  // What the device samples, not only the copy the lock hands out.
  Ref<IDirect3DTexture9> targetTexture;
  Ref<IDirect3DSurface9> target;
  MakeTarget(kW, kH, D3DFMT_A8R8G8B8, targetTexture, target);
  ASSERT_EQ(device_->SetRenderTarget(0, target.Get()), S_OK);
  ASSERT_EQ(device_->SetDepthStencilSurface(nullptr), S_OK);  // the automatic one is narrower than the text
  ASSERT_EQ(device_->SetTexture(0, texture.Get()), S_OK);
  ASSERT_EQ(DrawQuad({-0.5f, -0.5f, kW - 0.5f, kH - 0.5f}), S_OK);
  ExpectText(Pixels{ReadTarget(target.Get())});
  ASSERT_EQ(device_->SetTexture(0, nullptr), S_OK);
}

TEST_F(GlSurfaceText, AlphaOnlyAndCompressedSurfacesRefuse) {
  for (D3DFORMAT format : {D3DFMT_A8, D3DFMT_DXT1, D3DFMT_DXT5}) {
    Ref<IDirect3DTexture9> texture;
    ASSERT_EQ(device_->CreateTexture(16, 16, 1, 0, format, D3DPOOL_MANAGED, texture.Out(), nullptr), S_OK);
    Ref<IDirect3DSurface9> surface;
    ASSERT_EQ(texture->GetSurfaceLevel(0, surface.Out()), S_OK);
    HDC dc = nullptr;
    EXPECT_EQ(surface->GetDC(&dc), D3DERR_INVALIDCALL) << format;
    EXPECT_EQ(dc, nullptr);
  }
}

}  // namespace
}  // namespace tavtest::font
