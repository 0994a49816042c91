#pragma once
// The title scene on the Direct3D and font doubles, in a hidden window, with
// the fake clock, scripted input and a sound double that records commands.
// Scenes are built in the test as tables, the way the parser leaves them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/Config.h"
#include "app/Game.h"
#include "platform/fake/FakeClock.h"
#include "platform/fake/FakeD3D9.h"
#include "platform/fake/FakeFont.h"
#include "platform/fake/ScriptedInput.h"
#include "scenario/Title.h"
#include "support/TempDir.h"

namespace tavtest {

class TitleFixture : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Makes the title with `scenes` and enters the first scene.
  void Start(std::vector<tav::SceneData> scenes);
  // One frame: update and draw, then 16 ms pass.
  void Frame();
  void Frames(int count) {
    for (int i = 0; i < count; ++i) Frame();
  }
  // Left button down at (x, y) for one frame, then up; then frames until 150 ms passed.
  void Click(float x, float y);
  void Tap(int vk);  // down for one frame, then up for one

  // Scene parts.
  static tav::ImageEntry Picture(const std::wstring& image, float x, float y);
  // A button at (x, y), 100 x 40, with the "b" images.
  static tav::ImageEntry Button(float x, float y, int32_t actionCode, int32_t targetScene = -1);
  static tav::SceneData Story(const std::wstring& line, int32_t nextScene = -1);
  // A scene with only a button.
  static tav::SceneData Menu(tav::ImageEntry button, int32_t nextScene = -2);

  // Sounds commands seen, as "Play name", "Remove name", ...
  std::vector<std::wstring> sounds_;
  bool Sent(const std::wstring& command) const {
    return std::find(sounds_.begin(), sounds_.end(), command) != sounds_.end();
  }
  TempDir dir_;
  std::filesystem::path saved_;
  tav::fake::FakeGpu gpu_;
  tav::fake::FakeFont font_;
  tav::fake::FakeClock clock_{10000};
  tav::fake::ScriptedInput input_;
  std::unique_ptr<tav::CGame> game_;
  CTitle* title_ = nullptr;  // owned by the game
  tav::GameConfig savedConfig_;
};

}  // namespace tavtest
