// The game window on the real backends, headless: the window procedure's
// handling of its messages, the cursor in configured coordinates, and the
// switch between window and full screen.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/Game.h"
#include "app/GameWindow.h"
#include "app/Keys.h"
#include "platform/fake/ScriptedInput.h"
#include "platform/os/Messages.h"
#include "platform/os/WindowCalls.h"
#include "support/PacBuilder.h"
#include "support/TempDir.h"

namespace {

class GameWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    saved_ = std::filesystem::current_path();
    tavtest::WriteFileBytes(dir_ / "Res.pac", tavtest::BuildArchive({}));
    std::filesystem::current_path(dir_.Path());
    ASSERT_TRUE(tav::CreateDirect3D(L"Tavri"));
    game_ = std::make_unique<tav::CGame>();
  }
  void TearDown() override {
    if (game_->window) tav::os::DestroyWindow(game_->window);
    game_.reset();
    tav::direct3D.reset();
    tav::ex = false;
    std::filesystem::current_path(saved_);
  }
  // Dispatches everything queued; returns WM_QUIT's code, or -1 if none came.
  int Drain() {
    MSG msg;
    while (tav::os::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) return int(msg.wParam);
      tav::os::DispatchMessageW(&msg);
    }
    return -1;
  }

  tavtest::TempDir dir_;
  std::filesystem::path saved_;
  std::unique_ptr<tav::CGame> game_;
};

TEST_F(GameWindowTest, TheProcedureHandlesCloseWheelSystemKeysAndTheDestroyMessage) {
  ASSERT_TRUE(tav::CreateGameWindow(nullptr, L"Window Test", *game_, 320, 240, true, nullptr));
  HWND window = game_->window;
  game_->input.closeRequested = false;
  EXPECT_EQ(tav::GameWindowProc(window, WM_CLOSE, 0, 0), 0);
  EXPECT_TRUE(game_->input.closeRequested);  // only a request: the window stays
  RECT client;
  EXPECT_TRUE(tav::os::GetClientRect(window, &client));

  tav::GameWindowProc(window, WM_MOUSEWHEEL, WPARAM(uint16_t(-240)) << 16, 0);
  EXPECT_EQ(game_->input.wheelDelta, -240);
  tav::GameWindowProc(window, WM_MOUSEWHEEL, WPARAM(120) << 16, 0);
  EXPECT_EQ(game_->input.wheelDelta, 120);
  EXPECT_EQ(tav::GameWindowProc(window, WM_SYSKEYDOWN, VK_MENU, 0), 0);
  EXPECT_EQ(tav::GameWindowProc(window, WM_ACTIVATE, WA_INACTIVE, 0), 0);

  EXPECT_EQ(Drain(), -1);
  tav::os::PostMessageW(window, tav::kDestroyGameWindow, 0, 0);
  EXPECT_EQ(Drain(), 0);  // destroyed, and WM_DESTROY asked the loop to end with 0
  game_->window = nullptr;
}

TEST_F(GameWindowTest, TheCursorIsReadInConfiguredCoordinates) {
  // The window shows a 320 x 240 game at twice its size.
  ASSERT_TRUE(tav::CreateGameWindow(nullptr, L"Cursor Test", *game_, 640, 480, true, nullptr));
  tav::fake::ScriptedInput input;
  input.Install();
  input.MoveCursor(200, 100);
  float x = 0, y = 0;
  EXPECT_TRUE(tav::CursorInScreenSpace(game_->window, 320, 240, x, y));
  input.Uninstall();
  EXPECT_FLOAT_EQ(x, 100.0f);
  EXPECT_FLOAT_EQ(y, 50.0f);
}

TEST_F(GameWindowTest, SwitchingToFullScreenAndBackResetsTheDevice) {
  ASSERT_TRUE(tav::CreateGameWindow(nullptr, L"Mode Test", *game_, 320, 240, true, nullptr));
  ASSERT_EQ(game_->device.present.Windowed, 1);
  ASSERT_TRUE(tav::ApplyWindowMode(*game_));
  EXPECT_EQ(game_->device.present.Windowed, 0);
  EXPECT_EQ(game_->device.present.BackBufferWidth, game_->device.displayMode.Width);
  EXPECT_NE(game_->device.GetTexture(L"DefaultTex"), nullptr);  // rebuilt after the reset
  ASSERT_TRUE(tav::ApplyWindowMode(*game_));
  EXPECT_EQ(game_->device.present.Windowed, 1);
  EXPECT_EQ(game_->device.present.BackBufferWidth, 320u);
  RECT client;
  ASSERT_TRUE(tav::os::GetClientRect(game_->window, &client));
  EXPECT_EQ(client.right - client.left, 320);
  EXPECT_TRUE(game_->Frame());
}

}  // namespace
