#include <gtest/gtest.h>

#include "core/Tween.h"
#include "platform/fake/FakeClock.h"

namespace {

class TweenTest : public testing::Test {
 protected:
  void SetUp() override { clock_.Install(); }
  void TearDown() override { clock_.Uninstall(); }
  tav::fake::FakeClock clock_{10000};
  float out_[4] = {};
};

TEST_F(TweenTest, RunsFromStartToEndOverItsDuration) {
  tav::Tween t;
  t.Start(1000, 0.0f, 100.0f);
  EXPECT_FALSE(t.Evaluate(out_));
  EXPECT_FLOAT_EQ(out_[0], 0.0f);
  clock_.Advance(250);
  EXPECT_FALSE(t.Evaluate(out_));
  EXPECT_FLOAT_EQ(out_[0], 25.0f);
  clock_.Advance(750);
  EXPECT_TRUE(t.Evaluate(out_));
  EXPECT_FLOAT_EQ(out_[0], 100.0f);
  clock_.Advance(5000);
  EXPECT_TRUE(t.Evaluate(out_));  // and stays at the end
  EXPECT_FLOAT_EQ(out_[0], 100.0f);
}

TEST_F(TweenTest, ZeroDurationJumpsToTheEnd) {
  tav::Tween t;
  t.Start(0, 3.0f, 7.0f);
  EXPECT_TRUE(t.Evaluate(out_));
  EXPECT_FLOAT_EQ(out_[0], 7.0f);
  EXPECT_FALSE(t.running);
}

TEST_F(TweenTest, TheClockStartsAtTheFirstEvaluation) {
  tav::Tween t;
  t.Start(1000, 1.0f, 2.0f);
  clock_.Advance(5000);
  EXPECT_FALSE(t.Evaluate(out_));
  EXPECT_FLOAT_EQ(out_[0], 1.0f);
}

TEST_F(TweenTest, SurvivesTheClockWrapping) {
  tav::Tween t;
  t.from = {0, 10, 20, 30};
  t.to = {100, 110, 120, 130};
  t.duration = 100;
  t.running = true;
  clock_.Set(0xFFFFFFF0u);
  t.Evaluate(out_);
  clock_.Advance(0x30);  // reads 0x20 now
  EXPECT_FALSE(t.Evaluate(out_));
  EXPECT_FLOAT_EQ(out_[0], 48.0f);
  EXPECT_FLOAT_EQ(out_[3], 78.0f);
}

TEST_F(TweenTest, AFreshOrResetTweenShowsItsEnd) {
  tav::Tween t;
  t.Start(500, 1.0f, 9.0f);
  t.Reset();
  EXPECT_TRUE(t.Evaluate(out_));
  EXPECT_FLOAT_EQ(out_[0], 0.0f);
}

}  // namespace
