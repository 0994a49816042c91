// The quit dialog over a playing scene: its layout, the cursor glide, hover
// and press with the 100 ms confirmation, yes and no.
#include <gtest/gtest.h>

#include "app/GameWindow.h"
#include "platform/os/Input.h"
#include "platform/os/Messages.h"
#include "scenario/TitleFixture.h"

namespace {

class QuitDialogTest : public tavtest::TitleFixture {
 protected:
  void SetUp() override {
    TitleFixture::SetUp();
    Start({Story(L"まだ読んでいる"), Story(L"next")});
    Frames(3);
  }
  // The close box: the window procedure only raises the request.
  void CloseBox() { tav::GameWindowProc(game_->window, WM_CLOSE, 0, 0); }
  // True when the message that destroys the window is waiting.
  bool DestroyPosted() {
    MSG msg;
    bool found = false;
    while (tav::os::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) found |= msg.message == tav::kDestroyGameWindow;
    return found;
  }
  POINT Cursor() {
    POINT p{};
    tav::os::GetCursorPos(&p);
    tav::os::ScreenToClient(game_->window, &p);
    return p;
  }
};

TEST_F(QuitDialogTest, ThePanelIsCentredWithItsButtonsAboveItsBottomEdge) {
  const tav::CQuitDialog& quit = title_->quit;
  EXPECT_FLOAT_EQ(quit.panel.translation.x, 200);
  EXPECT_FLOAT_EQ(quit.panel.translation.y, 200);
  EXPECT_FLOAT_EQ(quit.yes.translation.x, 244);  // half its width less 16 from the left edge
  EXPECT_FLOAT_EQ(quit.yes.translation.y, 344);  // 16 above the bottom edge
  EXPECT_FLOAT_EQ(quit.no.translation.x, 444);
  EXPECT_FLOAT_EQ(quit.no.translation.y, 344);
}

TEST_F(QuitDialogTest, TheCursorGlidesToYesAndNoReturnsToTheSceneAsItWas) {
  input_.MoveCursor(10, 10);
  const std::wstring text = title_->message.Text();
  CloseBox();
  Frames(5);  // 80 ms into the glide
  const POINT mid = Cursor();
  EXPECT_GT(mid.x, 10);
  EXPECT_LT(mid.x, 252);
  Frames(12);
  EXPECT_EQ(Cursor().x, 252);
  EXPECT_EQ(Cursor().y, 352);
  EXPECT_TRUE(title_->quitDialog);
  // The scene stands still: clicks go to the dialog only.
  Click(100, 100);
  EXPECT_EQ(title_->current, 0);

  Click(500, 360);  // no
  EXPECT_FALSE(game_->input.closeRequested);
  EXPECT_FALSE(title_->quitDialog);
  EXPECT_FALSE(DestroyPosted());
  EXPECT_EQ(title_->current, 0);
  EXPECT_EQ(title_->message.Text(), text);
  EXPECT_EQ(title_->quit.no.textureName, L"Default\\no1.dds");

  // Closing again glides again.
  input_.MoveCursor(700, 50);
  CloseBox();
  Frames(20);
  EXPECT_EQ(Cursor().x, 252);
}

TEST_F(QuitDialogTest, YesQuitsAHundredMillisecondsAfterThePressEvenWhenReleasedAtOnce) {
  CloseBox();
  Frames(15);
  input_.MoveCursor(300, 360);
  Frame();
  EXPECT_EQ(title_->quit.yes.textureName, L"Default\\yes2.dds");
  input_.SetKey(VK_LBUTTON, true);
  Frame();
  input_.SetKey(VK_LBUTTON, false);
  EXPECT_EQ(title_->quit.yes.textureName, L"Default\\yes3.dds");
  input_.MoveCursor(500, 360);  // hovering no changes nothing now
  Frames(4);                    // 64 ms
  EXPECT_EQ(title_->quit.no.textureName, L"Default\\no1.dds");
  EXPECT_FALSE(DestroyPosted());
  Frames(3);
  EXPECT_TRUE(DestroyPosted());
  EXPECT_FALSE(game_->input.closeRequested);
}

TEST_F(QuitDialogTest, AnInactiveWindowTakesNoPressButStillGlides) {
  input_.MoveCursor(10, 10);
  CloseBox();
  input_.Deactivate();
  Frames(20);
  EXPECT_EQ(Cursor().x, 252);
  input_.SetKey(VK_LBUTTON, true);
  Frames(10);
  input_.SetKey(VK_LBUTTON, false);
  EXPECT_EQ(title_->quit.yes.textureName, L"Default\\yes1.dds");
  EXPECT_FALSE(DestroyPosted());
  EXPECT_TRUE(title_->quitDialog);
}

TEST_F(QuitDialogTest, EscapeOpensAndClosesItAndASecondCloseChangesNothing) {
  Tap(VK_ESCAPE);
  EXPECT_TRUE(title_->quitDialog);
  CloseBox();
  EXPECT_TRUE(game_->input.closeRequested);
  Tap(VK_ESCAPE);
  EXPECT_FALSE(game_->input.closeRequested);
  Frame();
  EXPECT_FALSE(title_->quitDialog);
}

}  // namespace
