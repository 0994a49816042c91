// The backlog as scenes are left: blocks, pages, voice and back buttons, and
// scrolling a page to its newest row.
#include "TitleFixture.h"

namespace {

using tavtest::TitleFixture;

class BacklogTest : public TitleFixture {
 protected:
  // A story scene with two rows and, when given, voice entries.
  static tav::SceneData Spoken(const std::wstring& line, std::vector<std::wstring> voices = {}) {
    tav::SceneData s = Story(line);
    tav::MessageRow second;
    second.text = L"二行目";
    s.messageRows.push_back(second);
    for (const std::wstring& voice : voices) s.sounds.push_back({voice, 0, tav::kSoundVoice});
    return s;
  }
  void Leave() { title_->LeaveScene(); }
};

TEST_F(BacklogTest, ScenesWithTextAddOneBlockEachOnceWithTheirFirstVoice) {
  tav::config.backlogPageCapacity = 10;
  tav::SceneData silent = Menu(Button(100, 100, -1, 1), -1);
  silent.sounds.push_back({L"v0.ogg", 0, tav::kSoundVoice});  // a voice without text adds nothing
  Start({silent, Spoken(L"一", {L"v1.ogg", L"v1b.ogg"}), Spoken(L"二"), Story(L"三", 1)});
  Leave();  // 0 -> 1
  Leave();  // 1 -> 2
  Leave();  // 2 -> 3
  Leave();  // 3 -> 1 again: 1 is already in the backlog
  Leave();  // 1 -> 2
  const auto& pages = title_->backlog.Pages();
  ASSERT_EQ(pages.size(), 1u);
  const tav::BacklogPage& page = pages[0];
  EXPECT_EQ(page.blockScenes, (std::vector<int32_t>{1, 2, 3}));
  // Two rows and a separator for 1 and 2, one row and a separator for 3.
  ASSERT_EQ(page.rowQuads.size(), 8u);
  EXPECT_EQ(page.rowQuads[0]->textureName, L"一Backlog");
  EXPECT_EQ(page.rowQuads[2]->textureName, L"----Backlog");
  EXPECT_EQ(page.rowQuads[2]->colours[0], 0x64000000u);
  EXPECT_EQ(page.backRows, (std::vector<int32_t>{2, 5, 7}));
  EXPECT_EQ(page.voiceNames, (std::vector<std::wstring>{L"v1.ogg"}));
  EXPECT_EQ(page.voiceRows, (std::vector<int32_t>{2}));
  EXPECT_EQ(page.blockRows.at(2).size(), 2u);
  // The same row text shares one texture.
  EXPECT_EQ(page.rowQuads[1]->textureName, page.rowQuads[4]->textureName);
  EXPECT_EQ(title_->backlog.ListedScenes(), (std::vector<int32_t>{0, 1, 2, 3}));
  // Rows stand at the text's left edge, one row step apart; the buttons beside them.
  EXPECT_FLOAT_EQ(page.rowQuads[1]->translation.y, 25);
  EXPECT_FLOAT_EQ(page.backButtons[0]->translation.x, 80 + 25 * 21 + 25);
  EXPECT_FLOAT_EQ(page.voiceButtons[0]->translation.x, 80 + 25 * 21 + 24 + 18);
}

TEST_F(BacklogTest, AFullPageStartsTheNextAndTheViewFollows) {
  tav::config.backlogPageCapacity = 3;
  std::vector<tav::SceneData> scenes;
  for (int i = 0; i < 5; ++i) scenes.push_back(Story(L"行" + std::to_wstring(i)));
  Start(scenes);
  for (int i = 0; i < 4; ++i) Leave();
  const auto& pages = title_->backlog.Pages();
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(pages[0].blockScenes, (std::vector<int32_t>{0, 1, 2}));
  EXPECT_EQ(pages[1].blockScenes, (std::vector<int32_t>{3}));
  EXPECT_EQ(title_->backlog.ViewPageIndex(), 1);
}

TEST_F(BacklogTest, ALongPageIsScrolledToItsNewestRow) {
  tav::config.backlogPageCapacity = 100;
  std::vector<tav::SceneData> scenes;
  for (int i = 0; i < 13; ++i) scenes.push_back(Spoken(L"行" + std::to_wstring(i)));
  Start(scenes);
  for (int i = 0; i < 12; ++i) Leave();
  // 12 blocks of 3 rows on a screen of 600 / 25 = 24 rows.
  const tav::BacklogPage& page = title_->backlog.Pages()[0];
  ASSERT_EQ(page.rowQuads.size(), 36u);
  EXPECT_EQ(page.topRow, 12);
  EXPECT_FLOAT_EQ(page.rowQuads[12]->translation.y, 0);
  EXPECT_FLOAT_EQ(page.rowQuads[35]->translation.y, 23 * 25);
}

TEST_F(BacklogTest, AltBackspaceEmptiesTheBacklog) {
  Start({Spoken(L"一"), Spoken(L"二")});
  Leave();
  ASSERT_EQ(title_->backlog.Pages()[0].blockScenes.size(), 1u);
  ASSERT_NE(game_->texts.Find(L"一Backlog"), nullptr);
  input_.SetKey(VK_MENU, true);
  input_.SetKey(VK_BACK, true);
  Frame();
  input_.SetKey(VK_MENU, false);
  input_.SetKey(VK_BACK, false);
  EXPECT_TRUE(title_->backlog.Pages()[0].blockScenes.empty());
  EXPECT_EQ(title_->backlog.Pages().size(), 1u);
  EXPECT_EQ(game_->texts.Find(L"一Backlog"), nullptr);
}

}  // namespace
