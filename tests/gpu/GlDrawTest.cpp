// Pixels drawn by the OpenGL device: texel placement, culling, blending,
// addressing, texture stages, render targets and the programmable path.
#include <cstring>

#include "gpu/GlTestSupport.h"
#include "platform/gpu/DrawCounters.h"
#include "platform/gpu/ShaderCode.h"
#include "platform/gpu/gl/GlShaders.h"

namespace tavtest::gl {
namespace {

using GlDraw = GlTest;

constexpr uint32_t kBackground = 0xFF202020;
constexpr uint32_t kTexels[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00};

uint32_t At(const std::vector<uint32_t>& pixels, int width, int x, int y) { return pixels[size_t(y) * width + x]; }

TEST_F(GlDraw, PretransformedTexelsLandOnePixelEachWithTheFirstRowOnTop) {
  Ref<IDirect3DTexture9> texture = MakeTexture(2, 2, D3DFMT_A8R8G8B8, kTexels, 4);
  ASSERT_EQ(device_->SetTexture(0, texture.Get()), S_OK);
  for (DWORD filter : {D3DTEXF_POINT, D3DTEXF_LINEAR}) {
    SCOPED_TRACE(filter == D3DTEXF_POINT ? "point" : "linear");
    ASSERT_EQ(device_->SetSamplerState(0, D3DSAMP_MINFILTER, filter), S_OK);
    ASSERT_EQ(device_->SetSamplerState(0, D3DSAMP_MAGFILTER, filter), S_OK);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, kBackground, 1.0f, 0), S_OK);
    ASSERT_EQ(DrawQuad({10 - 0.5f, 5 - 0.5f, 12 - 0.5f, 7 - 0.5f}), S_OK);
    std::vector<uint32_t> pixels = ReadBackBuffer();
    EXPECT_EQ(At(pixels, kWidth, 10, 5), kTexels[0]);
    EXPECT_EQ(At(pixels, kWidth, 11, 5), kTexels[1]);
    EXPECT_EQ(At(pixels, kWidth, 10, 6), kTexels[2]);
    EXPECT_EQ(At(pixels, kWidth, 11, 6), kTexels[3]);
    for (auto [x, y] : {std::pair{9, 5}, {12, 5}, {10, 4}, {10, 7}, {12, 7}, {9, 4}})
      EXPECT_EQ(At(pixels, kWidth, x, y), kBackground) << x << "," << y;
  }
  // Scaled up by two with point filtering, each texel covers a 2x2 block.
  ASSERT_EQ(device_->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT), S_OK);
  ASSERT_EQ(device_->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT), S_OK);
  ASSERT_EQ(DrawQuad({-0.5f, -0.5f, 3.5f, 3.5f}), S_OK);
  std::vector<uint32_t> pixels = ReadBackBuffer();
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(At(pixels, kWidth, x, y), kTexels[(y / 2) * 2 + x / 2]) << x << "," << y;
}

