// A whole scenario written as scene files, loaded by the parser and played by
// the title scene through its frame, driven by clicks and keys: the menu,
// story scenes with speakers, buttons with their actions, auto and skip
// modes, a call and its return, effects on leaving, the return to the menu.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/Config.h"
#include "app/GameWindow.h"
#include "res/Stores.h"
#include "scenario/ScenarioLoader.h"
#include "scenario/TitleFixture.h"
#include "support/PacBuilder.h"

namespace {

using tavtest::TitleFixture;

std::string Crlf(std::initializer_list<const char*> lines) {
  std::string out;
  for (const char* line : lines) out += std::string(line) + "\r\n";
  return out;
}

// Buttons are 100 x 40 ("b1.png"); x y image target second third action leave text value.
const char* kMenu[] = {
    "{-2",
    "\timg 0 0 bg.png",
    "\timg 100 100 b1.png 1 b2.png b3.png -1 0",  // 0: start
    "\timg 100 160 b1.png -1 b2.png b3.png 22",   // 1: instant effects
    "\timg 100 220 b1.png -1 b2.png b3.png 17 0 6 7",  // 2: call scene 6, which ends the call
    "}",
};

class TitleEndToEndTest : public TitleFixture {
 protected:
  void Load() {
    std::vector<std::string> menu(std::begin(kMenu), std::end(kMenu));
    std::string menuFile;
    for (const std::string& line : menu) menuFile += line + "\r\n";
    const std::string story = Crlf({
        "[",
        "\timg 0 0 bg.png",
        "\timg 50 420 win.png",
        "\timg 680 20 b1.png -1 b2.png b3.png 2",  // auto
        "\timg 680 70 b1.png -1 b2.png b3.png 3",  // skip
        "\timg 680 120 b1.png -1 b2.png b3.png 4",  // back
        "\timg 680 170 b1.png -1 b2.png b3.png 21",  // picture view
        "\timg 680 220 b1.png -1 b2.png b3.png 16",  // to the menu
        "]",
        "{ -1 0",  // 1
        "\t[c] 0",
        "\tsnd music.ogg",
        "\tmsg 【ミカ】「おはよう」",
        "}",
        "{ -1 0",  // 2
        "\t[c] 0",
        "\tsnd music.ogg",
        "\tmsg 【ソラ】（まだ眠い）",
        "}",
        "{ -1 1",  // 3: leaves through a fade and a fading picture
        "\t[c] 0",
        "\t[o] 300 100 b1.png 300",
        "\tmsg 地の文です。",
        "\tef0 FF000000 255 300",
        "}",
        "{ -1 1",  // 4: a peephole and a cut-in of a drawn picture
        "\t[c] 0",
        "\tmsg おしまい",
        "\tef1 FF000000 0.5 1 300",
        "\tef2 FFFFFFFF -100 0 0 0 300",
        "\t[d] 0 0 b2.png",
        "}",
        "{ -1 0",  // 5
        "\t[c] 0",
        "\tmsg 終わり",
        "}",
        "{ -1 0",  // 6: the scene the menu calls
        "\t[c] 0",
        "\tmsg 呼ばれた",
        "}",
        "{ -1 0",  // 7: the end of the call, and the last scene
        "\t[c] 0",
        "\tmsg 戻る",
        "}",
    });
    tav::ArchiveStore texts;
    const std::string archive = tavtest::BuildArchive({{"Txt\\scene.txt", Crlf({"menu.txt", "story.txt"})},
                                                       {"Txt\\menu.txt", menuFile},
                                                       {"Txt\\story.txt", story}});
    ASSERT_TRUE(tav::ArchiveStore::LoadFromMemory(texts, reinterpret_cast<const uint8_t*>(archive.data()),
                                                  archive.size(), L"Txt.pac"));
    title_ = new CTitle(*game_);
    ASSERT_TRUE(tav::LoadScenario(texts, tav::config, game_->window, title_->scenes, title_->imageSets));
    ASSERT_EQ(title_->scenes.size(), 8u);
    ASSERT_TRUE(game_->RegisterScene(L"TITLE", title_));
    ASSERT_TRUE(title_->EnterScene(0));
    EXPECT_EQ(tavtest::ReadErrorLog(), "");
  }
  // Clicks the message area until the scene changes (or 10 clicks went by).
  void ClickThrough() {
    const int32_t from = title_->current;
    for (int i = 0; i < 10 && title_->current == from; ++i) {
      Click(300, 300);
      Frames(30);
    }
  }
};

TEST_F(TitleEndToEndTest, PlaysTheScenarioFromTheMenuToItsEndAndBack) {
  Load();
  // The instant-effects button flips the flag and back.
  Frame();
  Click(150, 180);
  EXPECT_TRUE(title_->instantEffects);
  Click(150, 180);
  EXPECT_FALSE(title_->instantEffects);

  // Start: scene 1 with its speaker and music.
  Click(150, 120);
  ASSERT_EQ(title_->current, 1);
  EXPECT_EQ(title_->message.Name(), L"ミカ");
  EXPECT_EQ(title_->channels[0].name, L"music.ogg");
  // The first click completes the text, the second leaves; the music goes on.
  Click(300, 300);
  EXPECT_EQ(title_->current, 1);
  Frames(40);
  EXPECT_TRUE(title_->message.Complete());
  Click(300, 300);
  ASSERT_EQ(title_->current, 2);
  EXPECT_EQ(title_->message.Name(), L"ソラ");
  EXPECT_EQ(std::count(sounds_.begin(), sounds_.end(), L"Remove music.ogg"), 0);

  // Back (action 4) returns to the previous scene.
  Click(730, 140);
  EXPECT_EQ(title_->current, 1);
  ClickThrough();
  ASSERT_EQ(title_->current, 2);

  // Picture view (action 21) hides the window until Space.
  Click(730, 190);
  EXPECT_TRUE(title_->pictureView);
  Tap(VK_SPACE);
  EXPECT_FALSE(title_->pictureView);

  // Auto mode (action 2) reads scene 2 and moves on by itself.
  Click(730, 40);
  ASSERT_TRUE(title_->autoMode);
  Frames(50);
  ASSERT_EQ(title_->current, 3);
  Click(730, 40);  // and off again
  EXPECT_FALSE(title_->autoMode);

  // Scene 3 leaves through its fade: the effect runs, then scene 4 comes.
  while (title_->current == 3) {
    Click(300, 300);
    if (title_->transitionRunning) {
      EXPECT_TRUE(title_->effectsRunning);
      break;
    }
  }
  Frames(30);
  ASSERT_EQ(title_->current, 4);
  ClickThrough();
  ASSERT_EQ(title_->current, 5);

  // Skip mode (action 3) runs over read scenes only: scene 5 is not read yet,
  // so it waits; once read, the end of the table leads back to the menu.
  Click(730, 90);
  ASSERT_TRUE(title_->skipMode);
  Frames(60);
  EXPECT_EQ(title_->current, 5);
  title_->readScenes.insert(5);
  Frames(60);
  EXPECT_EQ(title_->current, 6);
  Click(730, 90);
  EXPECT_FALSE(title_->skipMode);
  // To the menu (action 16): sounds stop, modes clear.
  Click(730, 240);
  EXPECT_EQ(title_->current, 0);
  EXPECT_NE(std::find(sounds_.begin(), sounds_.end(), L"RemoveAll"), sounds_.end());

  // The call (action 17): scene 6, then 7 ends the call and returns to the menu.
  Click(150, 240);
  ASSERT_EQ(title_->current, 6);
  EXPECT_EQ(title_->callEnd, 7);
  ClickThrough();
  ASSERT_EQ(title_->current, 7);
  ClickThrough();
  EXPECT_EQ(title_->current, 0);
  EXPECT_EQ(title_->callEnd, -1);
  EXPECT_EQ(title_->readScenes.count(7), 0u);  // seen only during the call
  EXPECT_EQ(tavtest::ReadErrorLog(), "");
}

}  // namespace
