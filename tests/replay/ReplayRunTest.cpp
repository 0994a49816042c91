// The harness's run loop and state dump on the title scene over the doubles:
// input reaching the scene at the scripted times, dumps and shots after the
// frame, and the ways a run ends.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "Replay.h"
#include "StateDump.h"
#include "app/GameWindow.h"
#include "platform/os/Messages.h"
#include "scenario/TitleFixture.h"

namespace {

namespace fs = std::filesystem;
using tav::replay::RunEnd;
using tav::replay::RunResult;

std::string ReadText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class ReplayRunTest : public tavtest::TitleFixture {
 protected:
  void SetUp() override {
    TitleFixture::SetUp();
    // The queue is the process's: an earlier test's window may have left its WM_QUIT.
    MSG stale;
    while (tav::os::PeekMessageW(&stale, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
  RunResult Run(const std::string& script) {
    tav::replay::ScriptError error;
    auto commands = tav::replay::ParseScript(script, dir_.Path(), error);
    EXPECT_TRUE(commands) << error.line << ": " << error.problem;
    if (!commands) return {};
    return tav::replay::RunScript(*game_, clock_, input_, *commands);
  }
  std::string Caption() const {
    const std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
    return "Title Test " + name;
  }
};

TEST_F(ReplayRunTest, WithoutATitleSceneTheDumpHasTheCaptionAndNulls) {
  const std::string dump = tav::replay::DumpState(*game_);
  EXPECT_TRUE(Has(dump, "\"caption\": \"" + Caption() + "\",")) << dump;
  for (const char* key : {"scene", "previousScene", "pendingScene", "readScenes", "flags", "zoom", "messageText",
                          "nameText", "shownGlyphs", "channels", "textSpeed", "autoWait", "level", "windowOffset",
                          "baseOffset", "scale", "entries"})
    EXPECT_TRUE(Has(dump, std::string("\"") + key + "\": null")) << key << "\n" << dump;
}

TEST_F(ReplayRunTest, TheDumpReportsTheTitleScenesState) {
  tav::ImageEntry locked = Picture(L"on.png", 300, 10);
  locked.showRule = 0;
  locked.showKey = L"5";  // shown once scene 5 was read
  tav::SceneData menu = Menu(Button(100, 100, -1, 1));
  menu.images.push_back(locked);
  tav::MessageRow row;
  row.text = L"「やあ」\t\"x\"";
  menu.messageRows.push_back(row);
  Start({menu, Story(L"「やあ」\tと言った")});
  title_->autoMode = true;
  title_->quitDialog = true;
  title_->readScenes = {0, 3};
  title_->channels[0] = {L"bgm.ogg", true, 0.5f};
  title_->channels[2] = {L"v001.ogg", false, 1.0f};
  title_->message.PlaceAt({4, -8});
  title_->level = 0.25f;

  std::string dump = tav::replay::DumpState(*game_);
  EXPECT_TRUE(Has(dump, "\"scene\": 0,\n  \"previousScene\": -1,\n  \"pendingScene\": -1,")) << dump;
  EXPECT_TRUE(Has(dump, "\"readScenes\": [\n    0,\n    3\n  ],")) << dump;
  EXPECT_TRUE(Has(dump, "\"auto\": true,\n    \"skip\": false,")) << dump;
  EXPECT_TRUE(Has(dump, "\"quitDialog\": true,\n    \"windowDrag\": false\n")) << dump;
  EXPECT_TRUE(Has(dump, "\"windowed\": true,\n  \"backBuffer\": {\n    \"width\": 800,\n    \"height\": 600\n  },\n"
                        "  \"scale\": {\n    \"x\": 1,\n    \"y\": 1\n  },"))
      << dump;
  EXPECT_TRUE(Has(dump, "\"messageText\": \"\xe3\x80\x8c\xe3\x82\x84\xe3\x81\x82\xe3\x80\x8d\\t\\\"x\\\"\",")) << dump;
  EXPECT_TRUE(Has(dump, "\"music\": {\n      \"name\": \"bgm.ogg\",\n      \"loop\": true,\n      \"volume\": 0.5\n"))
      << dump;
  EXPECT_TRUE(Has(dump, "\"voice\": {\n      \"name\": \"v001.ogg\",\n      \"loop\": false,")) << dump;
  EXPECT_TRUE(Has(dump, "\"level\": 0.25,\n  \"windowOffset\": {\n    \"x\": 4,\n    \"y\": -8\n  },\n"
                        "  \"baseOffset\": {\n    \"x\": 4,\n    \"y\": -8\n  },"))
      << dump;
  EXPECT_TRUE(Has(dump, "\"image\": \"b1.png\",\n      \"x\": 100,\n      \"y\": 100,\n      \"drawn\": true")) << dump;
  EXPECT_TRUE(Has(dump, "\"image\": \"on.png\",\n      \"x\": 300,\n      \"y\": 10,\n      \"drawn\": false")) << dump;

  title_->readScenes.insert(5);
  dump = tav::replay::DumpState(*game_);
  EXPECT_TRUE(Has(dump, "\"image\": \"on.png\",\n      \"x\": 300,\n      \"y\": 10,\n      \"drawn\": true")) << dump;
  EXPECT_FALSE(title_->IsEntryDrawn(3));  // no such entry
}

TEST_F(ReplayRunTest, ClicksAdvanceTheStoryAndTheDumpShowsTheFrameAtItsTime) {
  Start({Story(L"abcdefghij"), Story(L"second")});
  RunResult result = Run(
      "10100 dump early.json\n"
      "10200 click 400 300   # completes the text\n"
      "10500 click 400 300   # leaves\n"
      "11000 dump late.json\n");
  EXPECT_EQ(result.end, RunEnd::ScriptDone);
  // Frames at 10000, 10016, ...: the first at or after 11000 is frame 63 (11008).
  EXPECT_EQ(result.frames, 64u);
  EXPECT_EQ(clock_.Now(), 11008u);
  EXPECT_EQ(title_->current, 1);

  const std::string early = ReadText(dir_ / "early.json");
  EXPECT_TRUE(Has(early, "\"scene\": 0,")) << early;
  EXPECT_TRUE(Has(early, "\"textComplete\": false")) << early;
  EXPECT_TRUE(Has(early, "\"glyphCount\": 10")) << early;
  EXPECT_FALSE(Has(early, "\"shownGlyphs\": 10,")) << early;  // 50 ms a glyph: not all out after 112 ms
  EXPECT_TRUE(Has(early, "\"sceneChanges\": 0,")) << early;
  const std::string late = ReadText(dir_ / "late.json");
  EXPECT_TRUE(Has(late, "\"scene\": 1,\n  \"previousScene\": 0,")) << late;
  EXPECT_TRUE(Has(late, "\"readScenes\": [\n    0")) << late;
  EXPECT_TRUE(Has(late, "\"sceneChanges\": 1,")) << late;
  // The textures held and the process's memory close the dump: some resident
  // KiB, the peak no lower.
  EXPECT_TRUE(Has(late, "\"textures\": ")) << late;
  const std::string residentKey = "\"memory\": {\n    \"residentKiB\": ", peakKey = "\"peakResidentKiB\": ";
  const size_t memory = late.find(residentKey);
  ASSERT_NE(memory, std::string::npos) << late;
  const unsigned long resident = std::stoul(late.substr(memory + residentKey.size()));
  const size_t peak = late.find(peakKey, memory);
  ASSERT_NE(peak, std::string::npos) << late;
  EXPECT_GT(resident, 1000u);
  EXPECT_GE(std::stoul(late.substr(peak + peakKey.size())), resident);
}

TEST_F(ReplayRunTest, HoverAndPressShowTheButtonsPictures) {
  Start({Menu(Button(100, 100, -1)), Story(L"x")});
  Run("10000 activate\n10000 move 150 120\n10040 dump hover.json\n10064 down LBUTTON\n10080 dump press.json\n");
  EXPECT_TRUE(Has(ReadText(dir_ / "hover.json"), "\"image\": \"b2.png\"")) << ReadText(dir_ / "hover.json");
  EXPECT_TRUE(Has(ReadText(dir_ / "press.json"), "\"image\": \"b3.png\""));
}

TEST_F(ReplayRunTest, CloseAndWheelArriveAsWindowMessages) {
  RunResult result = Run("10000 wheel 60\n10016 close\n10032 end\n");
  EXPECT_EQ(result.end, RunEnd::ScriptDone);
  EXPECT_EQ(result.frames, 3u);
  EXPECT_EQ(game_->input.wheelDelta, 60);  // finer than a notch, as written; no scene took it
  EXPECT_TRUE(game_->input.closeRequested);
  game_->input.wheelDelta = 0;
}

TEST_F(ReplayRunTest, EndStopsTheRunBeforeLaterCommands) {
  RunResult result = Run("10000 end\n10500 dump never.json\n");
  EXPECT_EQ(result.end, RunEnd::ScriptDone);
  EXPECT_EQ(result.frames, 1u);
  EXPECT_FALSE(fs::exists(dir_ / "never.json"));
  EXPECT_EQ(Run("").frames, 1u);  // an empty script still runs one frame
}

TEST_F(ReplayRunTest, AFailedFrameDestroysTheWindowAndEndsTheRun) {
  int frames = 0;
  game_->SetFrame([&frames] { return ++frames < 3; });
  RunResult result = Run("10000 move 1 1\n20000 dump never.json\n");
  EXPECT_EQ(result.end, RunEnd::WindowDestroyed);
  EXPECT_EQ(frames, 3);
  EXPECT_FALSE(fs::exists(dir_ / "never.json"));
  game_->window = nullptr;
}

TEST_F(ReplayRunTest, AnOutputThatCannotBeWrittenFailsTheRun) {
  RunResult result = Run("10000 move 1 1\n10016 dump missing/dir/x.json\n10032 end\n");
  EXPECT_EQ(result.end, RunEnd::OutputFailed);
  EXPECT_EQ(result.frames, 2u);
  EXPECT_EQ(result.problem, "2: " + (dir_ / "missing/dir/x.json").string() + ": cannot write the file");
  result = Run("10000 shot missing/x.png\n");
  EXPECT_EQ(result.end, RunEnd::OutputFailed);
  EXPECT_TRUE(Has(result.problem, "1: ")) << result.problem;
}

TEST_F(ReplayRunTest, AShotIsAPngOfTheBackBuffersSize) {
  Start({Story(L"x")});
  RunResult result = Run("10016 shot frame.png\n");
  ASSERT_EQ(result.end, RunEnd::ScriptDone);
  const std::string png = ReadText(dir_ / "frame.png");
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
  auto be32 = [&](size_t at) {
    return uint32_t(uint8_t(png[at])) << 24 | uint32_t(uint8_t(png[at + 1])) << 16 |
           uint32_t(uint8_t(png[at + 2])) << 8 | uint32_t(uint8_t(png[at + 3]));
  };
  EXPECT_EQ(be32(16), 800u);  // IHDR width and height
  EXPECT_EQ(be32(20), 600u);
  EXPECT_EQ(png[25], 2);  // colour type: RGB
}

}  // namespace
