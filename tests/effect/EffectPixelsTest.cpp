// The effects on the real OpenGL device, judged by the pixels they leave over a
// recognisable scene (a four-colour gradient with two squares), at the start,
// half-way and the end of each run. With TAVRI_SCREENSHOT_DIR set, every judged
// frame is also written there as a PNG.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "effect/CutIn.h"
#include "effect/Fade.h"
#include "effect/FlowFont.h"
#include "effect/Peephole.h"
#include "gfx/GlScene.h"
#include "gfx/Quad.h"
#include "platform/fake/FakeClock.h"
#include "platform/gpu/D3DX.h"
#include "text/TexString.h"

namespace {

using namespace tav::effect;
using tavtest::Near;

constexpr UINT kWidth = 320, kHeight = 200;
constexpr D3DCOLOR kClear = 0xFF303030;

std::shared_ptr<tav::CQuad> Rectangle(CBaseD3D* d3d, float x, float y, float w, float h,
                                      std::array<D3DCOLOR, 4> colours) {
  auto quad = std::make_shared<tav::CQuad>();
  quad->Attach(L"DefaultTex", d3d);
  quad->localCorners = {{{0, 0}, {w, 0}, {0, h}, {w, h}}};
  quad->translation = {x, y};
  quad->colours = colours;
  quad->Update();
  return quad;
}

class EffectPixelsTest : public tavtest::GlScene {
 protected:
  void SetUp() override {
    GlScene::SetUp();
    ASSERT_TRUE(Start(kWidth, kHeight)) << tavtest::ReadErrorLog();
    d3d_->clearColour = kClear;
    clock_.Install();
    CBaseD3D* d3d = d3d_.get();
    scene_ = {Rectangle(d3d, 0, 0, kWidth, kHeight, {0xFFE04040, 0xFF4040E0, 0xFF40E040, 0xFFE0E040}),
              Rectangle(d3d, 20, 20, 40, 40, {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF}),
              Rectangle(d3d, 240, 130, 50, 30, {0xFFFF00FF, 0xFFFF00FF, 0xFFFF00FF, 0xFFFF00FF})};
  }
  void TearDown() override {
    clock_.Uninstall();
    GlScene::TearDown();
  }

  // One frame: the scene (unless `bare`), then `draw`; its pixels, saved as `shot`.
  template <class Draw>
  std::vector<uint32_t> Frame(const std::string& shot, Draw draw, bool bare = false) {
    d3d_->BeginFrame();
    if (!bare) {
      for (auto& quad : scene_) EXPECT_TRUE(quad->Draw());
    }
    draw();
    std::vector<uint32_t> pixels = ReadBack();
    EXPECT_TRUE(d3d_->EndFrame());
    EXPECT_EQ(pixels.size(), size_t(kWidth) * kHeight);
    if (!shot.empty()) SaveShot(pixels, shot);
    return pixels;
  }
  std::vector<uint32_t> Scene() {
    return Frame("", [] {});
  }

  // Each channel of `pixel` is that of `under` times `keep` (0..1).
  static bool Scaled(uint32_t pixel, uint32_t under, float keep) {
    auto c = [&](int shift) { return int(std::lround(float((under >> shift) & 0xFF) * keep)); };
    return Near(pixel, c(16), c(8), c(0), 3);
  }

