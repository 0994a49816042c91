#include <gtest/gtest.h>

#include "app/Keys.h"
#include "platform/fake/FakeClock.h"
#include "platform/fake/ScriptedInput.h"
#include "platform/os/WinTypes.h"

namespace {

class KeysTest : public testing::Test {
 protected:
  void SetUp() override {
    clock_.Install();
    input_.Install();
  }
  void TearDown() override {
    input_.Uninstall();
    clock_.Uninstall();
  }
  tav::ChordRequests Poll(bool active = true) { return tav::PollChords(keys_, clock_.Now(), active); }

  tav::fake::FakeClock clock_{10000};
  tav::fake::ScriptedInput input_;
  tav::KeyTable keys_ = tav::MakeKeyTable();
};

TEST_F(KeysTest, TheTableHoldsTheTwentyFiveKeysInOrder) {
  ASSERT_EQ(keys_.size(), 25u);
  EXPECT_EQ(static_cast<tav::CKey&>(*keys_[tav::kKeyLeftButton]).vk, 0x01u);
  EXPECT_EQ(static_cast<tav::CKey&>(*keys_[tav::kKeyMiddleButton]).vk, 0x04u);
  EXPECT_EQ(static_cast<tav::CKey&>(*keys_[tav::kKeyF8]).vk, 0x77u);
  EXPECT_EQ(static_cast<tav::CKey&>(*keys_[tav::kKeyBackspace]).vk, 0x08u);
}

TEST_F(KeysTest, AHeldKeyCountsAtOnceThenEveryHundredMilliseconds) {
  tav::_CKey& enter = *keys_[tav::kKeyReturn];
  input_.SetKey(VK_RETURN, true);
  int presses = 0;
  for (int frame = 0; frame < 20; ++frame) {  // 16 ms frames: 0 to 304 ms
    if (tav::RepeatGate(enter, clock_.Now())) ++presses;
    clock_.Advance(16);
  }
  EXPECT_EQ(presses, 3);  // at 0, 112 and 224 ms
  input_.SetKey(VK_RETURN, false);
  EXPECT_FALSE(tav::RepeatGate(enter, clock_.Now()));
  EXPECT_EQ(enter.lastTime, 0u);
  input_.SetKey(VK_RETURN, true);
  EXPECT_TRUE(tav::RepeatGate(enter, clock_.Now()));  // a new press counts at once
}

TEST_F(KeysTest, AltEnterTwiceWithinAHundredMillisecondsSwitchesOnce) {
  input_.SetKey(VK_MENU, true);
  input_.SetKey(VK_RETURN, true);
  EXPECT_TRUE(Poll().toggleWindowMode);
  clock_.Advance(30);
  input_.SetKey(VK_RETURN, false);
  EXPECT_FALSE(Poll().toggleWindowMode);
  clock_.Advance(30);
  input_.SetKey(VK_RETURN, true);
  EXPECT_FALSE(Poll().toggleWindowMode);  // Enter counts again, Alt does not yet
  clock_.Advance(100);
  EXPECT_TRUE(Poll().toggleWindowMode);
}

TEST_F(KeysTest, HeldEscapeFlipsOnceAndAgainAfterARelease) {
  input_.SetKey(VK_ESCAPE, true);
  EXPECT_TRUE(Poll().flipClose);
  for (int i = 0; i < 10; ++i) {
    clock_.Advance(200);
    EXPECT_FALSE(Poll().flipClose);
  }
  input_.SetKey(VK_ESCAPE, false);
  EXPECT_FALSE(Poll().flipClose);
  input_.SetKey(VK_ESCAPE, true);
  EXPECT_TRUE(Poll().flipClose);
}

TEST_F(KeysTest, ChordsNeedTheActiveWindow) {
  input_.SetKey(VK_MENU, true);
  input_.SetKey(VK_F4, true);
  input_.SetKey(VK_ESCAPE, true);
  tav::ChordRequests r = Poll(false);
  EXPECT_FALSE(r.close);
  EXPECT_FALSE(r.flipClose);
  r = Poll(true);
  EXPECT_TRUE(r.close);
  EXPECT_TRUE(r.flipClose);
}

TEST_F(KeysTest, BackspaceWithAltAsksForAReload) {
  input_.SetKey(VK_BACK, true);
  EXPECT_FALSE(Poll().reload);  // Alt not held
  clock_.Advance(100);
  input_.SetKey(VK_MENU, true);
  EXPECT_TRUE(Poll().reload);
}

}  // namespace
