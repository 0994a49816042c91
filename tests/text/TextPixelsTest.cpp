// Real text on the real device: glyphs from the system's fonts rasterised into
// text textures and drawn by quads, judged by the pixels on screen. With
// TAVRI_SCREENSHOT_DIR set, a scene of quads and text is written there.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>

#include "app/RenderStates.h"
#include "d3dx/ImageBytes.h"
#include "gfx/GlScene.h"
#include "gfx/Quad.h"
#include "text/Font.h"
#include "text/TexString.h"

namespace {

using tav::CQuad;

class TextPixelsTest : public tavtest::GlScene {
 protected:
  // `line` as the texture `name` at `size` pixels; the object keeps the glyphs.
  CTexString& Text(const std::wstring& name, const std::wstring& line, int size) {
    texts_.push_back(std::make_unique<CTexString>(d3d_.get()));
    EXPECT_TRUE(tav::Rasterise(line, d3d_.get(), *texts_.back(), name, tav::TextFont(size)))
        << tavtest::ReadErrorLog();
    return *texts_.back();
  }
  // Pixels brighter than the clear colour inside [x0, x1) x [y0, y1).
  static int Ink(const std::vector<uint32_t>& pixels, UINT width, int x0, int y0, int x1, int y1) {
    int count = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) count += (pixels[size_t(y) * width + size_t(x)] & 0xFF) > 0x60;
    return count;
  }

  std::vector<std::unique_ptr<CTexString>> texts_;
};

TEST_F(TextPixelsTest, JapaneseGlyphsHaveInkInTheirOwnCells) {
  ASSERT_TRUE(Start(320, 96)) << tavtest::ReadErrorLog();
  d3d_->clearColour = 0xFF000000;
  const std::wstring kana = L"あいう";
  const std::wstring mixed = L"漢字とかなABCg";
  CTexString& first = Text(L"kana", kana, 32);
  CTexString& second = Text(L"mixed", mixed, 24);
  // Full-width glyphs advance by about the character height.
  for (const GLYPHMETRICS& m : first.glyphMetrics) {
    EXPECT_GE(m.gmCellIncX, 28);
    EXPECT_LE(m.gmCellIncX, 36);
  }
  tav::CFont kanaSprite, mixedSprite;
  ASSERT_TRUE(kanaSprite.Bind(L"kana", d3d_.get()));
  ASSERT_TRUE(mixedSprite.Bind(L"mixed", d3d_.get()));
  kanaSprite.quad->translation = {8, 4};
  mixedSprite.quad->translation = {8, 50};
  kanaSprite.quad->Update();
  mixedSprite.quad->Update();
  d3d_->BeginFrame();
  kanaSprite.quad->Draw();
  mixedSprite.quad->Draw();
  const std::vector<uint32_t> pixels = ReadBack();
  ASSERT_TRUE(d3d_->EndFrame());
  SaveShot(pixels, "text-cells.png");

  // Each glyph's cell holds ink; the gaps between lines stay dark.
  auto checkCells = [&](const CTexString& text, int left, int top) {
    int pen = left;
    for (size_t i = 0; i < text.text.size(); ++i) {
      const int advance = text.glyphMetrics[i].gmCellIncX + 1;
      EXPECT_GT(Ink(pixels, width_, pen, top, pen + advance, top + text.texHeight), 8)
          << "glyph " << i << " of line at " << top;
      pen += advance;
    }
    EXPECT_EQ(Ink(pixels, width_, pen + 2, top, int(width_), top + text.texHeight), 0);
  };
  checkCells(first, 8, 4);
  checkCells(second, 8, 50);
  EXPECT_EQ(Ink(pixels, width_, 0, 0, int(width_), 3), 0);

  // "g" reaches below the baseline, "A" does not.
  const int baseline = 50 + second.textMetrics.tmAscent;
  int pen = 8;
  for (size_t i = 0; i + 1 < mixed.size(); ++i) pen += second.glyphMetrics[i].gmCellIncX + 1;
  EXPECT_GT(Ink(pixels, width_, pen, baseline + 1, pen + 16, baseline + 8), 0);
  const int aPen = 8 + 5 * (second.glyphMetrics[0].gmCellIncX + 1);
  EXPECT_EQ(Ink(pixels, width_, aPen, baseline + 1, aPen + second.glyphMetrics[5].gmCellIncX, baseline + 8), 0);
}

TEST_F(TextPixelsTest, TextTexturesSurviveAResetPixelForPixel) {
  ASSERT_TRUE(Start(160, 48)) << tavtest::ReadErrorLog();
  d3d_->clearColour = 0xFF000000;
  CTexString& text = Text(L"line", L"再描画 redraw", 20);
  tav::CFont sprite;
  sprite.Bind(L"line", d3d_.get());
  sprite.quad->translation = {4, 8};
  sprite.quad->Update();
  auto frame = [&] {
    d3d_->BeginFrame();
    sprite.quad->Draw();
    std::vector<uint32_t> pixels = ReadBack();
    EXPECT_TRUE(d3d_->EndFrame());
    return pixels;
  };
  const std::vector<uint32_t> before = frame();
  EXPECT_GT(Ink(before, width_, 0, 0, int(width_), int(height_)), 50);
  std::vector<CRestore*> restorables = {&text};
  ASSERT_TRUE(d3d_->ReleaseForReset(restorables));
  EXPECT_EQ(d3d_->GetTexture(L"line"), nullptr);
  ASSERT_TRUE(d3d_->RestoreAfterReset(restorables, [&] {
    tav::ApplyDefaultRenderStates(d3d_->Device());
    return true;
  })) << tavtest::ReadErrorLog();
  const std::vector<uint32_t> after = frame();
  EXPECT_EQ(Ink(after, width_, 0, 0, int(width_), int(height_)), Ink(before, width_, 0, 0, int(width_), int(height_)));
  EXPECT_TRUE(after == before);
}