// Draws that share their state reach OpenGL as one draw and blend exactly as
// the separate draws do; a texture changed between two draws, or a state
// change, splits them; an identical frame uploads nothing again.
TEST_F(GlDraw, BatchedDrawsKeepTheirOrderAndWhatEachSaw) {
  Ref<IDirect3DTexture9> texture = MakeTexture(2, 2, D3DFMT_A8R8G8B8, kTexels, 4);
  const uint32_t changed[4] = {0xFF808080, 0xFF808080, 0xFF808080, 0xFF808080};
  auto fill = [&](const uint32_t (&texels)[4]) {
    D3DLOCKED_RECT locked;
    EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), S_OK);
    for (int y = 0; y < 2; ++y)
      std::memcpy(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch, &texels[y * 2], 8);
    return texture->UnlockRect(0);
  };
  auto frame = [&](bool batched) {
    EXPECT_TRUE(tav::gpu::SetDrawBatching(device_.Get(), batched));
    EXPECT_EQ(device_->SetRenderState(D3DRS_ALPHABLENDENABLE, 1), S_OK);
    EXPECT_EQ(device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA), S_OK);
    EXPECT_EQ(device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA), S_OK);
    EXPECT_EQ(device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE), S_OK);
    EXPECT_EQ(device_->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE), S_OK);
    EXPECT_EQ(fill(kTexels), S_OK);
    EXPECT_EQ(device_->SetTexture(0, texture.Get()), S_OK);
    EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, kBackground, 1.0f, 0), S_OK);
    EXPECT_EQ(device_->BeginScene(), S_OK);
    // Three overlapping half-transparent quads, then the texture changes
    // under the same binding, then one more quad and a state change.
    for (const Quad& q : {Quad{1.5f, 1.5f, 9.5f, 9.5f, 0x80FFFFFF}, Quad{5.5f, 3.5f, 13.5f, 11.5f, 0x80FF8000},
                          Quad{3.5f, 7.5f, 11.5f, 15.5f, 0xC00080FF}}) {
      std::vector<Vertex> v = Corners(q);
      EXPECT_EQ(device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, kClockwise, D3DFMT_INDEX16, v.data(),
                                                sizeof(Vertex)),
                S_OK);
    }
    EXPECT_EQ(fill(changed), S_OK);
    std::vector<Vertex> v = Corners({7.5f, 7.5f, 19.5f, 19.5f, 0x80FFFFFF});
    EXPECT_EQ(device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, kClockwise, D3DFMT_INDEX16, v.data(),
                                              sizeof(Vertex)),
              S_OK);
    EXPECT_EQ(device_->SetRenderState(D3DRS_ALPHABLENDENABLE, 0), S_OK);
    v = Corners({17.5f, 17.5f, 23.5f, 23.5f, 0x80FFFFFF});
    EXPECT_EQ(device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, kClockwise, D3DFMT_INDEX16, v.data(),
                                              sizeof(Vertex)),
              S_OK);
    EXPECT_EQ(device_->EndScene(), S_OK);
    std::vector<uint32_t> pixels = ReadBackBuffer();
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
    return pixels;
  };
  auto counted = [&](bool batched, tav::gpu::DrawCounters& counters) {
    tav::gpu::DrawCounters before, after;
    EXPECT_TRUE(tav::gpu::ReadDrawCounters(device_.Get(), before));
    std::vector<uint32_t> pixels = frame(batched);
    EXPECT_TRUE(tav::gpu::ReadDrawCounters(device_.Get(), after));
    counters = after - before;
    return pixels;
  };
  tav::gpu::DrawCounters alone, first, again;
  const std::vector<uint32_t> unbatched = counted(false, alone);
  const std::vector<uint32_t> batched = counted(true, first);
  EXPECT_EQ(batched, unbatched);
  // The overlap of the first three shows the old texels, the fourth quad the new ones.
  EXPECT_NE(At(batched, kWidth, 6, 6), At(batched, kWidth, 18, 18));
  EXPECT_EQ(alone.drawCalls, 5u);
  EXPECT_EQ(first.draws, 5u);
  EXPECT_EQ(first.drawCalls, 3u);
  EXPECT_EQ(counted(true, again), unbatched);
  EXPECT_EQ(again.uploads, 0u);
  EXPECT_LT(again.stateChanges, first.stateChanges);
  EXPECT_LT(first.stateChanges, alone.stateChanges);
}

TEST_F(GlDraw, CullClockwiseRemovesQuadsMirroredInOneAxis) {
  auto drawn = [&](Quad quad, const uint16_t* indices) {
    EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, kBackground, 1.0f, 0), S_OK);
    quad.colour = 0xFFFFFFFF;
    EXPECT_EQ(DrawQuad(quad, indices), S_OK);
    return At(ReadBackBuffer(), kWidth, 20, 20) == 0xFFFFFFFF;
  };
  Quad upright{9.5f, 9.5f, 29.5f, 29.5f};
  Quad mirroredX{29.5f, 9.5f, 9.5f, 29.5f};
  Quad mirroredY{9.5f, 29.5f, 29.5f, 9.5f};
  Quad mirroredBoth{29.5f, 29.5f, 9.5f, 9.5f};

  ASSERT_EQ(device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW), S_OK);
  EXPECT_TRUE(drawn(upright, kCounterClockwise));
  EXPECT_FALSE(drawn(mirroredX, kCounterClockwise));
  EXPECT_FALSE(drawn(mirroredY, kCounterClockwise));
  EXPECT_TRUE(drawn(mirroredBoth, kCounterClockwise));
  EXPECT_FALSE(drawn(upright, kClockwise));

  ASSERT_EQ(device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW), S_OK);
  EXPECT_TRUE(drawn(upright, kClockwise));
  EXPECT_FALSE(drawn(upright, kCounterClockwise));
  EXPECT_TRUE(drawn(mirroredX, kCounterClockwise));

  ASSERT_EQ(device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE), S_OK);
  EXPECT_TRUE(drawn(mirroredX, kCounterClockwise));
  EXPECT_TRUE(drawn(upright, kCounterClockwise));
}

