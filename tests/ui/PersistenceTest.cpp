// What survives: save and load screens with their labelled slots, the
// sliders, and the settings and seen scenes kept for the next run, written
// when the player quits or the session ends the game.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <ctime>
#include <filesystem>

#include "core/UserFolder.h"
#include "platform/os/Locale.h"
#include "platform/os/Signals.h"
#include "save/Bytes.h"
#include "save/SettingsFile.h"
#include "scenario/TitleFixture.h"

namespace {

using tavtest::TitleFixture;

class PersistenceTest : public TitleFixture {
 protected:
  void SetUp() override {
    TitleFixture::SetUp();
    tav::config.backlogPageCapacity = 20;
    std::wstring folder;
    ASSERT_TRUE(tav::GetUserFolder(folder));
    folder_ = folder;
    for (const char* name : {"Save1.dat", "Save2.dat", "Config.dat", "Unlocked.dat"})
      std::filesystem::remove(folder_ / name);
  }
  // A screen of slot buttons (100 x 40 each, 60 pixels apart from y 100).
  static tav::SceneData SlotScreen(int32_t action, int slots) {
    tav::SceneData s = Menu(Button(100, 100, action));  // after the background
    s.images[1].actionText = L"1";
    for (int n = 2; n <= slots; ++n) {
      s.images.push_back(Button(100, 40 + 60 * float(n), action));
      s.images.back().actionText = std::to_wstring(n);
    }
    return s;
  }
  std::string File(const char* name) { return tavtest::ReadFileBytes(folder_ / name); }
  std::filesystem::path folder_;
};

TEST_F(PersistenceTest, ASaveKeepsTheSceneBeingReadAndALoadGoesOnThereWithItsBacklog) {
  Start({Story(L"一"), Story(L"二"), SlotScreen(14, 1), SlotScreen(15, 2)});
  title_->LeaveScene();  // 0 -> 1
  title_->pending = 2;
  title_->LeaveScene();  // 1 -> the save screen, opened from the story
  Click(150, 120);
  const std::string saved = File("Save1.dat");
  ASSERT_GE(saved.size(), 20u);
  tav::CByteReader in(saved);
  int32_t story = -1, count = -1, first = -1, second = -1, units = -1;
  in.Int32(story), in.Int32(count), in.Int32(first), in.Int32(second), in.Int32(units);
  EXPECT_EQ(story, 1);  // where the player was reading, not the menu
  EXPECT_EQ(count, 2);
  EXPECT_EQ(first, 0);
  EXPECT_EQ(second, 1);
  EXPECT_EQ(units, 29);  // characters per row + 9
  EXPECT_EQ(saved.size(), 20u + 2 * 29);
  // The slot shows its label at once: "HH:MM YYYY/MM/DD " and the scene's text.
  const std::wstring label = title_->slots.Labels().at(1);
  ASSERT_EQ(label.size(), 18u) << tav::os::WideToMultiByte(label);
  EXPECT_EQ(label.substr(2, 1) + label.substr(16), L": 二");

  title_->pending = 3;
  title_->LeaveScene();  // the load screen: slot 1 labelled, slot 2 empty
  EXPECT_EQ(title_->slots.Labels().size(), 1u);
  const std::vector<int32_t> visited = title_->backlog.VisitedScenes();
  Click(150, 175);  // slot 2 has no file: nothing changes
  EXPECT_EQ(title_->current, 3);
  EXPECT_EQ(title_->backlog.VisitedScenes(), visited);

  // A slot with an unusable entry loads what it can.
  std::string damaged;
  for (int32_t v : {0, 3, -1, 1, 77}) tav::PutInt32(damaged, v);
  tavtest::WriteFileBytes(folder_ / "Save2.dat", damaged + saved.substr(16));
  sounds_.clear();
  Click(150, 175);
  EXPECT_EQ(title_->current, 0);
  EXPECT_EQ(title_->backlog.VisitedScenes(), (std::vector<int32_t>{1}));
  EXPECT_TRUE(Sent(L"RemoveAll"));

  title_->pending = 3;
  title_->LeaveScene();
  Click(150, 120);
  EXPECT_EQ(title_->current, 1);
  EXPECT_EQ(title_->backlog.VisitedScenes(), (std::vector<int32_t>{0, 1}));
  EXPECT_EQ(title_->callEnd, -1);
}

// Each save at a new minute labels its slot anew. A label no slot shows any
// more gives its texture back; one that another slot still shows stays.
TEST_F(PersistenceTest, ALabelReplacedByALaterSaveGivesBackItsTexture) {
  Start({Story(L"一"), SlotScreen(14, 2)});
  title_->LeaveScene();  // the save screen
  const tav::ImageEntry first = title_->scenes[1].images[1], second = title_->scenes[1].images[2];
  std::tm when{};
  when.tm_year = 126;
  when.tm_mday = 9;
  when.tm_hour = 10;
  ASSERT_TRUE(title_->slots.Save(first, 0, {0}, L"一", when));
  ASSERT_TRUE(title_->slots.Save(second, 0, {0}, L"一", when));  // the same label: one texture for both
  const std::wstring shared = title_->slots.Labels().at(2);
  const size_t texts = game_->texts.Size();
  for (when.tm_min = 1; when.tm_min <= 5; ++when.tm_min) ASSERT_TRUE(title_->slots.Save(first, 0, {0}, L"一", when));
  EXPECT_EQ(game_->texts.Size(), texts + 1);  // slot 2's label and slot 1's newest
  EXPECT_NE(game_->texts.Find(shared), nullptr);
  EXPECT_EQ(title_->slots.Labels().at(1).substr(0, 5), L"10:05");

  ASSERT_TRUE(title_->slots.Save(second, 0, {0}, L"一", when));  // 10:06, now shown by slot 2 alone
  EXPECT_EQ(game_->texts.Find(shared), nullptr);
  EXPECT_EQ(game_->texts.Size(), texts + 1);
  // Shown again from the files, the labels are whole.
  title_->pending = 1;
  title_->LeaveScene();
  EXPECT_EQ(title_->slots.Labels().at(1).substr(0, 5), L"10:05");
  EXPECT_EQ(title_->slots.Labels().at(2).substr(0, 5), L"10:06");
  EXPECT_NE(game_->texts.Find(title_->slots.Labels().at(1)), nullptr);
  EXPECT_NE(game_->texts.Find(title_->slots.Labels().at(2)), nullptr);
}

TEST_F(PersistenceTest, AKnobFollowsTheCursorWithinItsTrackAndSetsItsValueAtOnce) {
  // Tracks of 200 pixels under knobs of 100: each knob travels 100 pixels,
  // from 100 to 200 around where the script put it (150).
  tav::SceneData settings = Menu(Picture(L"track.png", 100, 315));
  settings.images.push_back(Button(150, 300, 9));
  settings.images.back().actionText = L"track.png";
  settings.images.back().actionValue = tav::kSoundVoice;
  settings.images.push_back(Button(150, 400, 10));
  settings.images.back().actionText = L"track.png";
  settings.sounds.push_back({L"v1.ogg", 0, tav::kSoundVoice});
  Start({settings});
  input_.MoveCursor(160, 310);  // 10 pixels into the knob
  input_.SetKey(VK_LBUTTON, true);
  Frames(8);  // the press acts after 100 ms; the drag begins
  ASSERT_TRUE(title_->slider.Active());
  EXPECT_EQ(title_->runtimes[0].entryQuads[2]->textureName, L"b3.png");
  input_.MoveCursor(60, 310);
  Frame();
  EXPECT_EQ(title_->scenes[0].images[2].x, 100);  // held at the left end
  EXPECT_EQ(title_->channels[tav::kSoundVoice].volume, 0.0f);
  sounds_.clear();
  input_.MoveCursor(135, 340);
  Frame();
  EXPECT_EQ(title_->scenes[0].images[2].x, 125);
  EXPECT_FLOAT_EQ(title_->channels[tav::kSoundVoice].volume, 0.25f * tav::kMaximumVolume);
  EXPECT_TRUE(Sent(L"SetVolume v1.ogg"));  // the playing voice changes with the knob
  input_.MoveCursor(400, 310);
  Frame();
  EXPECT_EQ(title_->scenes[0].images[2].x, 200);
  EXPECT_FLOAT_EQ(title_->channels[tav::kSoundVoice].volume, tav::kMaximumVolume);
  input_.SetKey(VK_LBUTTON, false);
  Frame();
  EXPECT_FALSE(title_->slider.Active());
  EXPECT_EQ(title_->store.knobs[tav::kKnobVoice], 200);
  input_.MoveCursor(500, 310);
  Frames(3);
  EXPECT_EQ(title_->scenes[0].images[2].x, 200);  // let go, it stays

  // Text speed: a quarter along is three quarters of the slowest speed.
  input_.MoveCursor(160, 410);
  input_.SetKey(VK_LBUTTON, true);
  Frames(8);
  input_.MoveCursor(135, 410);
  Frame();
  input_.SetKey(VK_LBUTTON, false);
  Frame();
  EXPECT_EQ(title_->textSpeed, 75u);
  EXPECT_EQ(title_->store.knobs[tav::kKnobTextSpeed], 125);
}

TEST_F(PersistenceTest, QuittingKeepsTheSettingsAndSeenScenesForTheNextRun) {
  tav::SceneData settings = Menu(Button(150, 300, 10));
  settings.images[1].actionText = L"track.png";
  Start({Story(L"一"), Story(L"二"), settings});
  title_->LeaveScene();
  title_->LeaveScene();
  title_->level = 0.5f;
  title_->option = false;
  title_->skipUnread = true;
  title_->textSpeed = 30;
  title_->channels[tav::kSoundMusic].volume = 0.25f;
  title_->store.knobs[tav::kKnobTextSpeed] = 180;
  title_->panel.Add(1, title_->scenes[1]);
  title_->panel.Add(0, title_->scenes[0]);
  game_->input.closeRequested = true;
  Frames(20);  // the cursor glides onto yes
  Click(250, 350);
  ASSERT_FALSE(File("Config.dat").empty());
  EXPECT_EQ(File("Unlocked.dat"), std::string("\2\0\0\0\0\0\0\0\1\0\0\0", 12));

  // The next run starts with them.
  CTitle next(*game_);
  next.scenes = title_->scenes;
  next.scenes[2].images[1].x = 150;
  next.ReadUserFiles();
  EXPECT_EQ(next.level, 0.5f);
  EXPECT_FALSE(next.option);
  EXPECT_TRUE(next.skipUnread);
  EXPECT_EQ(next.textSpeed, 30u);
  EXPECT_EQ(next.channels[tav::kSoundMusic].volume, 0.25f);
  EXPECT_EQ(next.readScenes, (std::set<int32_t>{0, 1}));
  EXPECT_EQ(next.store.editList, (std::vector<int32_t>{1, 0}));
  ASSERT_TRUE(next.EnterScene(2));
  EXPECT_EQ(next.scenes[2].images[1].x, 180);  // the knob where it was left
}

TEST_F(PersistenceTest, NoFilesGiveTheDefaultsAndATerminationSignalWritesThem) {
  Start({Story(L"一"), Story(L"二")});
  title_->ReadUserFiles();
  EXPECT_EQ(title_->textSpeed, 50u);
  EXPECT_EQ(title_->autoWait, 500u);
  EXPECT_TRUE(title_->option);
  EXPECT_EQ(title_->store.knobs[tav::kKnobMusic], -1.0f);
  EXPECT_TRUE(title_->readScenes.empty());

  title_->LeaveScene();
  tav::os::WatchTerminationSignals();
  std::raise(SIGTERM);
  ASSERT_TRUE(tav::os::TerminationRequested());
  Frame();
  tav::os::ClearTerminationRequest();
  std::signal(SIGTERM, SIG_DFL);
  EXPECT_EQ(File("Unlocked.dat"), std::string("\1\0\0\0\0\0\0\0", 8));
  EXPECT_EQ(File("Config.dat").size(), 68u);
}

}  // namespace
