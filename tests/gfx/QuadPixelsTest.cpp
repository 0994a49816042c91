// Quads on the real OpenGL device, judged by the pixels they leave: texel for
// texel placement on both draw paths, culling of mirrored quads, tinting.
#include <gtest/gtest.h>

#include "d3dx/ImageBytes.h"
#include "gfx/GlScene.h"
#include "gfx/Quad.h"

namespace {

using tav::CQuad;
using tavtest::Near;

class QuadPixelsTest : public tavtest::GlScene {
 protected:
  void SetUp() override {
    GlScene::SetUp();
    ASSERT_TRUE(Start(64, 32)) << tavtest::ReadErrorLog();
    d3d_->clearColour = 0xFF000000;
    // Four texels: red, green / blue, white.
    const std::vector<uint8_t> texels = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    const std::vector<uint8_t> png = d3dxtest::MakePng(2, 2, 4, texels);
    ASSERT_TRUE(d3d_->LoadTextureFromMemory(L"Four", png.data(), uint32_t(png.size()), 0));
  }
};

TEST_F(QuadPixelsTest, ATextureAtAnIntegerPositionLandsTexelForTexelOnBothPaths) {
  for (bool shaders : {true, false}) {
    SCOPED_TRACE(shaders ? "shader path" : "fixed-function path");
    CQuad quad;
    ASSERT_TRUE(quad.Attach(L"Four", d3d_.get()));
    quad.useShaders = shaders;
    quad.translation = {10, 7};
    quad.Update();
    d3d_->BeginFrame();
    ASSERT_TRUE(quad.Draw());
    const std::vector<uint32_t> pixels = ReadBack();
    ASSERT_TRUE(d3d_->EndFrame());
    ASSERT_FALSE(pixels.empty());
    EXPECT_EQ(At(pixels, 10, 7), 0xFF0000u);
    EXPECT_EQ(At(pixels, 11, 7), 0x00FF00u);
    EXPECT_EQ(At(pixels, 10, 8), 0x0000FFu);
    EXPECT_EQ(At(pixels, 11, 8), 0xFFFFFFu);
    for (auto [x, y] : {std::pair{9, 7}, {12, 7}, {10, 6}, {10, 9}}) EXPECT_EQ(At(pixels, x, y), 0u) << x << "," << y;
  }
}

// Only a quad whose texels fall on whole pixels may be sampled by point; one
// half a pixel off, or scaled, is still filtered, and the next exact quad is
// exact again.
TEST_F(QuadPixelsTest, QuadsOffTheTexelGridAreFilteredLinearly) {
  CQuad off, scaled, exact;
  for (CQuad* q : {&off, &scaled, &exact}) ASSERT_TRUE(q->Attach(L"Four", d3d_.get()));
  off.translation = {10.5f, 7};
  scaled.translation = {30, 4};
  scaled.scale = {4, 4};
  scaled.scaleCentre = {30, 4};
  exact.translation = {50, 7};
  for (CQuad* q : {&off, &scaled, &exact}) q->Update();
  d3d_->BeginFrame();
  for (CQuad* q : {&off, &scaled, &exact}) ASSERT_TRUE(q->Draw());
  const std::vector<uint32_t> pixels = ReadBack();
  ASSERT_TRUE(d3d_->EndFrame());
  ASSERT_FALSE(pixels.empty());
  // Halfway between the red and the green texel.
  EXPECT_TRUE(Near(At(pixels, 11, 7), 0x80, 0x80, 0x00, 2)) << std::hex << At(pixels, 11, 7);
  // Within the scaled red texel's block, the colour moves towards green.
  EXPECT_NE(At(pixels, 33, 5), At(pixels, 31, 5));
  EXPECT_EQ(At(pixels, 50, 7), 0xFF0000u);
  EXPECT_EQ(At(pixels, 51, 8), 0xFFFFFFu);

  // A single texel stretched over a screen samples by point: it filters to itself.
  CQuad plain;
  ASSERT_TRUE(plain.Attach(L"DefaultTex", d3d_.get()));
  plain.scale = {3.5f, 2.25f};
  plain.colours = {0xFF4080C0, 0xFF4080C0, 0xFF4080C0, 0xFF4080C0};
  plain.Update();
  d3d_->BeginFrame();
  ASSERT_TRUE(plain.Draw());
  EXPECT_EQ(d3d_->drawState.filter, tav::DrawStateRecord::kPointFilter);
  EXPECT_EQ(At(ReadBack(), 5, 5), 0x4080C0u);
  ASSERT_TRUE(d3d_->EndFrame());
}

TEST_F(QuadPixelsTest, AQuadMirroredInOneAxisIsCulledAndInBothIsDrawn) {
  struct Case {
    float sx, sy;
    bool drawn;
  };
  for (Case c : {Case{-1, 1, false}, Case{1, -1, false}, Case{-1, -1, true}, Case{1, 1, true}}) {
    SCOPED_TRACE(std::to_string(c.sx) + " " + std::to_string(c.sy));
    CQuad quad;
    quad.Attach(L"DefaultTex", d3d_.get());
    quad.localCorners = {{{0, 0}, {16, 0}, {0, 16}, {16, 16}}};
    quad.translation = {20, 8};
    quad.scale = {c.sx, c.sy};
    quad.scaleCentre = {28, 16};
    quad.colours = {0xFFFF8000, 0xFFFF8000, 0xFFFF8000, 0xFFFF8000};
    quad.Update();
    d3d_->BeginFrame();
    quad.Draw();
    const std::vector<uint32_t> pixels = ReadBack();
    ASSERT_TRUE(d3d_->EndFrame());
    EXPECT_EQ(At(pixels, 28, 16), c.drawn ? 0xFF8000u : 0u);
  }
}

TEST_F(QuadPixelsTest, CornerColoursTintAndBlendByAlpha) {
  d3d_->clearColour = 0xFF0000FF;
  CQuad quad;
  quad.Attach(L"DefaultTex", d3d_.get());
  quad.localCorners = {{{0, 0}, {8, 0}, {0, 8}, {8, 8}}};
  quad.colours.fill(0x80FF0000);
  quad.Update();
  CQuad fixed = quad;
  fixed.useShaders = false;
  fixed.translation = {16, 0};
  fixed.Update();
  d3d_->BeginFrame();
  quad.Draw();
  fixed.Draw();
  const std::vector<uint32_t> pixels = ReadBack();
  ASSERT_TRUE(d3d_->EndFrame());
  EXPECT_TRUE(Near(At(pixels, 4, 4), 128, 0, 127, 2)) << std::hex << At(pixels, 4, 4);
  EXPECT_TRUE(Near(At(pixels, 20, 4), 128, 0, 127, 2)) << std::hex << At(pixels, 20, 4);
}

}  // namespace