TEST_F(GlDraw, AlphaBlendingMixesSourceOverDestination) {
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0), S_OK);
  ASSERT_EQ(device_->SetRenderState(D3DRS_ALPHABLENDENABLE, 1), S_OK);
  ASSERT_EQ(device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA), S_OK);
  ASSERT_EQ(device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA), S_OK);
  // Without a texture the stage reads opaque white: alpha comes from diffuse
  // only when the stage modulates it.
  ASSERT_EQ(device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE), S_OK);
  Quad quad{-0.5f, -0.5f, 7.5f, 7.5f, 0x40FF0000};
  ASSERT_EQ(DrawQuad(quad), S_OK);
  // Reverse subtraction takes the source from the destination instead.
  ASSERT_EQ(device_->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_REVSUBTRACT), S_OK);
  ASSERT_EQ(device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE), S_OK);
  ASSERT_EQ(device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE), S_OK);
  ASSERT_EQ(DrawQuad({19.5f, -0.5f, 27.5f, 7.5f, 0xFF000040}), S_OK);
  std::vector<uint32_t> pixels = ReadBackBuffer();
  // 0x40 / 255 of red over blue.
  EXPECT_TRUE(Near(At(pixels, kWidth, 3, 3), 0xFF4000BF)) << std::hex << At(pixels, kWidth, 3, 3);
  EXPECT_EQ(At(pixels, kWidth, 23, 3), 0xFF0000BFu);
  EXPECT_EQ(At(pixels, kWidth, 12, 3), 0xFF0000FFu);
}

TEST_F(GlDraw, AddressModesOutsideZeroToOne) {
  const uint32_t a = 0xFFFF0000, b = 0xFF0000FF, border = 0xFF00FF00;
  const uint32_t texels[2] = {a, b};
  Ref<IDirect3DTexture9> texture = MakeTexture(2, 1, D3DFMT_A8R8G8B8, texels, 4);
  ASSERT_EQ(device_->SetTexture(0, texture.Get()), S_OK);
  ASSERT_EQ(device_->SetSamplerState(0, D3DSAMP_BORDERCOLOR, border), S_OK);
  struct Case {
    DWORD mode;
    uint32_t expected[6];
  };
  // Six pixels over u from -1 to 2: texel coordinates -1.5, -0.5, ... 3.5.
  const Case cases[] = {
      {D3DTADDRESS_WRAP, {a, b, a, b, a, b}},
      {D3DTADDRESS_CLAMP, {a, a, a, b, b, b}},
      {D3DTADDRESS_MIRROR, {b, a, a, b, b, a}},
      {D3DTADDRESS_BORDER, {border, border, a, b, border, border}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    ASSERT_EQ(device_->SetSamplerState(0, D3DSAMP_ADDRESSU, c.mode), S_OK);
    ASSERT_EQ(DrawQuad({-0.5f, -0.5f, 5.5f, 0.5f, 0xFFFFFFFF, -1, 0, 2, 1}), S_OK);
    std::vector<uint32_t> pixels = ReadBackBuffer();
    for (int x = 0; x < 6; ++x) EXPECT_EQ(At(pixels, kWidth, x, 0), c.expected[x]) << x;
  }
}

TEST_F(GlDraw, TextureStagesCombineTextureAndDiffuse) {
  const uint32_t texel = 0xFF80FF40;
  Ref<IDirect3DTexture9> texture = MakeTexture(1, 1, D3DFMT_A8R8G8B8, &texel, 4);
  const uint32_t diffuse = 0xFF8080FF;
  auto draw = [&](IDirect3DTexture9* t) {
    EXPECT_EQ(device_->SetTexture(0, t), S_OK);
    EXPECT_EQ(DrawQuad({-0.5f, -0.5f, 3.5f, 3.5f, diffuse}), S_OK);
    return At(ReadBackBuffer(), kWidth, 1, 1);
  };
  // Untextured, the default stage shows the vertex colour.
  EXPECT_EQ(draw(nullptr), diffuse);
  // Textured, the default stage modulates.
  EXPECT_TRUE(Near(draw(texture.Get()), 0xFF408040)) << std::hex << draw(texture.Get());
  ASSERT_EQ(device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1), S_OK);
  EXPECT_EQ(draw(texture.Get()), texel);
  ASSERT_EQ(device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2), S_OK);
  EXPECT_EQ(draw(texture.Get()), diffuse);
  ASSERT_EQ(device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_DISABLE), S_OK);
  EXPECT_EQ(draw(texture.Get()), diffuse);
}

