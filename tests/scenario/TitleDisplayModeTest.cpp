// Window mode and full screen on the device double: the scale factors follow
// the back buffer, every quad is stretched by them, clicks land on what is
// drawn, and a switch the device refuses leaves a working game.
#include <SDL.h>
#include <gtest/gtest.h>

#include "app/GameWindow.h"
#include "platform/os/Input.h"
#include "platform/os/Window.h"
#include "scenario/TitleFixture.h"

namespace {

class TitleDisplayModeTest : public tavtest::TitleFixture {
 protected:
  void SetUp() override {
    // The double's display is the one the window covers in full screen.
    ASSERT_TRUE(tav::os::StartVideo());
    SDL_DisplayMode desktop;
    ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0) << SDL_GetError();
    gpu_.mode.Width = UINT(desktop.w);
    gpu_.mode.Height = UINT(desktop.h);
    TitleFixture::SetUp();
  }

  // Full screen and window buttons, and a message window.
  tav::SceneData SwitchMenu() {
    tav::SceneData menu = Menu(Button(100, 100, 5));
    menu.images.push_back(Button(100, 200, 6));
    menu.images.push_back(Picture(L"win.png", 50, 420));
    return menu;
  }

  void ExpectScale(float x, float y) {
    EXPECT_FLOAT_EQ(title_->scaleFactor.x, x);
    EXPECT_FLOAT_EQ(title_->scaleFactor.y, y);
    for (const auto& quad : title_->runtimes[size_t(title_->current)].entryQuads) {
      EXPECT_FLOAT_EQ(quad->scale.x, x);
      EXPECT_FLOAT_EQ(quad->scale.y, y);
    }
    EXPECT_FLOAT_EQ(title_->message.NameBox().scale.x, x);
    EXPECT_FLOAT_EQ(title_->message.AutoMark().scale.y, y);
  }
};

TEST_F(TitleDisplayModeTest, FullScreenStretchesEveryQuadAndClicksHitWhatIsDrawn) {
  Start({SwitchMenu()});
  Click(150, 120);
  ASSERT_EQ(game_->device.present.Windowed, 0u);
  ASSERT_EQ(game_->device.present.BackBufferWidth, gpu_.mode.Width);
  const float sx = float(gpu_.mode.Width) / 800, sy = float(gpu_.mode.Height) / 600;
  ExpectScale(sx, sy);
  // The button at (100, 100) is drawn at (100 sx, 100 sy) on the screen.
  const tav::QuadCorners corners = title_->runtimes[0].entryQuads[1]->GetCorners();
  EXPECT_FLOAT_EQ(corners[0].x, 100 * sx);
  EXPECT_FLOAT_EQ(corners[3].y, 140 * sy);

  // The quit dialog is stretched too, and its cursor glides onto yes as drawn.
  Tap(VK_ESCAPE);
  Frames(15);
  ASSERT_TRUE(title_->quitDialog);
  EXPECT_FLOAT_EQ(title_->quit.yes.scale.x, sx);
  EXPECT_EQ(title_->quit.yes.textureName, L"Default\\yes2.dds");
  Tap(VK_ESCAPE);
  Frame();
  ASSERT_FALSE(title_->quitDialog);

  // The window button where the screen shows it.
  Click(150 * sx, 220 * sy);
  EXPECT_EQ(game_->device.present.Windowed, 1u);
  ExpectScale(1, 1);
}

TEST_F(TitleDisplayModeTest, AltEnterSwitchesBothWaysAndLeavesTheArrowCursor) {
  Start({SwitchMenu()});
  for (UINT windowed : {0u, 1u}) {
    input_.SetKey(VK_MENU, true);
    input_.SetKey(VK_RETURN, true);
    Frame();
    input_.SetKey(VK_RETURN, false);
    input_.SetKey(VK_MENU, false);
    Frames(8);
    EXPECT_EQ(game_->device.present.Windowed, windowed);
    EXPECT_EQ(tav::os::SetCursor(nullptr), tav::os::LoadCursorW(nullptr, IDC_ARROW));
  }
  ExpectScale(1, 1);
}

TEST_F(TitleDisplayModeTest, ASwitchTheDeviceRefusesKeepsAWorkingWindow) {
  Start({SwitchMenu()});
  if (tav::ex)
    gpu_.Script("ResetEx", {D3DERR_DEVICEREMOVED});
  else
    gpu_.Script("Reset", {D3DERR_INVALIDCALL});
  Click(150, 120);
  EXPECT_EQ(game_->device.present.Windowed, 1u);
  EXPECT_EQ(game_->device.present.BackBufferWidth, 800u);
  EXPECT_EQ(game_->device.state, tav::DeviceState::Ok);
  EXPECT_NE(tavtest::ReadErrorLog().find("Reset"), std::string::npos) << tavtest::ReadErrorLog();
  ExpectScale(1, 1);
  // The game goes on, and the next try succeeds.
  Click(150, 120);
  EXPECT_EQ(game_->device.present.Windowed, 0u);
}

}  // namespace
