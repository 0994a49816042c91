#include <gtest/gtest.h>

#include "app/Game.h"
#include "text/TexString.h"
#include "app/GameFixture.h"

namespace {

struct Counts {
  int updates = 0, draws = 0, deleted = 0;
};

class CountingScene : public tav::CScene {
 public:
  explicit CountingScene(Counts& counts) : counts_(counts) {}
  ~CountingScene() override { ++counts_.deleted; }
  void Update() override { ++counts_.updates; }
  void Draw() override { ++counts_.draws; }

 private:
  Counts& counts_;
};

class GameTest : public tavtest::GameFixture {
 protected:
  Counts counts_;
};

TEST_F(GameTest, WithoutScenesAFrameStillClearsAndPresents) {
  gpu_.ClearCalls();
  EXPECT_TRUE(game_->Frame());
  EXPECT_EQ(gpu_.Count("Clear"), 1u);
  EXPECT_EQ(gpu_.Count("BeginScene"), 1u);
  EXPECT_EQ(gpu_.Count("PresentEx"), 1u);
}

TEST_F(GameTest, RegisteredScenesUpdateAndDrawEachFrame) {
  ASSERT_TRUE(game_->RegisterScene(L"TITLE", new CountingScene(counts_)));
  EXPECT_TRUE(game_->Frame());
  EXPECT_TRUE(game_->Frame());
  EXPECT_EQ(counts_.updates, 2);
  EXPECT_EQ(counts_.draws, 2);

  // A second scene under the same name is refused and deleted.
  Counts other;
  EXPECT_FALSE(game_->RegisterScene(L"TITLE", new CountingScene(other)));
  EXPECT_EQ(other.deleted, 1);
  EXPECT_EQ(game_->updateTasks.size(), 1u);
  EXPECT_EQ(game_->drawTasks.size(), 1u);
}

TEST_F(GameTest, NothingRunsWhileTheDeviceIsLost) {
  ASSERT_TRUE(game_->RegisterScene(L"TITLE", new CountingScene(counts_)));
  gpu_.Script("PresentEx", {D3DERR_DEVICELOST});
  EXPECT_TRUE(game_->Frame());
  gpu_.Script("CheckDeviceState", {D3DERR_DEVICELOST});
  gpu_.Script("ResetEx", {D3DERR_DEVICELOST});
  EXPECT_TRUE(game_->Frame());  // still lost: success, but no scene runs
  EXPECT_EQ(counts_.updates, 1);
  EXPECT_EQ(counts_.draws, 1);
}

TEST_F(GameTest, TheWalkStopsAtAFailedStateAndHonoursRemovedTasks) {
  Counts first, second;
  tav::DeviceState failed = tav::DeviceState::Failed, ok = tav::DeviceState::Ok;
  std::vector<tav::SceneTask> tasks = {
      {L"a", false, [&] { ++first.updates; }, &ok},
      {L"gone", true, [&] { ++second.deleted; }, &ok},
      {L"b", false, [&] { ++second.updates; }, &failed},
      {L"c", false, [&] { ++first.draws; }, &ok},
  };
  EXPECT_FALSE(tav::CGame::WalkTasks(tasks));
  EXPECT_EQ(first.updates, 1);
  EXPECT_EQ(second.deleted, 0);  // a removed task is erased, not run
  EXPECT_EQ(second.updates, 0);
  EXPECT_EQ(first.draws, 0);  // after the failed one nothing runs
  EXPECT_EQ(tasks.size(), 3u);
  std::vector<tav::SceneTask> none;
  EXPECT_TRUE(tav::CGame::WalkTasks(none));
}

TEST_F(GameTest, RestorablesAreReleasedAndRestoredInRegistryOrder) {
  struct Named : CTexString {
    Named(std::string n, std::vector<std::string>& e) : name(std::move(n)), events(e) {}
    bool Restore() override {
      events.push_back(name + " restore");
      return true;
    }
    bool Release() override {
      events.push_back(name + " release");
      return true;
    }
    std::string name;
    std::vector<std::string>& events;
  };
  std::vector<std::string> events;
  for (const char* n : {"zeta", "alpha", "mid"})
    game_->texts.Add(std::wstring(n, n + strlen(n)), std::make_shared<Named>(n, events));
  int afterReset = 0;
  game_->SetAfterReset([&] {
    ++afterReset;
    return true;
  });
  gpu_.Script("CheckDeviceState", {D3DERR_DEVICELOST});
  EXPECT_TRUE(game_->Frame());
  EXPECT_EQ(events, (std::vector<std::string>{"zeta release", "alpha release", "mid release", "zeta restore",
                                              "alpha restore", "mid restore"}));
  EXPECT_EQ(afterReset, 1);  // states are set again after the Ex device's reset too
}

}  // namespace
