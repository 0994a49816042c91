// The fade, peephole and cut-in against the Direct3D double and the fake
// clock: what each run writes into its quad, the instant form, and requests
// made while a run is going.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/Colour.h"
#include "effect/CutIn.h"
#include "effect/Fade.h"
#include "effect/Peephole.h"
#include "gfx/GfxFixture.h"
#include "platform/fake/FakeClock.h"

namespace {

using namespace tav::effect;

TEST(EffectColourTest, EveryColourSurvivesTheTripThroughChannelsAndATween) {
  float out[4];
  for (uint32_t byte = 0; byte < 256; ++byte) {
    const D3DCOLOR colour = byte << 24 | (255 - byte) << 16 | byte << 8 | (byte ^ 0x5A);
    auto channels = ColourToChannels(colour);
    ASSERT_EQ(ChannelsToColour(channels.data()), colour) << byte;
    // A tween's end value is computed, not copied; it must still pack to the
    // colour it was given, whatever it started from.
    for (uint32_t start : {0x00000000u, 0xFFFFFFFFu, 0x80402010u, 0x7F7F7F7Fu}) {
      tav::Tween tween;
      tween.from = ColourToChannels(start);
      tween.to = channels;
      tween.duration = 0;
      tween.running = true;
      tween.Evaluate(out);
      ASSERT_EQ(ChannelsToColour(out), colour) << std::hex << start << " to " << colour;
    }
  }
}

TEST(EffectColourTest, PackingTruncatesAndKeepsTheLowByteWithoutUndefinedConversions) {
  const float half[4] = {0.5f, 0.25f, 0.999f, 0};
  EXPECT_EQ(ChannelsToColour(half), 0x7F3FFE00u);  // 127.5 -> 127, 63.75 -> 63, 254.7 -> 254
  EXPECT_EQ(LowByte(0.0f), 0u);
  EXPECT_EQ(LowByte(128.9f), 128u);
  EXPECT_EQ(LowByte(256.0f), 0u);
  EXPECT_EQ(LowByte(300.0f), 44u);
  EXPECT_EQ(LowByte(-1.0f), 255u);
  EXPECT_EQ(LowByte(-0.5f), 0u);
  EXPECT_EQ(LowByte(1e20f), 0u);
  EXPECT_EQ(LowByte(std::numeric_limits<float>::quiet_NaN()), 0u);
  EXPECT_EQ(LowByte(std::numeric_limits<float>::infinity()), 0u);
}

class QuadEffectsTest : public tavtest::GfxFixture {
 protected:
  void SetUp() override {
    GfxFixture::SetUp();
    ASSERT_TRUE(Start(true, 800, 600));
    clock_.Install();
  }
  void TearDown() override {
    clock_.Uninstall();
    GfxFixture::TearDown();
  }
  tav::fake::FakeClock clock_{5000};
};

TEST_F(QuadEffectsTest, AStartWhileRunningIsIgnoredAndOneAfterTheEndRunsAgain) {
  CFade fade;
  ASSERT_TRUE(fade.Init(d3d_.get()));
  fade.Start(0xFF000000, 0.0f, 1000, false);
  fade.Update();
  clock_.Advance(600);
  fade.Update();
  fade.Start(0xFFFFFFFF, 255.0f, 100, false);  // ignored: the fade keeps going
  clock_.Advance(200);
  fade.Update();
  EXPECT_EQ(fade.quad.colours[0], 0x33000000u);  // 80 % of the way to transparent black
  clock_.Advance(200);
  fade.Update();
  ASSERT_TRUE(fade.IsFinished());
  EXPECT_EQ(fade.quad.colours[0], 0x00000000u);

  fade.Start(0xFFFFFFFF, 255.0f, 100, false);
  EXPECT_FALSE(fade.IsFinished());
  fade.Update();
  EXPECT_EQ(fade.quad.colours[0], 0xFFFFFFFFu);
}

TEST_F(QuadEffectsTest, TheInstantFlagGivesEveryEffectItsEndStateAtOnce) {
  CFade fade;
  CPeephole peephole;
  CCutIn cutIn;
  ASSERT_TRUE(fade.Init(d3d_.get()) && peephole.Init(d3d_.get()) && cutIn.Init(d3d_.get()));
  fade.Start(0xFF00FF00, 64.0f, 1000, true);
  peephole.Start(0.5f, 1.0f, 1000, true, true);
  cutIn.Start(-800, 0, 100, 50, 1000, true);
  fade.Update();
  peephole.Update();
  cutIn.Update();
  EXPECT_EQ(fade.quad.colours[0], 0x4000FF00u);
  EXPECT_EQ(peephole.tween.from[0], 0.5f);
  EXPECT_LT(peephole.quad.uvs[3].x, 0.0f);  // closed: nothing of the hole shows
  EXPECT_EQ(cutIn.quad.translation.x, 100.0f);
  EXPECT_EQ(cutIn.quad.translation.y, 50.0f);
  // Still a run of its duration: the end state is drawn until it is over.
  EXPECT_FALSE(fade.IsFinished());
  clock_.Advance(1000);
  fade.Update();
  EXPECT_TRUE(fade.IsFinished());
  EXPECT_EQ(fade.quad.colours[0], 0x4000FF00u);
}

TEST_F(QuadEffectsTest, ThePeepholeBordersOnlyItsOwnDrawAndKeepsItsBorderChoiceWhileRunning) {
  CPeephole peephole;
  ASSERT_TRUE(peephole.Init(d3d_.get()));
  peephole.Start(0.5f, 1.0f, 1000, false, false);
  peephole.Start(0.5f, 1.0f, 1000, true, false);  // ignored, border choice included
  EXPECT_FALSE(peephole.useBorder);
  peephole.Update();
  clock_.Advance(2000);
  peephole.Update();
  peephole.Start(0.5f, 1.0f, 1000, true, false);
  EXPECT_TRUE(peephole.useBorder);

  peephole.Update();
  d3d_->BeginFrame();
  gpu_.ClearCalls();
  EXPECT_TRUE(peephole.Draw());
  EXPECT_EQ(gpu_.Count("DrawIndexedPrimitiveUP"), 1u);
  EXPECT_EQ(gpu_.SamplerState(0, D3DSAMP_ADDRESSU), DWORD(D3DTADDRESS_WRAP));
  EXPECT_EQ(gpu_.SamplerState(0, D3DSAMP_ADDRESSV), DWORD(D3DTADDRESS_WRAP));
  EXPECT_EQ(gpu_.SamplerState(0, D3DSAMP_BORDERCOLOR), 0u);
  EXPECT_TRUE(d3d_->EndFrame());
}

TEST_F(QuadEffectsTest, ASnapshotDrawsTheEntriesInOrderIntoTheTargetAndPutsTheBackBufferBack) {
  auto first = std::make_shared<tav::CQuad>();
  auto second = std::make_shared<tav::CQuad>();
  first->Attach(L"DefaultTex", d3d_.get());
  second->Attach(L"DefaultTex", d3d_.get());
  first->Update();
  second->Update();
  gpu_.ClearCalls();
  ASSERT_TRUE(SnapshotDrawEntries(*d3d_, std::vector<std::shared_ptr<tav::CQuad>>{first, nullptr, second}));
  // The target is cleared to transparent black before the entries are drawn.
  const std::vector<std::string> wanted = {"SetRenderTarget texture", "Clear", "BeginScene",
                                           "DrawIndexedPrimitiveUP", "DrawIndexedPrimitiveUP", "EndScene",
                                           "SetRenderTarget back buffer"};
  std::vector<std::string> seen;
  for (const std::string& call : gpu_.Calls()) {
    for (const char* prefix : {"SetRenderTarget", "Clear", "BeginScene", "DrawIndexedPrimitiveUP", "EndScene"}) {
      if (call.rfind(prefix, 0) != 0) continue;
      if (call.rfind("Clear", 0) == 0) {
        EXPECT_EQ(call.substr(call.size() - 4), " 0x0") << call;
      }
      seen.push_back(call.rfind("Draw", 0) == 0 ? prefix : call.rfind("Clear", 0) == 0 ? "Clear" : call);
    }
  }
  EXPECT_EQ(seen, wanted);

  gpu_.ClearCalls();
  EXPECT_TRUE(SnapshotDrawEntries(*d3d_, std::vector<std::shared_ptr<tav::_CQuad>>{}));
  EXPECT_TRUE(gpu_.Calls().empty());  // nothing to take: the old picture stays
}

TEST_F(QuadEffectsTest, ASnapshotWithoutARenderTargetFailsRatherThanDrawingOnScreen) {
  ASSERT_TRUE(d3d_->EraseTexture(L"DefaultRenderTargetTex"));
  auto quad = std::make_shared<tav::CQuad>();
  quad->Attach(L"DefaultTex", d3d_.get());
  quad->Update();
  gpu_.ClearCalls();
  EXPECT_FALSE(SnapshotDrawEntries(*d3d_, std::vector<std::shared_ptr<tav::CQuad>>{quad}));
  EXPECT_EQ(gpu_.Count("BeginScene"), 0u);
  EXPECT_EQ(gpu_.Count("DrawIndexedPrimitiveUP"), 0u);
  EXPECT_NE(tavtest::ReadErrorLog().find("DefaultRenderTargetTex"), std::string::npos);
}

}  // namespace