// Each stage set-up draws through a program of its own: switching between
// set-ups, and back, must give each its own result.
TEST_F(GlDraw, TextureStagesCascadeThroughModifiersAndSwitchBack) {
  const uint32_t texel = 0x80FF8040;  // half-transparent
  Ref<IDirect3DTexture9> texture = MakeTexture(1, 1, D3DFMT_A8R8G8B8, &texel, 4);
  ASSERT_EQ(device_->SetTexture(0, texture.Get()), S_OK);
  auto draw = [&] {
    EXPECT_EQ(DrawQuad({-0.5f, -0.5f, 3.5f, 3.5f, 0xFF8080FF}), S_OK);
    return At(ReadBackBuffer(), kWidth, 1, 1) & 0xFFFFFF;
  };
  auto stage = [&](DWORD i, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
    ASSERT_EQ(device_->SetTextureStageState(i, type, value), S_OK);
  };
  const uint32_t modulated = draw();
  EXPECT_TRUE(Near(modulated, 0x804040)) << std::hex << modulated;
  // A second stage: the complement of what the first left.
  stage(1, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  stage(1, D3DTSS_COLORARG1, D3DTA_CURRENT | D3DTA_COMPLEMENT);
  EXPECT_TRUE(Near(draw(), 0x7FBFBF)) << std::hex << draw();
  // The texture's alpha spread over the colour; a second stage without a
  // texture reads white.
  stage(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  stage(0, D3DTSS_COLORARG1, D3DTA_TEXTURE | D3DTA_ALPHAREPLICATE);
  stage(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
  stage(1, D3DTSS_COLORARG1, D3DTA_CURRENT);
  stage(1, D3DTSS_COLORARG2, D3DTA_TEXTURE);
  EXPECT_TRUE(Near(draw(), 0x808080)) << std::hex << draw();
  // Back to the first set-up.
  stage(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  stage(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  stage(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  EXPECT_EQ(draw(), modulated);
}

TEST_F(GlDraw, DepthTestAndDepthWritesFollowTheRenderStates) {
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBackground, 1.0f, 0), S_OK);
  ASSERT_EQ(device_->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE), S_OK);
  Quad nearQuad{-0.5f, -0.5f, 7.5f, 7.5f, 0xFFFF0000};
  nearQuad.z = 0.25f;
  Quad farQuad{-0.5f, -0.5f, 7.5f, 7.5f, 0xFF00FF00};
  farQuad.z = 0.75f;
  ASSERT_EQ(DrawQuad(nearQuad), S_OK);
  ASSERT_EQ(DrawQuad(farQuad), S_OK);
  EXPECT_EQ(At(ReadBackBuffer(), kWidth, 2, 2), 0xFFFF0000u);
  ASSERT_EQ(device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE), S_OK);
  ASSERT_EQ(DrawQuad(farQuad), S_OK);
  EXPECT_EQ(At(ReadBackBuffer(), kWidth, 2, 2), 0xFF00FF00u);
}

TEST_F(GlDraw, ClearRectanglesAreClippedToTheViewport) {
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, kBackground, 1.0f, 0), S_OK);
  D3DVIEWPORT9 viewport{4, 4, 8, 8, 0, 1};
  ASSERT_EQ(device_->SetViewport(&viewport), S_OK);
  D3DRECT rects[2] = {{0, 0, 6, 6}, {10, 10, 40, 40}};
  ASSERT_EQ(device_->Clear(2, rects, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0), S_OK);
  std::vector<uint32_t> pixels = ReadBackBuffer();
  EXPECT_EQ(At(pixels, kWidth, 3, 3), kBackground);
  EXPECT_EQ(At(pixels, kWidth, 4, 4), 0xFFFFFFFFu);
  EXPECT_EQ(At(pixels, kWidth, 5, 5), 0xFFFFFFFFu);
  EXPECT_EQ(At(pixels, kWidth, 6, 6), kBackground);
  EXPECT_EQ(At(pixels, kWidth, 11, 11), 0xFFFFFFFFu);
  EXPECT_EQ(At(pixels, kWidth, 12, 12), kBackground);
  // Pre-transformed vertices are in target pixels whatever the viewport.
  ASSERT_EQ(DrawQuad({2.5f, 2.5f, 5.5f, 5.5f, 0xFF0000FF}), S_OK);
  pixels = ReadBackBuffer();
  EXPECT_EQ(At(pixels, kWidth, 3, 3), kBackground);  // outside the viewport
  EXPECT_EQ(At(pixels, kWidth, 4, 4), 0xFF0000FFu);
  EXPECT_EQ(At(pixels, kWidth, 5, 5), 0xFF0000FFu);
}