  tav::fake::FakeClock clock_{100000};
  std::vector<std::shared_ptr<tav::CQuad>> scene_;
};

TEST_F(EffectPixelsTest, AFadeFromOpaqueBlackDarkensTheWholeSceneEvenly) {
  const std::vector<uint32_t> scene = Scene();
  CFade fade;
  ASSERT_TRUE(fade.Init(d3d_.get()));
  fade.Start(0xFF000000, 0.0f, 1000, false);
  for (int percent : {0, 50, 100}) {
    SCOPED_TRACE(percent);
    fade.Update();
    const auto pixels = Frame("fade-" + std::to_string(percent) + ".png", [&] { EXPECT_TRUE(fade.Draw()); });
    // Alpha 255, 127, 0: the scene shows through by 0, 128 / 255 and all of it.
    const float keep = percent == 0 ? 0.0f : percent == 50 ? 128.0f / 255.0f : 1.0f;
    for (UINT y = 5; y < kHeight; y += 19)
      for (UINT x = 3; x < kWidth; x += 23)
        ASSERT_TRUE(Scaled(At(pixels, x, y), At(scene, x, y), keep))
            << x << "," << y << " " << std::hex << At(pixels, x, y) << " over " << At(scene, x, y);
    clock_.Advance(500);
  }
  EXPECT_TRUE(fade.IsFinished());
}

TEST_F(EffectPixelsTest, APeepholeFromHalfToOneClosesTheInscribedCircle) {
  const std::vector<uint32_t> scene = Scene();
  CPeephole peephole;
  ASSERT_TRUE(peephole.Init(d3d_.get()));
  peephole.Start(0.5f, 1.0f, 1000, true, false);
  const float cx = kWidth / 2.0f, cy = kHeight / 2.0f, inscribed = kHeight / 2.0f;
  for (int percent : {0, 50, 100}) {
    SCOPED_TRACE(percent);
    peephole.Update();
    const auto pixels = Frame("peephole-" + std::to_string(percent) + ".png", [&] { EXPECT_TRUE(peephole.Draw()); });
    const float radius = inscribed * (1.0f - percent / 100.0f);
    int checked = 0;
    for (UINT y = 1; y < kHeight; y += 6) {
      for (UINT x = 1; x < kWidth; x += 6) {
        const float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy);
        if (std::abs(d - radius) < 4) continue;  // the filtered rim
        const bool open = d < radius;
        ASSERT_EQ(At(pixels, x, y), open ? At(scene, x, y) : 0u)
            << x << "," << y << " at distance " << d << " from the centre, radius " << radius;
        ++checked;
      }
    }
    EXPECT_GT(checked, 1500);
    if (percent == 100) {
      EXPECT_EQ(At(pixels, int(cx), int(cy)), 0u);
    }
    clock_.Advance(500);
  }
}

TEST_F(EffectPixelsTest, ACutInSlidesItsSnapshotFromTheStartToTheEndPosition) {
  const std::vector<uint32_t> scene = Scene();
  // The picture: the two squares alone, on the transparent target.
  ASSERT_TRUE(SnapshotDrawEntries(*d3d_, std::vector<std::shared_ptr<tav::CQuad>>{scene_[1], scene_[2]}));
  CCutIn cutIn;
  ASSERT_TRUE(cutIn.Init(d3d_.get()));
  cutIn.colour = 0xFFFFFFFF;
  cutIn.textureName = L"DefaultRenderTargetTex";
  cutIn.Start(-40, 40, 0, 0, 1000, false);
  const uint32_t clear = kClear & 0xFFFFFF;
  for (int percent : {0, 50, 100}) {
    SCOPED_TRACE(percent);
    cutIn.Update();
    const float dx = -40.0f * (1 - percent / 100.0f), dy = 40.0f * (1 - percent / 100.0f);
    // Over the bare clear colour, so that only the snapshot shows.
    const auto pixels =
        Frame("cutin-" + std::to_string(percent) + ".png", [&] { EXPECT_TRUE(cutIn.Draw()); }, true);
    // A point of the picture where the slide has taken it, when on screen.
    auto expectMoved = [&](float x, float y, uint32_t colour) {
      const int sx = int(x + dx), sy = int(y + dy);
      if (sx < 0 || sy < 0 || sx >= int(kWidth) || sy >= int(kHeight)) return;
      EXPECT_EQ(At(pixels, sx, sy), colour) << "picture point " << x << "," << y;
    };
    expectMoved(40, 40, 0xFFFFFF);
    expectMoved(22, 22, 0xFFFFFF);
    expectMoved(265, 145, 0xFF00FF);
    expectMoved(242, 132, 0xFF00FF);
    expectMoved(236, 126, clear);  // transparent around the squares
    expectMoved(150, 100, clear);
    if (percent < 100) {
      EXPECT_EQ(At(pixels, 265, 145), clear);  // not there yet
    }
    clock_.Advance(500);
  }
  // A snapshot over the whole scene, drawn over the scene in place, is the scene.
  ASSERT_TRUE(SnapshotDrawEntries(*d3d_, scene_));
  const auto whole = Frame("", [&] { EXPECT_TRUE(cutIn.Draw()); }, true);
  for (auto [x, y] : {std::pair{5, 5}, {40, 40}, {160, 100}, {265, 145}, {315, 195}})
    EXPECT_TRUE(Near(At(whole, x, y), int(At(scene, x, y) >> 16), int(At(scene, x, y) >> 8 & 0xFF),
                     int(At(scene, x, y) & 0xFF), 2))
        << x << "," << y;
}

