#pragma once
// A game object of its own with a 320 x 240 device on the Direct3D double.
#include <memory>

#include "app/Game.h"
#include "gfx/GfxFixture.h"

namespace tavtest {

class GameFixture : public GfxFixture {
 protected:
  void SetUp() override {
    GfxFixture::SetUp();
    ASSERT_TRUE(tav::CreateDirect3D(L"Tavri"));
    game_ = std::make_unique<tav::CGame>();
    ASSERT_TRUE(game_->device.InitDevice(nullptr, 320, 240, true));
    game_->taskState = &game_->device.state;
  }
  void TearDown() override {
    game_.reset();
    GfxFixture::TearDown();
  }
  std::unique_ptr<tav::CGame> game_;
};

}  // namespace tavtest