using GlRenderTarget = GlTest;

TEST_F(GlRenderTarget, TextureTargetWithDepthKeepsItsFirstRowOnTop) {
  Ref<IDirect3DTexture9> texture;
  Ref<IDirect3DSurface9> target;
  MakeTarget(32, 16, D3DFMT_A8R8G8B8, texture, target);
  Ref<IDirect3DSurface9> depth;
  ASSERT_EQ(device_->CreateDepthStencilSurface(32, 16, D3DFMT_D24S8, D3DMULTISAMPLE_NONE, 0, 0, depth.Out(), nullptr),
            S_OK);
  ASSERT_EQ(device_->SetRenderTarget(0, target.Get()), S_OK);
  ASSERT_EQ(device_->SetDepthStencilSurface(depth.Get()), S_OK);
  D3DVIEWPORT9 viewport;
  ASSERT_EQ(device_->GetViewport(&viewport), S_OK);
  EXPECT_EQ(viewport.Width, 32u);
  EXPECT_EQ(viewport.Height, 16u);

  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xFF000000, 1.0f, 0),
            S_OK);
  ASSERT_EQ(device_->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE), S_OK);
  Quad top{-0.5f, -0.5f, 31.5f, 3.5f, 0xFFFF0000};
  top.z = 0.25f;
  Quad behind{-0.5f, -0.5f, 31.5f, 7.5f, 0xFF00FF00};
  behind.z = 0.5f;
  ASSERT_EQ(DrawQuad(top), S_OK);
  ASSERT_EQ(DrawQuad(behind), S_OK);
  std::vector<uint32_t> pixels = ReadTarget(target.Get());
  ASSERT_EQ(pixels.size(), 32u * 16u);
  EXPECT_EQ(At(pixels, 32, 0, 0), 0xFFFF0000u);
  EXPECT_EQ(At(pixels, 32, 31, 3), 0xFFFF0000u);
  EXPECT_EQ(At(pixels, 32, 5, 4), 0xFF00FF00u);
  EXPECT_EQ(At(pixels, 32, 5, 7), 0xFF00FF00u);
  EXPECT_EQ(At(pixels, 32, 5, 8), 0xFF000000u);

  // Sampled onto the back buffer, the target shows the same way up.
  Ref<IDirect3DSurface9> back;
  ASSERT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.Out()), S_OK);
  ASSERT_EQ(device_->SetRenderTarget(0, back.Get()), S_OK);
  ASSERT_EQ(device_->SetDepthStencilSurface(nullptr), S_OK);
  ASSERT_EQ(device_->SetTexture(0, texture.Get()), S_OK);
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, kBackground, 1.0f, 0), S_OK);
  ASSERT_EQ(DrawQuad({-0.5f, -0.5f, 31.5f, 15.5f}), S_OK);
  pixels = ReadBackBuffer();
  EXPECT_EQ(At(pixels, kWidth, 0, 0), 0xFFFF0000u);
  EXPECT_EQ(At(pixels, kWidth, 0, 5), 0xFF00FF00u);
  EXPECT_EQ(At(pixels, kWidth, 0, 10), 0xFF000000u);
  EXPECT_EQ(At(pixels, kWidth, 40, 0), kBackground);
}