// A scene a player might see: a painted background, a picture in the four
// colour modes, rotated, scaled and tinted quads, and two lines of text on a
// translucent window.
TEST_F(TextPixelsTest, ASceneOfQuadsAndText) {
  constexpr UINT kW = 800, kH = 600;
  ASSERT_TRUE(Start(kW, kH)) << tavtest::ReadErrorLog();
  std::vector<uint8_t> sky(256 * 256 * 4), photo(128 * 128 * 4);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      uint8_t* p = &sky[(size_t(y) * 256 + size_t(x)) * 4];
      p[0] = uint8_t(40 + y / 3);
      p[1] = uint8_t(70 + y / 2);
      p[2] = uint8_t(150 + x / 4);
      p[3] = 255;
    }
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 128; ++x) {
      uint8_t* p = &photo[(size_t(y) * 128 + size_t(x)) * 4];
      const double d = std::hypot(x - 64.0, y - 56.0);
      const bool sun = d < 30, hill = y > 90 + 10 * std::sin(x / 12.0);
      p[0] = uint8_t(sun ? 250 : hill ? 60 : 120 + y);
      p[1] = uint8_t(sun ? 200 : hill ? 150 : 170 + y / 2);
      p[2] = uint8_t(sun ? 60 : hill ? 70 : 230);
      p[3] = uint8_t(d > 70 ? 0 : 255);
    }
  const auto skyPng = d3dxtest::MakePng(256, 256, 4, sky), photoPng = d3dxtest::MakePng(128, 128, 4, photo);
  ASSERT_TRUE(d3d_->LoadTextureFromMemory(L"sky", skyPng.data(), uint32_t(skyPng.size()), 0));
  ASSERT_TRUE(d3d_->LoadTextureFromMemory(L"photo", photoPng.data(), uint32_t(photoPng.size()), 0));
  Text(L"jp", L"「こんにちは、世界。」漢字とかなのテキストです。", 28);
  Text(L"en", L"The quick brown fox jumps over the lazy dog. 0123", 28);

  std::vector<CQuad> quads(12);
  auto add = [&](size_t i, const wchar_t* texture) -> CQuad& {
    quads[i].Attach(texture, d3d_.get());
    return quads[i];
  };
  CQuad& background = add(0, L"sky");
  background.scale = {kW / 256.0f, kH / 256.0f};
  for (int m = 0; m < 4; ++m) {
    CQuad& q = add(size_t(1 + m), L"photo");
    q.translation = {40.0f + float(m) * 150, 40};
    q.mode = m;
  }
  CQuad& rotated = add(5, L"photo");
  rotated.translation = {80, 230};
  rotated.angle = std::numbers::pi_v<float> / 6;
  rotated.rotationCentre = {144, 294};
  CQuad& scaled = add(6, L"photo");
  scaled.translation = {260, 210};
  scaled.scale = {1.5f, 0.75f};
  scaled.scaleCentre = {260, 210};
  CQuad& tinted = add(7, L"photo");
  tinted.translation = {520, 210};
  tinted.colours = {0xFFFF6060, 0xFF60FF60, 0xFF6060FF, 0x80FFFFFF};
  CQuad& window = add(8, L"DefaultTex");
  window.localCorners = {{{0, 0}, {760, 0}, {0, 150}, {760, 150}}};
  window.translation = {20, 420};
  window.colours.fill(0xB0101828);
  CQuad& jp = add(9, L"jp");
  jp.translation = {44, 446};
  CQuad& en = add(10, L"en");
  en.translation = {44, 496};
  en.colours.fill(0xFFFFE080);
  CQuad& mirrored = add(11, L"photo");  // one axis mirrored: culled
  mirrored.translation = {660, 40};
  mirrored.scale = {-1, 1};
  mirrored.scaleCentre = {724, 0};

  for (CQuad& q : quads) q.Update();
  d3d_->BeginFrame();
  for (CQuad& q : quads) q.Draw();
  const std::vector<uint32_t> pixels = ReadBack();
  ASSERT_TRUE(d3d_->EndFrame());
  SaveShot(pixels, "quads-and-text.png");

  // The sun of the default picture and its negative.
  EXPECT_TRUE(tavtest::Near(At(pixels, 40 + 64, 40 + 56), 250, 200, 60, 4)) << std::hex << At(pixels, 104, 96);
  EXPECT_TRUE(tavtest::Near(At(pixels, 190 + 64, 40 + 56), 5, 55, 195, 4)) << std::hex << At(pixels, 254, 96);
  // The mirrored quad left the background alone.
  EXPECT_FALSE(tavtest::Near(At(pixels, 724, 96), 250, 200, 60, 40)) << std::hex << At(pixels, 724, 96);
  // Text ink: bright pixels inside the window where the lines are.
  int bright = 0;
  for (int y = 446; y < 540; ++y)
    for (int x = 44; x < 700; ++x) bright += (At(pixels, x, y) & 0xFF) > 0xA0;
  EXPECT_GT(bright, 2000);
}

}  // namespace
