// The edit panel over a played story: collecting scenes, the list's scroll,
// playing the playlist in a loop in a colour mode, and the playlist kept for
// the next run. Buttons are at their places on an 800-wide screen.
#include "scenario/TitleFixture.h"

namespace {

using tavtest::TitleFixture;

// The middle of each button.
constexpr float kAdd[] = {690, 146}, kClear[] = {724, 146}, kPlay[] = {782, 146}, kForward[] = {736, 180},
                kNormal[] = {782, 50}, kNegative[] = {690, 84}, kSepia[] = {758, 84};

class EditPanelTest : public TitleFixture {
 protected:
  void Press(const float* at) { Click(at[0], at[1]); }
  tav::CEditPanel& Panel() { return title_->panel; }
  D3DCOLOR Colour(tav::CEditPanel::Button b) { return Panel().buttons[b].colours[0]; }
  int32_t SceneMode() { return title_->runtimes[size_t(title_->current)].entryQuads[0]->mode; }
};

TEST_F(EditPanelTest, AddTakesEachSceneOnceInARowAndTheListScrollsPastTwenty) {
  Start({Story(L"一二三四五六七八九"), Story(L"短い"), Story(L"三")});
  Tap(VK_TAB);
  ASSERT_TRUE(Panel().Shown());
  Press(kAdd);
  Press(kAdd);  // the same scene again: add is faded and does nothing
  EXPECT_EQ(Colour(tav::CEditPanel::kAdd), 0x32FFFFFFu);
  EXPECT_EQ(title_->current, 0);  // clicks on the panel never advance the story
  title_->LeaveScene();
  Press(kAdd);
  title_->LeaveScene();
  title_->LeaveScene();  // back to the first scene: it may follow another
  Press(kAdd);
  EXPECT_EQ(Panel().Scenes(), (std::vector<int32_t>{0, 1, 0}));
  EXPECT_EQ(Panel().Labels(), (std::vector<std::wstring>{L"一二三四五六七", L"短い", L"一二三四五六七"}));
  EXPECT_NE(game_->texts.Find(L"短いedit"), nullptr);

  // Colour modes wait for the playlist to play.
  EXPECT_EQ(Colour(tav::CEditPanel::kSepia), 0x32FFFFFFu);
  for (int i = 0; i < 18; ++i) Panel().Add(i % 3, title_->scenes[size_t(i % 3)]);
  Frame();
  EXPECT_EQ(Colour(tav::CEditPanel::kForward), 0xFFFFFFFFu);  // 21 entries, 20 shown
  EXPECT_EQ(Colour(tav::CEditPanel::kBack), 0x32FFFFFFu);
  Press(kForward);
  EXPECT_EQ(Panel().ListScroll(), 1);
  EXPECT_EQ(Colour(tav::CEditPanel::kForward), 0x32FFFFFFu);
  EXPECT_EQ(Colour(tav::CEditPanel::kBack), 0xFFFFFFFFu);

  Press(kClear);
  EXPECT_TRUE(Panel().Scenes().empty());
  EXPECT_EQ(Panel().ListScroll(), 0);
  Press(kAdd);  // the last added scene was forgotten too
  EXPECT_EQ(Panel().Scenes(), (std::vector<int32_t>{0}));
  Tap(VK_TAB);
  EXPECT_FALSE(Panel().Shown());
}

TEST_F(EditPanelTest, PlayingLoopsThePlaylistInTheChosenColourMode) {
  tav::SceneData menu = Menu(Button(100, 100, -1, 1));  // waits for its button
  Start({menu, Story(L"一"), Story(L"二"), Story(L"三")});
  title_->scenes[0].messageRows.push_back({});  // text, so that it can be added
  title_->scenes[0].messageRows.back().text = L"目次";
  Tap(VK_TAB);
  for (int32_t scene : {2, 3}) {
    title_->pending = scene;
    title_->LeaveScene();
    Press(kAdd);
  }
  ASSERT_EQ(Panel().Scenes(), (std::vector<int32_t>{2, 3}));
  title_->pending = 0;
  title_->LeaveScene();
  Press(kPlay);  // the scene changes at once, to the playlist's first
  EXPECT_TRUE(Panel().Playing());
  EXPECT_EQ(title_->current, 2);
  EXPECT_EQ(Colour(tav::CEditPanel::kNormal), 0x32FFFFFFu);  // the mode in use
  Press(kSepia);
  EXPECT_EQ(SceneMode(), tav::kModeSepia);
  EXPECT_EQ(Colour(tav::CEditPanel::kSepia), 0x32FFFFFFu);
  EXPECT_EQ(Colour(tav::CEditPanel::kNegative), 0xFFFFFFFFu);
  title_->LeaveScene();
  EXPECT_EQ(title_->current, 3);
  title_->LeaveScene();
  EXPECT_EQ(title_->current, 2);  // round again, though 3 ends the scenario
  EXPECT_TRUE(Panel().Playing());
  Frame();
  EXPECT_EQ(SceneMode(), tav::kModeSepia);
  // A device without pixel shader 2.0 cannot show the modes.
  game_->device.caps.PixelShaderVersion = D3DPS_VERSION(1, 4);
  Frame();
  EXPECT_EQ(Colour(tav::CEditPanel::kNegative), 0x32FFFFFFu);
  game_->device.caps.PixelShaderVersion = D3DPS_VERSION(3, 0);
  Press(kNegative);
  EXPECT_EQ(SceneMode(), tav::kModeNegative);

  Press(kPlay);  // stops; the picture is normal again
  EXPECT_FALSE(Panel().Playing());
  EXPECT_EQ(SceneMode(), tav::kModeDefault);
  title_->LeaveScene();
  EXPECT_EQ(title_->current, 3);  // the scenario's own order again
  title_->LeaveScene();
  EXPECT_EQ(title_->current, 0);

  // The playlist is kept for the next run.
  title_->WriteUserFiles();
  CTitle next(*game_);
  next.scenes = title_->scenes;
  next.panel.Attach(800, 600);
  next.ReadUserFiles();
  EXPECT_EQ(next.panel.Scenes(), (std::vector<int32_t>{2, 3}));
  EXPECT_EQ(next.panel.Labels(), (std::vector<std::wstring>{L"二", L"三"}));
}

}  // namespace
