// The demo under faults of the machine it runs on, injected at the platform
// boundary by tavri-replay's "fail" command: a full disk, the sound device
// unplugged while music and a voice play, the graphics device lost in the
// frame that saves, and a display that refuses the mode Alt+Enter asks for.
// Each run checks what the player would see and what they keep.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "platform/os/IcoFile.h"
#include "replay/ReplayProcess.h"
#include "save/SlotFile.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;

using tavtest::Has;
using tavtest::Outcome;
using tavtest::ReadPng;
using tavtest::Replay;

class FaultsEndToEndTest : public testing::Test {
 protected:
  void SetUp() override {
    data_ = fs::path(std::getenv("XDG_DATA_HOME")) / "Tavri";
    for (const char* name : {"DemoSave1.dat", "DemoConfig.dat", "DemoUnlocked.dat", "Err.txt"}) fs::remove(data_ / name);
  }
  std::string Read(const std::string& name) { return tavtest::ReadFileBytes(work_ / name); }
  // The per-user file, or "" when it is not there.
  std::string UserFile(const std::string& name) {
    return fs::exists(data_ / name) ? tavtest::ReadFileBytes(data_ / name) : std::string();
  }
  static size_t Lines(const std::string& text) { return size_t(std::count(text.begin(), text.end(), '\n')); }
  // The label a dump shows for slot 1.
  static std::string SlotOneLabel(const std::string& dump) {
    const std::string key = "\"slot\": 1,\n      \"label\": \"";
    const size_t at = dump.find(key);
    if (at == std::string::npos) return {};
    const size_t from = at + key.size();
    return dump.substr(from, dump.find('"', from) - from);
  }

  fs::path data_;
  tavtest::TempDir work_;
};

// The demo's music slider dragged to 334 (music at 0.48), from the title.
constexpr const char* kMusicSlider =
    "11000 click 400 375   # settings\n"
    "11300 move 428 126    # the music knob, 16 pixels into it\n"
    "11400 down LBUTTON\n"
    "11600 move 350 126\n"
    "11700 up LBUTTON\n";

// Every write fails: the save the player tries keeps the slot saved in an
// earlier run byte for byte (and its label on screen), the settings hold in
// memory, the game goes on through the story and quits as usual, and no
// half-written file is left behind.
TEST_F(FaultsEndToEndTest, OnAFullDiskTheDemoPlaysOnAndTheSlotSavedBeforeStaysWhole) {
  Outcome first = Replay(TAVRI_DEMO_DIR,
                         "11000 click 400 270   # start\n"
                         "15000 click 495 572   # save, in the message window\n"
                         "15500 click 300 130   # slot 1\n"
                         "15800 dump saved.json\n",
                         work_.Path());
  ASSERT_EQ(first.code, 0) << first.errors;
  const std::string slot = UserFile("DemoSave1.dat");
  ASSERT_GE(slot.size(), 12u);
  const std::string label = SlotOneLabel(Read("saved.json"));
  ASSERT_FALSE(label.empty()) << Read("saved.json");
  const std::string log = UserFile("Err.txt");

  Outcome second = Replay(TAVRI_DEMO_DIR,
                          std::string("10000 fail writes\n") + kMusicSlider +
                              "11900 click 700 558   # back to the title\n"
                              "12300 click 400 270   # start\n"
                              "14000 down CONTROL    # on to the choice\n"
                              "15000 up CONTROL\n"
                              "15500 click 495 572   # save\n"
                              "16000 click 300 130   # slot 1, over the first run's save\n"
                              "16400 dump failed.json\n"
                              "16500 click 700 558   # back to the choice\n"
                              "17000 click 300 170   # the sea\n"
                              "18200 dump sea.json\n"
                              "18300 close\n"
                              "18800 down LBUTTON    # yes\n"
                              "18950 up LBUTTON\n"
                              "25000 dump never.json\n",
                          work_.Path());
  ASSERT_EQ(second.code, 0) << second.errors;
  const std::string failed = Read("failed.json");
  EXPECT_TRUE(Has(failed, "\"scene\": 1,")) << failed;
  EXPECT_TRUE(Has(failed, "\"storyScene\": 8,")) << failed;  // what the save would have kept
  EXPECT_EQ(SlotOneLabel(failed), label) << failed;           // the slot still shows the first run's save
  const std::string sea = Read("sea.json");
  EXPECT_TRUE(Has(sea, "\"scene\": 9,\n  \"previousScene\": 8,")) << sea;
  EXPECT_TRUE(Has(sea, "\"knobs\": [\n    334,")) << sea;
  EXPECT_TRUE(Has(sea, "\"volumes\": [\n    0.4799")) << sea;
  EXPECT_FALSE(fs::exists(work_ / "never.json"));  // yes ended the game

  EXPECT_EQ(UserFile("DemoSave1.dat"), slot);
  EXPECT_FALSE(fs::exists(data_ / "DemoConfig.dat"));
  EXPECT_FALSE(fs::exists(data_ / "DemoUnlocked.dat"));
  EXPECT_EQ(UserFile("Err.txt"), log);  // the log could not be written either
  for (const auto& entry : fs::directory_iterator(data_))
    EXPECT_EQ(entry.path().filename().string().find(".dat."), std::string::npos) << entry.path();
}