TEST_F(GlRenderTarget, EachTargetFormatReadsBackInItsMemoryLayout) {
  struct Case {
    D3DFORMAT format;
    D3DCOLOR clear;
    uint32_t expected;  // the first texel as stored
    UINT bytes;
  };
  const Case cases[] = {
      {D3DFMT_A8R8G8B8, 0x80FF4020, 0x80FF4020, 4}, {D3DFMT_X8R8G8B8, 0x00FF4020, 0xFFFF4020, 4},
      {D3DFMT_R5G6B5, 0xFFFF0000, 0xF800, 2},       {D3DFMT_A1R5G5B5, 0xFF00FF00, 0x83E0, 2},
      {D3DFMT_A4R4G4B4, 0xFF0000FF, 0xF00F, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    Ref<IDirect3DTexture9> texture;
    Ref<IDirect3DSurface9> target;
    MakeTarget(4, 2, c.format, texture, target);
    ASSERT_EQ(device_->SetRenderTarget(0, target.Get()), S_OK);
    ASSERT_EQ(device_->SetDepthStencilSurface(nullptr), S_OK);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, c.clear, 1.0f, 0), S_OK);
    Ref<IDirect3DTexture9> copy;
    ASSERT_EQ(device_->CreateTexture(4, 2, 1, 0, c.format, D3DPOOL_SYSTEMMEM, copy.Out(), nullptr), S_OK);
    Ref<IDirect3DSurface9> copySurface;
    ASSERT_EQ(copy->GetSurfaceLevel(0, copySurface.Out()), S_OK);
    ASSERT_EQ(device_->GetRenderTargetData(target.Get(), copySurface.Get()), S_OK);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(copy->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), S_OK);
    uint32_t first = 0, last = 0;
    const uint8_t* bits = static_cast<const uint8_t*>(locked.pBits);
    std::memcpy(&first, bits, c.bytes);
    std::memcpy(&last, bits + locked.Pitch + 3 * c.bytes, c.bytes);
    EXPECT_EQ(first, c.expected);
    EXPECT_EQ(last, c.expected);
    ASSERT_EQ(copy->UnlockRect(0), S_OK);
  }
}

// The programmable path, fed the way the shader compiler feeds it.
class GlShaderPath : public GlTest {
 protected:
  struct ShaderVertex {
    float x, y, z;
    uint32_t colour;
    float u, v;
  };

  static std::vector<DWORD> VertexCode() {
    tav::gpu::ShaderCode code;
    code.vertex = true;
    code.inputs = {{D3DDECLUSAGE_POSITION, 0, 0}, {D3DDECLUSAGE_COLOR, 0, 1}, {D3DDECLUSAGE_TEXCOORD, 0, 2}};
    code.glsl = std::string(
                    "#version 410 core\n"
                    "layout(location = 0) in vec3 in_Position;\n"
                    "layout(location = 1) in vec4 in_Colour;\n"
                    "layout(location = 2) in vec2 in_TexCoord;\n"
                    "uniform vec4 tav_PosFixup;\n"
                    "layout(location = 0) out vec4 v_Colour;\n"
                    "layout(location = 1) out vec2 v_TexCoord;\n"
                    "void main() {\n"
                    "    gl_Position = vec4(in_Position, 1.0);\n"
                    "    v_Colour = in_Colour;\n"
                    "    v_TexCoord = in_TexCoord;\n") +
                tav::gpu::kPositionFixupGlsl + "}\n";
    return tav::gpu::EncodeShaderCode(code);
  }

  static std::vector<DWORD> PixelCode(const std::string& body) {
    tav::gpu::ShaderCode code;
    code.vertex = false;
    code.samplers = {{"tex0", 0}};
    code.glsl =
        "#version 410 core\n"
        "uniform sampler2D tex0;\n"
        "layout(location = 0) in vec4 v_Colour;\n"
        "layout(location = 1) in vec2 v_TexCoord;\n"
        "layout(location = 0) out vec4 o_Colour;\n"
        "void main() {\n" +
        body + "}\n";
    return tav::gpu::EncodeShaderCode(code);
  }

  // A quad given in Direct3D clip space from its pixel corners.
  std::vector<ShaderVertex> ClipQuad(const Quad& q) const {
    auto x = [](float px) { return px / kWidth * 2.0f - 1.0f; };
    auto y = [](float py) { return 1.0f - py / kHeight * 2.0f; };
    return {{x(q.x0), y(q.y0), 0.5f, q.colour, q.u0, q.v0},
            {x(q.x1), y(q.y0), 0.5f, q.colour, q.u1, q.v0},
            {x(q.x0), y(q.y1), 0.5f, q.colour, q.u0, q.v1},
            {x(q.x1), y(q.y1), 0.5f, q.colour, q.u1, q.v1}};
  }
};