// Glyph stand-ins: a white block with a clear column on its right.
void FillGlyph(D3DXVECTOR4* out, const D3DXVECTOR2* uv, const D3DXVECTOR2*, void*) {
  *out = {1, 1, 1, uv->x < 11.0f / 16.0f ? 1.0f : 0.0f};
}

TEST_F(EffectPixelsTest, FlowingTextAppearsLeftToRightEachCharacterFadingIn) {
  std::vector<std::wstring> names;
  for (int i = 0; i < 10; ++i) names.push_back(i % 2 ? L"glyphA" : L"glyphB");
  ASSERT_TRUE(d3d_->CreateNamedTexture(L"glyphA", 12, 16, 0));
  ASSERT_TRUE(d3d_->CreateNamedTexture(L"glyphB", 12, 16, 0));
  ASSERT_EQ(D3DXFillTexture(d3d_->GetTexture(L"glyphA"), FillGlyph, nullptr), S_OK);
  ASSERT_EQ(D3DXFillTexture(d3d_->GetTexture(L"glyphB"), FillGlyph, nullptr), S_OK);
  CFlowFont text;
  ASSERT_TRUE(text.Create(names, d3d_.get()));
  text.Layout({0, 0}, 0);
  text.SetColour(0xFFFFFFFF);
  text.Start(100);
  text.Layout({40, 160}, 0);
  text.SetFade(0x00FFFFFF, 0xFFFFFFFF, 500);
  // The last character starts at 900 ms and has faded in at 1400 ms.
  uint32_t elapsed = 0;
  for (int percent : {0, 50, 100}) {
    SCOPED_TRACE(percent);
    for (; elapsed < 14 * uint32_t(percent); elapsed += 10) {
      text.Update();
      clock_.Advance(10);
    }
    text.Update();
    const auto pixels = Frame("flowfont-" + std::to_string(percent) + ".png", [&] { EXPECT_TRUE(text.Draw()); });
    const auto scene = Frame("", [] {});
    for (int k = 0; k < 10; ++k) {
      const int x = 40 + 12 * k + 5, y = 168;
      // Character k started at k x 100 ms and fades in over 500 ms.
      const float alpha = std::clamp((float(elapsed) - 100.0f * k) / 500.0f, 0.0f, 1.0f);
      const uint32_t under = At(scene, x, y), pixel = At(pixels, x, y);
      auto mix = [&](int shift) {
        const float u = float((under >> shift) & 0xFF);
        return int(std::lround(u + (255.0f - u) * alpha));
      };
      EXPECT_TRUE(Near(pixel, mix(16), mix(8), mix(0), 3))
          << "character " << k << " at " << elapsed << " ms: " << std::hex << pixel << " over " << under;
      EXPECT_EQ(At(pixels, x + 6, y), At(scene, x + 6, y)) << "the clear column of character " << k;
    }
  }
  EXPECT_TRUE(text.IsFinished());
}

