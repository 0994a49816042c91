// The backlog screen over a played story: opening and closing, paging, the
// scroll bar and its thumb, hearing a voice again and going back to a scene.
// Frames run on the doubles with the fake clock; the window is 800 x 600 and
// rows are 25 pixels apart (font size 24).
#include "scenario/TitleFixture.h"

namespace {

using tavtest::TitleFixture;

class BacklogScreenTest : public TitleFixture {
 protected:
  void SetUp() override {
    TitleFixture::SetUp();
    tav::config.backlogPageCapacity = 20;
  }
  // A story scene with two rows and, when given, a voice.
  static tav::SceneData Spoken(const std::wstring& line, const std::wstring& voice = L"") {
    tav::SceneData s = Story(line);
    tav::MessageRow second;
    second.text = L"二行目";
    s.messageRows.push_back(second);
    if (!voice.empty()) s.sounds.push_back({voice, 0, tav::kSoundVoice});
    return s;
  }
  // Plays `count` scenes of `scenes` and leaves each.
  void PlayThrough(std::vector<tav::SceneData> scenes, int count) {
    Start(std::move(scenes));
    for (int i = 0; i < count; ++i) title_->LeaveScene();
  }
  void Wheel(int delta) {
    game_->input.wheelDelta = delta;
    Frame();
  }
  tav::CBacklogScreen& Screen() { return title_->backlogScreen; }
  const tav::BacklogPage& ViewPage() { return title_->backlog.ViewPage(); }
};

TEST_F(BacklogScreenTest, TheWheelOpensItOverTheStoryAndTheRightButtonClosesItAsItWas) {
  PlayThrough({Spoken(L"一"), Spoken(L"二"), Story(L"三")}, 2);
  Frames(3);
  title_->skipMode = true;
  Wheel(120);
  ASSERT_TRUE(Screen().IsOpen());
  EXPECT_FALSE(title_->skipMode);
  EXPECT_EQ(game_->input.wheelDelta, 0);
  // While it is open, clicks and keys are the screen's: the story stays.
  Click(300, 300);
  Tap(VK_CONTROL);
  EXPECT_EQ(title_->current, 2);
  EXPECT_TRUE(Screen().IsOpen());

  Tap(VK_RBUTTON);
  EXPECT_FALSE(Screen().IsOpen());
  EXPECT_FALSE(title_->pictureView);  // the same click does not also enter picture view
  EXPECT_EQ(title_->current, 2);
  // Page Up opens it as well; the screen reopens where it was.
  Tap(VK_PRIOR);
  EXPECT_TRUE(Screen().IsOpen());
  EXPECT_EQ(title_->backlog.ViewPageIndex(), 0);
}

TEST_F(BacklogScreenTest, PagesTurnByArrowsAndKeysOnlyWhereThereIsAPage) {
  tav::config.backlogPageCapacity = 3;
  std::vector<tav::SceneData> scenes;
  for (int i = 0; i < 8; ++i) scenes.push_back(Story(L"行" + std::to_wstring(i)));
  PlayThrough(scenes, 7);  // pages of scenes {0 1 2} {3 4 5} {6}
  Wheel(120);
  ASSERT_EQ(title_->backlog.CurrentPage(), 2);
  EXPECT_EQ(title_->backlog.ViewPageIndex(), 2);
  EXPECT_EQ(Screen().pageLeft.colours[0], 0xFFFFFFFFu);
  EXPECT_EQ(Screen().pageRight.colours[0], 0x32FFFFFFu);
  Click(766 + 8, 8);  // the right arrow on the last page does nothing
  EXPECT_EQ(title_->backlog.ViewPageIndex(), 2);
  Tap(VK_LEFT);
  EXPECT_EQ(title_->backlog.ViewPageIndex(), 1);
  Click(748 + 8, 8);
  EXPECT_EQ(title_->backlog.ViewPageIndex(), 0);
  EXPECT_EQ(Screen().pageLeft.colours[0], 0x32FFFFFFu);
  Click(748 + 8, 8);
  Tap(VK_LEFT);
  EXPECT_EQ(title_->backlog.ViewPageIndex(), 0);
  EXPECT_EQ(ViewPage().blockScenes, (std::vector<int32_t>{0, 1, 2}));
  Tap(VK_RIGHT);
  EXPECT_EQ(title_->backlog.ViewPageIndex(), 1);
  EXPECT_EQ(Screen().pageLeft.colours[0], 0xFFFFFFFFu);
  EXPECT_EQ(Screen().pageRight.colours[0], 0xFFFFFFFFu);
}

TEST_F(BacklogScreenTest, AShortPageFillsTheTrackAndTheWheelDownClosesAtOnce) {
  PlayThrough({Spoken(L"一"), Spoken(L"二"), Story(L"三")}, 2);
  Wheel(120);
  // Six rows on a screen of 24: the thumb runs the whole track, 16 to H - 16.
  EXPECT_FLOAT_EQ(Screen().ThumbTop(), 16);
  EXPECT_FLOAT_EQ(Screen().ThumbHeight(), 568);
  Click(792, 592);  // the down arrow cannot be used
  EXPECT_EQ(ViewPage().topRow, 0);
  Wheel(-120);
  EXPECT_FALSE(Screen().IsOpen());
  EXPECT_EQ(title_->current, 2);  // closing is all the turn did
}

TEST_F(BacklogScreenTest, ALongPageScrollsByArrowAndWheelAndFollowsTheThumb) {
  std::vector<tav::SceneData> scenes;
  for (int i = 0; i < 13; ++i) scenes.push_back(Spoken(L"行" + std::to_wstring(i)));
  PlayThrough(scenes, 12);  // 36 rows: 1.5 screens, the newest at the foot
  Wheel(120);
  ASSERT_EQ(ViewPage().topRow, 12);
  // The thumb is two thirds of the screen, at the foot of the track.
  EXPECT_FLOAT_EQ(Screen().ThumbHeight(), 600 / 1.5f - 32);
  EXPECT_FLOAT_EQ(Screen().ThumbTop(), 25 * 12 / 1.5f + 16);
  for (int i = 0; i < 14; ++i) Wheel(120);
  EXPECT_EQ(ViewPage().topRow, 0);
  EXPECT_FLOAT_EQ(ViewPage().rowQuads[0]->translation.y, 0);
  EXPECT_FLOAT_EQ(Screen().ThumbTop(), 16);

  // Holding the down arrow: a row each time a press comes due (7 frames of
  // 16 ms, the first 100 ms after the press), until the last row is at the foot.
  input_.MoveCursor(792, 592);
  input_.SetKey(VK_LBUTTON, true);
  Frames(29);
  EXPECT_EQ(ViewPage().topRow, 4);
  EXPECT_EQ(Screen().down.textureName, L"Default\\btm3.dds");
  Frames(100);
  EXPECT_EQ(ViewPage().topRow, 12);
  input_.SetKey(VK_LBUTTON, false);
  Frames(8);
  EXPECT_EQ(ViewPage().topRow, 12);
  EXPECT_TRUE(Screen().IsOpen());

  // Dragging the thumb (now 216 to 584) up by 100 pixels scrolls until the
  // point that was grabbed is back under the cursor.
  input_.MoveCursor(792, 300);
  Frame();
  input_.SetKey(VK_LBUTTON, true);
  Frame();
  ASSERT_TRUE(Screen().Dragging());
  input_.MoveCursor(792, 200);
  Frame();
  EXPECT_EQ(ViewPage().topRow, 6);
  EXPECT_EQ(Screen().thumb.textureName, L"Default\\s3.dds");
  input_.SetKey(VK_LBUTTON, false);
  Frame();
  EXPECT_FALSE(Screen().Dragging());
  // At the last row the wheel turned down closes the screen.
  for (int i = 0; i < 6; ++i) Wheel(-120);
  EXPECT_TRUE(Screen().IsOpen());
  Wheel(-120);
  EXPECT_FALSE(Screen().IsOpen());
}

TEST_F(BacklogScreenTest, AVoiceIsHeardAgainAndABackButtonReturnsToItsScene) {
  PlayThrough({Spoken(L"一", L"v1.ogg"), Spoken(L"二"), Story(L"三")}, 2);
  Wheel(120);
  // Block 0: rows 0 and 1 and its separator at row 2, with its buttons beside
  // it (back at x 630, voice at 647); block 1 at rows 3 to 5.
  input_.MoveCursor(650, 55);
  Frame();
  const tav::BacklogPage& page = ViewPage();
  EXPECT_EQ(page.rowQuads[0]->colours[0], 0xFFFFCC00u);
  EXPECT_EQ(page.rowQuads[1]->colours[0], 0xFFFFCC00u);
  EXPECT_EQ(page.rowQuads[3]->colours[0], 0xFFFFFFFFu);
  EXPECT_EQ(page.rowQuads[2]->colours[0], 0x64000000u);  // the separator is not lit
  EXPECT_EQ(page.voiceButtons[0]->textureName, L"Default\\v2.dds");
  sounds_.clear();
  Click(650, 55);
  EXPECT_EQ(sounds_, (std::vector<std::wstring>{L"Remove v1.ogg", L"Create v1.ogg", L"SetVolume v1.ogg",
                                                L"Play v1.ogg"}));
  EXPECT_EQ(Screen().Voice(), L"v1.ogg");

  // A back button waits while a call runs.
  title_->callEnd = 7;
  input_.MoveCursor(633, 130);
  Frame();
  EXPECT_EQ(page.rowQuads[3]->colours[0], 0xFFFFFFFFu);
  Click(633, 130);
  EXPECT_TRUE(Screen().IsOpen());
  title_->callEnd = -1;

  sounds_.clear();
  Click(633, 130);  // block 1's back button
  EXPECT_FALSE(Screen().IsOpen());
  EXPECT_EQ(title_->current, 1);
  EXPECT_TRUE(Sent(L"Remove v1.ogg"));  // the replayed voice stops
  EXPECT_EQ(Screen().Voice(), L"");
  // The scene is there again, its text revealing, and plays on from there.
  EXPECT_EQ(title_->runtimes[1].entryQuads.size(), title_->scenes[1].images.size());
  Click(300, 300);
  Click(300, 300);
  EXPECT_EQ(title_->current, 2);
}

}  // namespace
