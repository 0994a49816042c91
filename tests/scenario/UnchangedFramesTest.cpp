// A page waiting for a click costs nothing: frames that would look like the
// one on screen are neither drawn nor presented, a frame in which only the
// text's pulse changed is drawn again only in the text's box, and an
// uncovered window is drawn whole.
#include "app/GameWindow.h"
#include "scenario/TitleFixture.h"

namespace {

using tavtest::TitleFixture;

class UnchangedFramesTest : public TitleFixture {};

TEST_F(UnchangedFramesTest, AWaitingPageIsDrawnOnlyWhereAndWhenItChanges) {
  game_->skipUnchangedFrames = true;
  Start({Story(L"一二三"), Story(L"次")});
  Click(400, 300);  // the whole line at once
  Frames(30);       // its glyphs' fades end
  gpu_.ClearCalls();
  Frames(60);  // a second in the pause before the pulse
  EXPECT_EQ(gpu_.Count("Present"), 0u);
  EXPECT_EQ(gpu_.Count("DrawIndexedPrimitiveUP"), 0u);
  EXPECT_EQ(gpu_.Count("Clear"), 0u);

  // The pulse dims the text 4 s after it was complete: every frame shows it,
  // drawn again only in the text's box.
  Frames(170);
  gpu_.ClearCalls();
  Frames(10);
  EXPECT_EQ(gpu_.Count("Present"), 10u);
  ASSERT_EQ(gpu_.Count("SetScissorRect"), 10u);
  for (const std::string& call : gpu_.Calls()) {
    if (call.rfind("SetScissorRect", 0) != 0) continue;
    int left = 0, top = 0, right = 0, bottom = 0;
    ASSERT_EQ(std::sscanf(call.c_str(), "SetScissorRect %d %d %d %d", &left, &top, &right, &bottom), 4) << call;
    EXPECT_GE(left, 70);  // the line starts at x 80, y 470, with 24-pixel glyphs
    EXPECT_GE(top, 460);
    EXPECT_LE(right, 200);
    EXPECT_LE(bottom, 510);
  }
  EXPECT_EQ(gpu_.RenderState(D3DRS_SCISSORTESTENABLE), 0u);  // switched off after each such frame

  // Uncovered, the window is drawn whole once, pulse or not.
  Frames(60);  // the dimmed text rests
  gpu_.ClearCalls();
  tav::GameWindowProc(game_->window, WM_PAINT, 0, 0);
  Frame();
  EXPECT_EQ(gpu_.Count("Present"), 1u);
  EXPECT_EQ(gpu_.Count("SetScissorRect"), 0u);
  EXPECT_GT(gpu_.Count("DrawIndexedPrimitiveUP"), 3u);
}

}  // namespace