TEST_F(GlShaderPath, QuadDrawsTheSameAsTheFixedPath) {
  Ref<IDirect3DTexture9> texture = MakeTexture(2, 2, D3DFMT_A8R8G8B8, kTexels, 4);
  ASSERT_EQ(device_->SetTexture(0, texture.Get()), S_OK);
  const Quad quad{10 - 0.5f, 5 - 0.5f, 14 - 0.5f, 9 - 0.5f, 0xFF80FFFF};
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, kBackground, 1.0f, 0), S_OK);
  ASSERT_EQ(DrawQuad(quad), S_OK);
  std::vector<uint32_t> fixed = ReadBackBuffer();

  std::vector<DWORD> vertexCode = VertexCode();
  std::vector<DWORD> pixelCode = PixelCode("    o_Colour = texture(tex0, v_TexCoord) * v_Colour;\n");
  Ref<IDirect3DVertexShader9> vs;
  Ref<IDirect3DPixelShader9> ps;
  ASSERT_EQ(device_->CreateVertexShader(vertexCode.data(), vs.Out()), S_OK) << tav::gpu::gl::LastShaderLog();
  ASSERT_EQ(device_->CreatePixelShader(pixelCode.data(), ps.Out()), S_OK) << tav::gpu::gl::LastShaderLog();
  const D3DVERTEXELEMENT9 elements[] = {
      {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
      {0, 12, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
      {0, 16, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
      D3DDECL_END()};
  Ref<IDirect3DVertexDeclaration9> declaration;
  ASSERT_EQ(device_->CreateVertexDeclaration(elements, declaration.Out()), S_OK);
  ASSERT_EQ(device_->SetVertexDeclaration(declaration.Get()), S_OK);
  ASSERT_EQ(device_->SetVertexShader(vs.Get()), S_OK);
  ASSERT_EQ(device_->SetPixelShader(ps.Get()), S_OK);
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, kBackground, 1.0f, 0), S_OK);
  std::vector<ShaderVertex> vertices = ClipQuad(quad);
  ASSERT_EQ(device_->BeginScene(), S_OK);
  ASSERT_EQ(device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, kClockwise, D3DFMT_INDEX16, vertices.data(),
                                            sizeof(ShaderVertex)),
            S_OK);
  ASSERT_EQ(device_->EndScene(), S_OK);
  std::vector<uint32_t> programmable = ReadBackBuffer();
  EXPECT_EQ(At(programmable, kWidth, 10, 5), 0xFF800000u);
  for (size_t i = 0; i < fixed.size(); ++i)
    ASSERT_TRUE(Near(programmable[i], fixed[i])) << "pixel " << i % kWidth << "," << i / kWidth;

  // Setting the FVF goes back to the built-in program.
  ASSERT_EQ(device_->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1), S_OK);
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, kBackground, 1.0f, 0), S_OK);
  ASSERT_EQ(DrawQuad(quad), S_OK);
  EXPECT_EQ(ReadBackBuffer(), fixed);
}

TEST_F(GlShaderPath, BadShadersAreRefusedWithTheirLog) {
  std::vector<DWORD> pixelCode = PixelCode("    o_Colour = undefined_thing;\n");
  Ref<IDirect3DPixelShader9> ps;
  EXPECT_EQ(device_->CreatePixelShader(pixelCode.data(), ps.Out()), D3DERR_INVALIDCALL);
  EXPECT_FALSE(ps);
  EXPECT_NE(tav::gpu::gl::LastShaderLog().find("undefined_thing"), std::string::npos)
      << tav::gpu::gl::LastShaderLog();
  // A pixel shader's code is not a vertex shader, and text of another form is
  // no shader at all.
  std::vector<DWORD> good = PixelCode("    o_Colour = v_Colour;\n");
  Ref<IDirect3DVertexShader9> vs;
  EXPECT_EQ(device_->CreateVertexShader(good.data(), vs.Out()), D3DERR_INVALIDCALL);
  const DWORD junk[] = {0x12345678, 0};
  EXPECT_EQ(device_->CreatePixelShader(junk, ps.Out()), D3DERR_INVALIDCALL);
  // A shader path without a pixel shader cannot draw.
  std::vector<DWORD> vertexCode = VertexCode();
  ASSERT_EQ(device_->CreateVertexShader(vertexCode.data(), vs.Out()), S_OK);
  ASSERT_EQ(device_->SetVertexShader(vs.Get()), S_OK);
  EXPECT_EQ(DrawQuad({0, 0, 4, 4}), D3DERR_INVALIDCALL);
}

}  // namespace
}  // namespace tavtest::gl
