// Flowing text against the Direct3D double and the fake clock: when each
// character starts, where Layout puts it and what colour its fade gives it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "effect/FlowFont.h"
#include "gfx/GfxFixture.h"
#include "platform/fake/FakeClock.h"

namespace {

using tav::effect::CFlowFont;

class FlowFontTest : public tavtest::GfxFixture {
 protected:
  void SetUp() override {
    GfxFixture::SetUp();
    ASSERT_TRUE(Start(true, 800, 600));
    clock_.Install();
    // Stand-ins for text textures: glyphs of different widths.
    for (auto [name, width, height] : {std::tuple{L"a", 10u, 20u}, {L"b", 14u, 20u}, {L"c", 6u, 22u}})
      ASSERT_TRUE(d3d_->CreateNamedTexture(name, width, height, 0));
  }
  void TearDown() override {
    clock_.Uninstall();
    GfxFixture::TearDown();
  }

  // Which characters have started, as a string of 0 and 1.
  static std::string Shown(const CFlowFont& text) {
    std::string shown;
    for (size_t i = 0; i < text.Count(); ++i) shown += text.IsShown(i) ? '1' : '0';
    return shown;
  }

  tav::fake::FakeClock clock_{20000};
  std::vector<std::wstring> names_{L"a", L"b", L"c", L"a", L"b"};
};

TEST_F(FlowFontTest, WithoutAnIntervalEveryCharacterStartsInOneUpdate) {
  CFlowFont text;
  ASSERT_TRUE(text.Create(names_, d3d_.get()));
  text.SetColour(0xFFFFFFFF);
  text.Start(0);
  EXPECT_EQ(Shown(text), "10000");
  text.Update();
  EXPECT_EQ(Shown(text), "11111");
  EXPECT_TRUE(text.AllShown());
  EXPECT_TRUE(text.IsFinished());
}

TEST_F(FlowFontTest, EachCharacterStartsTheIntervalAfterTheUpdateThatSawThePreviousOne) {
  CFlowFont text;
  ASSERT_TRUE(text.Create(names_, d3d_.get()));
  text.SetColour(0xFFFFFFFF);
  text.Start(50);
  std::vector<uint32_t> startedAt(names_.size(), 0);
  for (uint32_t elapsed = 0; elapsed <= 400; elapsed += 10) {
    text.Update();
    for (size_t i = 0; i < text.Count(); ++i)
      if (text.IsShown(i) && startedAt[i] == 0) startedAt[i] = elapsed + 1;  // +1: 0 means not yet
    clock_.Advance(10);
  }
  for (size_t k = 0; k < names_.size(); ++k) EXPECT_EQ(startedAt[k], k * 50 + 1) << "character " << k;
  EXPECT_TRUE(text.AllShown());
}

TEST_F(FlowFontTest, ARestartedRevealHidesTheTextAgainAndAnUpdateBeforeStartDoesNothing) {
  CFlowFont text;
  ASSERT_TRUE(text.Create(names_, d3d_.get()));
  text.Update();  // not started: no character may show
  EXPECT_EQ(Shown(text), "00000");
  EXPECT_FALSE(text.AllShown());
  text.Start(0);
  text.Update();
  EXPECT_EQ(Shown(text), "11111");
  text.Start(100);
  EXPECT_EQ(Shown(text), "10000");
  text.ShowAll();  // the reader asked for the whole text
  EXPECT_EQ(Shown(text), "11111");
  EXPECT_TRUE(text.AllShown());

  CFlowFont empty;
  empty.Start(0);
  empty.Update();
  EXPECT_TRUE(empty.Draw());
  EXPECT_FALSE(empty.AllShown());
}

TEST_F(FlowFontTest, EachStartedCharacterFadesOnItsOwnClock) {
  CFlowFont text;
  ASSERT_TRUE(text.Create(names_, d3d_.get()));
  text.SetColour(0xFFFFFFFF);
  text.Start(100);
  text.SetFade(0x00FFFFFF, 0xFF204060, 200);
  text.Update();
  EXPECT_EQ(text.sprites[0]->quad->colours[0], 0x00FFFFFFu);
  EXPECT_FALSE(text.IsFinished());
  clock_.Advance(100);
  text.Update();  // character 1 starts now, 100 ms into character 0's fade
  EXPECT_EQ(text.sprites[0]->quad->colours[0], 0x7F8F9FAFu);
  EXPECT_EQ(text.sprites[1]->quad->colours[3], 0x00FFFFFFu);
  EXPECT_EQ(text.sprites[1]->quad->snapshot.colours[3], 0x00FFFFFFu);
  clock_.Advance(100);
  text.Update();
  EXPECT_EQ(text.sprites[0]->quad->colours[0], 0xFF204060u);
  EXPECT_EQ(text.finishedFlags[0], 1u);
  EXPECT_EQ(text.finishedFlags[1], 0u);

  // The instant form: both ends the text colour, so every glyph shows in it
  // from its first frame.
  text.SetFade(0xFF204060, 0xFF204060, 500);
  text.Start(0);
  text.Update();
  for (const auto& sprite : text.sprites) EXPECT_EQ(sprite->quad->colours[0], 0xFF204060u);
}

TEST_F(FlowFontTest, LayoutRunsLeftToRightByGlyphWidthAndWrapsByTheGlyphHeights) {
  CFlowFont text;
  ASSERT_TRUE(text.Create(names_, d3d_.get()));
  text.Layout({100, 50}, 0);
  std::vector<float> xs;
  for (const auto& sprite : text.sprites) {
    xs.push_back(sprite->quad->translation.x);
    EXPECT_EQ(sprite->quad->translation.y, 50.0f);
  }
  EXPECT_EQ(xs, (std::vector<float>{100, 110, 124, 130, 140}));

  // Lines "ab", "ca", "b"; a line lies lower by the heights of the glyphs in
  // its column on the lines from the second down to its own.
  text.Layout({100, 50}, 2);
  std::vector<tav::QuadPoint> wanted = {{100, 50}, {110, 50}, {100, 72}, {106, 70}, {100, 92}};
  for (size_t i = 0; i < wanted.size(); ++i) {
    EXPECT_EQ(text.sprites[i]->quad->translation.x, wanted[i].x) << i;
    EXPECT_EQ(text.sprites[i]->quad->translation.y, wanted[i].y) << i;
  }
}

TEST_F(FlowFontTest, OnlyStartedCharactersAreDrawn) {
  CFlowFont text;
  ASSERT_TRUE(text.Create(names_, d3d_.get()));
  text.Start(1000);
  text.Update();
  d3d_->BeginFrame();
  gpu_.ClearCalls();
  EXPECT_TRUE(text.Draw());
  EXPECT_EQ(gpu_.Count("DrawIndexedPrimitiveUP"), 1u);
  text.ShowAll();
  text.Update();
  gpu_.ClearCalls();
  EXPECT_TRUE(text.Draw());
  EXPECT_EQ(gpu_.Count("DrawIndexedPrimitiveUP"), 5u);
  EXPECT_TRUE(d3d_->EndFrame());
}

TEST_F(FlowFontTest, ACharacterWithoutATextureStillTakesItsPlaceAndARecreateReplacesEverything) {
  CFlowFont text;
  ASSERT_TRUE(text.Create(std::vector<std::wstring>{L"a", L"missing", L"b"}, d3d_.get()));
  text.Layout({0, 0}, 0);
  EXPECT_EQ(text.sprites[2]->quad->translation.x, 10.0f);  // the missing glyph has no width
  ASSERT_TRUE(text.Create(std::vector<std::wstring>{L"c"}, d3d_.get()));
  EXPECT_EQ(text.Count(), 1u);
  EXPECT_EQ(text.started.size(), 2u);
  EXPECT_EQ(text.startTimes.size(), 2u);
  EXPECT_EQ(text.sprites[0]->quad->localCorners[3].y, 22.0f);
}

}  // namespace