// The sound device disappears while the music, Aoi's voice and a chime play:
// every sound falls silent, the choice still works, the next scenes start
// their sounds without a sound coming, the run ends normally, and the log
// says so in one line.
TEST_F(FaultsEndToEndTest, WhenTheSoundDeviceDisappearsTheDemoPlaysOnSilentlyWithOneLogLine) {
  Outcome out = Replay(TAVRI_DEMO_DIR,
                       "11000 click 400 270\n"
                       "14000 down CONTROL\n"
                       "15000 up CONTROL\n"
                       "15400 dump playing.json\n"
                       "15420 fail sound\n"
                       "17400 dump silent.json\n"
                       "17500 click 300 170   # the sea: its scenes start the waves and a voice\n"
                       "20700 dump sea.json\n"
                       "20800 click 400 300\n"
                       "21100 click 400 300   # on through the iris\n"
                       "23500 dump later.json\n",
                       work_.Path());
  ASSERT_EQ(out.code, 0) << out.errors;
  const std::string playing = Read("playing.json");
  EXPECT_TRUE(Has(playing, "\"name\": \"bgm\\\\story.ogg\",\n      \"playing\": true,")) << playing;
  EXPECT_TRUE(Has(playing, "\"name\": \"voice\\\\aoi_02.ogg\",\n      \"playing\": true,")) << playing;

  const std::string silent = Read("silent.json");
  EXPECT_TRUE(Has(silent, "\"name\": \"bgm\\\\story.ogg\",\n      \"playing\": false,")) << silent;
  EXPECT_FALSE(Has(silent, "\"playing\": true")) << silent;
  const std::string sea = Read("sea.json");
  EXPECT_TRUE(Has(sea, "\"scene\": 10,")) << sea;
  EXPECT_TRUE(Has(sea, "\"voice\": {\n      \"name\": \"voice\\\\aoi_03.ogg\",")) << sea;  // asked for, unheard
  EXPECT_FALSE(Has(sea, "\"playing\": true")) << sea;
  const std::string later = Read("later.json");
  EXPECT_TRUE(Has(later, "\"scene\": 14,\n  \"previousScene\": 13,")) << later;  // on through the iris
  EXPECT_FALSE(Has(later, "\"playing\": true")) << later;

  const std::string log = UserFile("Err.txt");
  EXPECT_EQ(Lines(log), 1u) << log;
  EXPECT_TRUE(Has(log, "XAUDIO2_E_DEVICE_INVALIDATED")) << log;
}

// The frame that saves a slot finds the graphics device lost at its present.
// The save is whole on disk and labelled; the next frame resets the device,
// rebuilds every texture (the new label's too) and draws the screen again,
// and play goes on.
TEST_F(FaultsEndToEndTest, AGraphicsDeviceLostInTheFrameThatSavesKeepsTheSaveAndDrawsAgain) {
  // Frames run at 10000 + 16n: the press on slot 1 is taken at 15504 and acts
  // 100 ms later, in the frame at 15616.
  Outcome out = Replay(TAVRI_DEMO_DIR,
                       "11000 click 400 270\n"
                       "15000 click 495 572   # the save screen\n"
                       "15500 click 300 130   # slot 1\n"
                       "15600 dump before.json\n"
                       "15600 shot before.png\n"
                       "15610 fail present\n"
                       "15616 dump lost.json\n"
                       "15700 dump after.json\n"
                       "15700 shot after.png\n"
                       "15800 click 700 558   # back to the story\n"
                       "16300 dump story.json\n"
                       "16300 shot story.png\n",
                       work_.Path());
  ASSERT_EQ(out.code, 0) << out.errors;
  const std::string before = Read("before.json"), lost = Read("lost.json"), after = Read("after.json");
  EXPECT_TRUE(Has(before, "\"device\": \"ok\"")) << before;
  EXPECT_TRUE(SlotOneLabel(before).empty()) << before;
  // Saved and lost in one frame.
  EXPECT_TRUE(Has(lost, "\"device\": \"lost\"")) << lost;
  const std::string label = SlotOneLabel(lost);
  ASSERT_FALSE(label.empty()) << lost;
  EXPECT_TRUE(Has(after, "\"device\": \"ok\"")) << after;
  EXPECT_EQ(SlotOneLabel(after), label);

  const std::string bytes = UserFile("DemoSave1.dat");
  tav::SlotContents slot;
  ASSERT_TRUE(tav::DecodeSlot(bytes, 22, slot));
  EXPECT_EQ(slot.storyScene, 5);
  std::wstring kept;
  ASSERT_TRUE(tav::DecodeSlotLabel(bytes, kept));
  ASSERT_GE(kept.size(), 17u);
  EXPECT_EQ(label.substr(0, 17), std::string(kept.begin(), kept.begin() + 17));  // "HH:MM YYYY/MM/DD "

  // The label is drawn again from its rebuilt texture: white glyphs where the
  // slot's button showed none, with the rest of the screen as it was.
  const tav::os::IcoImage shown = ReadPng(work_ / "before.png"), redrawn = ReadPng(work_ / "after.png");
  ASSERT_EQ(redrawn.width, 800);
  auto white = [](const tav::os::IcoImage& image, int top, int bottom) {
    int n = 0;
    for (int y = top; y < bottom; ++y)
      for (int x = 104; x < 560; ++x) {
        const uint8_t* p = &image.rgba[(size_t(y) * 800 + size_t(x)) * 4];
        n += p[0] > 230 && p[1] > 230 && p[2] > 230;
      }
    return n;
  };
  EXPECT_GT(white(redrawn, 114, 140), white(shown, 114, 140) + 100);
  EXPECT_EQ(white(redrawn, 300, 600), white(shown, 300, 600));

  const std::string story = Read("story.json");
  EXPECT_TRUE(Has(story, "\"scene\": 5,")) << story;
  EXPECT_TRUE(Has(story, "\"device\": \"ok\"")) << story;
  EXPECT_EQ(UserFile("Err.txt"), "");  // a lost device is no error
}