// Pixels of `pixels` inside [x0, x1) x [y0, y1) that differ from `scene`.
int Ink(const std::vector<uint32_t>& pixels, const std::vector<uint32_t>& scene, UINT width, int x0, int y0, int x1,
        int y1) {
  int count = 0;
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      const uint32_t p = pixels[size_t(y) * width + size_t(x)], s = scene[size_t(y) * width + size_t(x)];
      int difference = 0;
      for (int shift : {0, 8, 16}) difference += std::abs(int((p >> shift) & 0xFF) - int((s >> shift) & 0xFF));
      count += difference > 24;
    }
  }
  return count;
}

TEST_F(EffectPixelsTest, RealGlyphsOfAJapaneseLineAppearOneByOne) {
  // As the message display builds it: one text texture per character, named
  // by the character, faded in from the colour's complement.
  const std::wstring line = L"あいう";
  std::vector<std::unique_ptr<CTexString>> glyphs;
  std::vector<std::wstring> names;
  for (wchar_t c : line) {
    names.emplace_back(1, c);
    glyphs.push_back(std::make_unique<CTexString>(d3d_.get()));
    ASSERT_TRUE(tav::Rasterise(names.back(), d3d_.get(), *glyphs.back(), names.back(), tav::TextFont(48)))
        << tavtest::ReadErrorLog();
  }
  CFlowFont text;
  ASSERT_TRUE(text.Create(names, d3d_.get()));
  text.Layout({0, 0}, 0);
  text.SetColour(0xFFFFFFFF);
  text.Start(100);
  text.Layout({60, 110}, 0);
  text.SetFade(~0xFFFFFFFFu, 0xFFFFFFFF, 500);

  // Each character's cell on screen.
  struct Cell {
    int x0, y0, x1, y1;
  };
  std::vector<Cell> cells;
  for (size_t k = 0; k < text.Count(); ++k) {
    const tav::QuadPoint at = text.sprites[k]->quad->translation;
    const tav::TextureSize* size = d3d_->GetTextureSize(names[k]);
    ASSERT_NE(size, nullptr);
    cells.push_back({int(at.x), int(at.y), int(at.x + size->imageWidth), int(at.y + size->imageHeight)});
    if (k > 0) {
      EXPECT_EQ(cells[k].x0, cells[k - 1].x1) << "character " << k << " follows the one before";
    }
  }
  ASSERT_LE(cells.back().x1, int(kWidth));
  ASSERT_LE(cells.back().y1, int(kHeight));

  const std::vector<uint32_t> scene = Scene();
  // The whole line takes 200 ms of starts and 500 ms of fade; at 60, 160 and
  // 260 ms one more character has begun. (Fading from transparent black to
  // white, a glyph first darkens the scene, then turns white.)
  uint32_t elapsed = 0;
  for (uint32_t at : {0u, 60u, 160u, 260u, 350u, 700u}) {
    SCOPED_TRACE(at);
    for (; elapsed < at; elapsed += 10) {
      text.Update();
      clock_.Advance(10);
    }
    text.Update();
    const std::string shot = at == 0     ? "flowtext-0.png"
                             : at == 350 ? "flowtext-50.png"
                             : at == 700 ? "flowtext-100.png"
                                         : "flowtext-" + std::to_string(at) + "ms.png";
    const auto pixels = Frame(shot, [&] { EXPECT_TRUE(text.Draw()); });
    for (size_t k = 0; k < cells.size(); ++k) {
      const int ink = Ink(pixels, scene, kWidth, cells[k].x0, cells[k].y0, cells[k].x1, cells[k].y1);
      const bool begun = at > 100 * k;
      if (begun) {
        EXPECT_GT(ink, 20) << "character " << k;
      } else {
        EXPECT_EQ(ink, 0) << "character " << k;
      }
    }
  }
  EXPECT_TRUE(text.IsFinished());
  // Between and below the glyphs the scene is untouched.
  EXPECT_EQ(Ink(Frame("", [&] { text.Draw(); }), scene, kWidth, 0, cells[0].y1, int(kWidth), int(kHeight)), 0);
}

}  // namespace
