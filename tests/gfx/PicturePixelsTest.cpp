// Pictures as their authors made them, judged by the pixels on the real
// OpenGL device: a PNG's transparent colour, clean edges when a padded
// picture is drawn scaled, and a picture too large for the device scaled
// down whole.
#include <gtest/gtest.h>

#include "d3dx/ImageBytes.h"
#include "gfx/GlScene.h"
#include "gfx/Quad.h"

namespace {

using tav::CQuad;
using tavtest::Near;

class PicturePixelsTest : public tavtest::GlScene {
 protected:
  void SetUp() override {
    GlScene::SetUp();
    ASSERT_TRUE(Start(256, 160)) << tavtest::ReadErrorLog();
    d3d_->clearColour = 0xFF0000FF;  // blue behind everything
  }

  bool Load(const std::wstring& name, const std::vector<uint8_t>& png) {
    return d3d_->LoadTextureFromMemory(name, png.data(), uint32_t(png.size()), 0);
  }

  // One frame with the texture `name` fitted to its picture at (x, y),
  // stretched `scale` times; the back buffer it leaves.
  std::vector<uint32_t> Draw(const std::wstring& name, float x, float y, float scale = 1) {
    CQuad quad;
    EXPECT_TRUE(quad.Attach(name, d3d_.get()));
    quad.translation = {x, y};
    quad.scale = {scale, scale};
    quad.Update();
    d3d_->BeginFrame();
    EXPECT_TRUE(quad.Draw());
    std::vector<uint32_t> pixels = ReadBack();
    EXPECT_TRUE(d3d_->EndFrame());
    return pixels;
  }
};

TEST_F(PicturePixelsTest, GreyAndRgbPngsWithATransparentColourShowWhatIsBehindIt) {
  // RGB: magenta is the transparent colour.
  const std::vector<uint8_t> rgb = {255, 0, 255, 255, 0, 0, 255, 0, 255, 0, 255, 0};
  ASSERT_TRUE(Load(L"rgb", d3dxtest::WithTransparentColour(d3dxtest::MakePng(4, 1, 3, rgb), {0, 255, 0, 0, 0, 255})));
  // Grey: black is the transparent colour.
  ASSERT_TRUE(Load(L"grey", d3dxtest::WithTransparentColour(d3dxtest::MakePng(2, 1, 1, {0, 200}), {0, 0})));
  std::vector<uint32_t> pixels = Draw(L"rgb", 10, 10);
  EXPECT_EQ(At(pixels, 10, 10), 0x0000FFu) << "the key colour lets the background through";
  EXPECT_EQ(At(pixels, 11, 10), 0xFF0000u);
  EXPECT_EQ(At(pixels, 12, 10), 0x0000FFu);
  EXPECT_EQ(At(pixels, 13, 10), 0x00FF00u);
  pixels = Draw(L"grey", 10, 10);
  EXPECT_EQ(At(pixels, 10, 10), 0x0000FFu);
  EXPECT_EQ(At(pixels, 11, 10), 0xC8C8C8u);
}

TEST_F(PicturePixelsTest, AScaledPictureKeepsItsEdgesWhereItsTextureIsPadded) {
  // 24 x 20 in a 32 x 32 texture, opaque red.
  ASSERT_TRUE(Load(L"red", d3dxtest::MakePng(24, 20, 4, [] {
                     std::vector<uint8_t> texels;
                     for (int i = 0; i < 24 * 20; ++i) texels.insert(texels.end(), {255, 0, 0, 255});
                     return texels;
                   }())));
  // 1:1 the picture lands texel for texel, the background just outside.
  std::vector<uint32_t> pixels = Draw(L"red", 10, 10);
  EXPECT_EQ(At(pixels, 10, 10), 0xFF0000u);
  EXPECT_EQ(At(pixels, 33, 29), 0xFF0000u);
  EXPECT_EQ(At(pixels, 34, 29), 0x0000FFu);
  EXPECT_EQ(At(pixels, 33, 30), 0x0000FFu);
  // Four times as large: 96 x 80 from (40, 40); every edge stays red.
  pixels = Draw(L"red", 10, 10, 4);
  for (auto [x, y] : {std::pair{40, 80}, {135, 80}, {88, 40}, {88, 119}, {40, 40}, {135, 119}})
    EXPECT_TRUE(Near(pixels[size_t(y) * width_ + size_t(x)], 255, 0, 0, 2))
        << x << "," << y << ": " << std::hex << At(pixels, x, y);
  SaveShot(pixels, "scaled-edges.png");
}

TEST_F(PicturePixelsTest, APictureTooLargeForTheDeviceIsScaledDownWhole) {
  d3d_->caps.MaxTextureWidth = 64;
  // 100 x 50: the left half red, the right half blue, the bottom ten rows green.
  std::vector<uint8_t> texels;
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 100; ++x) {
      if (y >= 40)
        texels.insert(texels.end(), {0, 255, 0, 255});
      else if (x < 50)
        texels.insert(texels.end(), {255, 0, 0, 255});
      else
        texels.insert(texels.end(), {0, 0, 255, 255});
    }
  ASSERT_TRUE(Load(L"wide", d3dxtest::MakePng(100, 50, 4, texels)));
  const tav::TextureSize* size = d3d_->GetTextureSize(L"wide");
  ASSERT_NE(size, nullptr);
  EXPECT_FLOAT_EQ(size->imageWidth, 100);
  EXPECT_FLOAT_EQ(size->imageHeight, 50);
  d3d_->clearColour = 0xFF000000;
  const std::vector<uint32_t> pixels = Draw(L"wide", 0, 0);
  EXPECT_TRUE(Near(pixels[20 * width_ + 5], 255, 0, 0, 8)) << std::hex << At(pixels, 5, 20);
  EXPECT_TRUE(Near(pixels[20 * width_ + 95], 0, 0, 255, 8)) << std::hex << At(pixels, 95, 20);
  EXPECT_TRUE(Near(pixels[46 * width_ + 5], 0, 255, 0, 8)) << std::hex << At(pixels, 5, 46);
  EXPECT_TRUE(Near(pixels[46 * width_ + 95], 0, 255, 0, 8)) << std::hex << At(pixels, 95, 46);
  EXPECT_EQ(At(pixels, 100, 20), 0u);
  EXPECT_EQ(At(pixels, 5, 50), 0u);
}

}  // namespace