// Alt+Enter on a display that refuses full screen: the game goes back to its
// window, draws and plays on, and the log names the refused reset. When the
// display takes no mode at all, the game ends at once with a line that says
// so, keeping the settings the player made.
TEST_F(FaultsEndToEndTest, AModeSwitchTheDisplayRefusesGoesBackOrEndsTheGameKeepingTheSettings) {
  Outcome refused = Replay(TAVRI_DEMO_DIR,
                           "10500 fail reset\n"
                           "11000 down MENU\n"
                           "11000 down RETURN\n"
                           "11100 up RETURN\n"
                           "11100 up MENU\n"
                           "11500 dump back.json\n"
                           "11500 shot back.png\n"
                           "11600 click 400 270   # start\n"
                           "14000 dump story.json\n",
                           work_.Path());
  ASSERT_EQ(refused.code, 0) << refused.errors;
  const std::string back = Read("back.json");
  EXPECT_TRUE(Has(back, "\"windowed\": true,\n  \"backBuffer\": {\n    \"width\": 800,\n    \"height\": 600\n  },\n"
                        "  \"scale\": {\n    \"x\": 1,\n    \"y\": 1\n  },\n  \"device\": \"ok\""))
      << back;
  const tav::os::IcoImage shot = ReadPng(work_ / "back.png");
  ASSERT_EQ(shot.width, 800);
  std::set<uint32_t> colours;
  for (size_t i = 0; i < shot.rgba.size(); i += 4 * 97)
    colours.insert(uint32_t(shot.rgba[i]) << 16 | uint32_t(shot.rgba[i + 1]) << 8 | shot.rgba[i + 2]);
  EXPECT_GT(colours.size(), 100u);  // the title picture is drawn, not a black window
  EXPECT_TRUE(Has(Read("story.json"), "\"scene\": 5,")) << Read("story.json");
  std::string log = UserFile("Err.txt");
  EXPECT_EQ(Lines(log), 1u) << log;
  EXPECT_TRUE(Has(log, "ResetEx D3DERR_NOTAVAILABLE")) << log;

  fs::remove(data_ / "Err.txt");
  Outcome ended = Replay(TAVRI_DEMO_DIR,
                         std::string(kMusicSlider) +
                             "11800 fail resets\n"
                             "11900 down MENU\n"
                             "11900 down RETURN\n"
                             "12000 up RETURN\n"
                             "12000 up MENU\n"
                             "13000 dump never.json\n",
                         work_.Path());
  ASSERT_EQ(ended.code, 0) << ended.errors;
  EXPECT_FALSE(fs::exists(work_ / "never.json"));
  log = UserFile("Err.txt");
  EXPECT_TRUE(Has(log, "ApplyWindowMode: the display takes neither full screen nor the window mode; the game ends"))
      << log;
  EXPECT_EQ(Lines(log), 3u) << log;  // both refused resets and the end
  // The knob's place (334.0f) is among the settings kept on the way out.
  const std::string config = UserFile("DemoConfig.dat");
  const float knob = 334.0f;
  EXPECT_TRUE(Has(config, std::string(reinterpret_cast<const char*>(&knob), sizeof knob)));
  EXPECT_TRUE(fs::exists(data_ / "DemoUnlocked.dat"));
}

}  // namespace
