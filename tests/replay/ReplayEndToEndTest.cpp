// The built tavri-replay on the demo game and on a small game made here: the
// real start-up, clicks through a story, the quit dialog, screenshots, and
// the exit codes of bad scripts and games that do not start.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <set>
#include <sstream>

#include "d3dx/ImageBytes.h"
#include "platform/os/IcoFile.h"
#include "replay/ReplayProcess.h"
#include "support/PacBuilder.h"
#include "support/TempDir.h"
#include "VorbisEncode.h"

namespace {

namespace fs = std::filesystem;

using tavtest::Has;
using tavtest::Outcome;
using tavtest::ReadPng;
using tavtest::Replay;

// A 320 x 240 game of three story scenes over a red background, 50 ms a glyph.
void WriteSmallGame(const fs::path& dir) {
  const std::string config =
      "// Replay test\r\nReplay Test\r\nrp_\r\n320\r\n240\r\n20\r\nFFFFFFFF\r\n16\r\n10\r\n10\r\n10\r\n-20\r\n"
      "300\r\n5\r\nwindow\r\n100\r\n2000\r\n0\r\n";
  const std::string story =
      "{\r\n\timg 0 0 bg.png\r\n\tmsg first line\r\n}\r\n"
      "{\r\n\timg 0 0 bg.png\r\n\tmsg second line\r\n}\r\n"
      "{\r\n\timg 0 0 bg.png\r\n\tmsg third line\r\n}\r\n";
  tavtest::WriteFileBytes(dir / "Txt.pac", tavtest::BuildArchive({{"Txt\\config.txt", config},
                                                                   {"Txt\\id.txt", "7\r\n"},
                                                                   {"Txt\\scene.txt", "story.txt\r\n"},
                                                                   {"Txt\\story.txt", story}}));
  // The quit dialog's skins: without pictures its buttons have no size to click.
  tavtest::WriteFileBytes(dir / "Res.pac",
                          tavtest::BuildArchive({{"Res\\id.txt", "7\r\n"},
                                                 {"Res\\bg.png", d3dxtest::SolidPngFile(320, 240, 200, 30, 30)},
                                                 {"Res\\Default\\close.dds", d3dxtest::SolidPngFile(200, 100, 60, 60, 90)},
                                                 {"Res\\Default\\yes1.dds", d3dxtest::SolidPngFile(60, 24, 200, 200, 200)},
                                                 {"Res\\Default\\yes2.dds", d3dxtest::SolidPngFile(60, 24, 255, 255, 200)},
                                                 {"Res\\Default\\yes3.dds", d3dxtest::SolidPngFile(60, 24, 150, 150, 100)},
                                                 {"Res\\Default\\no1.dds", d3dxtest::SolidPngFile(60, 24, 200, 200, 200)},
                                                 {"Res\\Default\\no2.dds", d3dxtest::SolidPngFile(60, 24, 255, 255, 200)},
                                                 {"Res\\Default\\no3.dds", d3dxtest::SolidPngFile(60, 24, 150, 150, 100)}}));
  tavtest::WriteFileBytes(dir / "ID.pac", tavtest::BuildArchive({{"ID\\id.txt", "7\r\n"}}));
}

class ReplayEndToEndTest : public testing::Test {
 protected:
  void SetUp() override { WriteSmallGame(game_.Path()); }
  std::string Read(const std::string& name) { return tavtest::ReadFileBytes(work_ / name); }
  tavtest::TempDir game_, work_;
};

TEST_F(ReplayEndToEndTest, StartUpEntersTheFirstSceneAndRestoresTheCaption) {
  Outcome out = Replay(game_.Path(), "10000 dump start.json\n10000 shot start.png\n", work_.Path());
  ASSERT_EQ(out.code, 0) << out.errors;
  const std::string dump = Read("start.json");
  EXPECT_TRUE(Has(dump, "\"caption\": \"Replay Test\",")) << dump;
  EXPECT_TRUE(Has(dump, "\"scene\": 0,")) << dump;
  EXPECT_TRUE(Has(dump, "\"messageText\": \"first line\",")) << dump;
  EXPECT_TRUE(Has(dump, "\"image\": \"bg.png\",\n      \"x\": 0,\n      \"y\": 0,\n      \"drawn\": true")) << dump;

  tav::os::IcoImage shot = ReadPng(work_ / "start.png");
  ASSERT_EQ(shot.width, 320);
  ASSERT_EQ(shot.height, 240);
  const uint8_t* corner = &shot.rgba[(size_t(230) * 320 + 310) * 4];  // away from the text
  EXPECT_NEAR(corner[0], 200, 3);
  EXPECT_NEAR(corner[1], 30, 3);
  EXPECT_NEAR(corner[2], 30, 3);
}

TEST_F(ReplayEndToEndTest, ClickingThroughTheStoryAdvancesScenes) {
  Outcome out = Replay(game_.Path(),
                       "10100 dump revealing.json\n"
                       "10300 click 160 120   # completes the text\n"
                       "10600 dump complete.json\n"
                       "10700 click 160 120   # to the second scene\n"
                       "11000 click 160 120\n"
                       "11300 click 160 120   # to the third\n"
                       "11700 dump third.json\n"
                       "11700 end\n"
                       "12000 dump never.json\n",
                       work_.Path());
  ASSERT_EQ(out.code, 0) << out.errors;
  const std::string revealing = Read("revealing.json");
  EXPECT_TRUE(Has(revealing, "\"textComplete\": false")) << revealing;
  EXPECT_FALSE(Has(revealing, "\"shownGlyphs\": 10,")) << revealing;
  const std::string complete = Read("complete.json");
  EXPECT_TRUE(Has(complete, "\"scene\": 0,")) << complete;
  EXPECT_TRUE(Has(complete, "\"textComplete\": true")) << complete;
  EXPECT_TRUE(Has(complete, "\"shownGlyphs\": 10,")) << complete;
  const std::string third = Read("third.json");
  EXPECT_TRUE(Has(third, "\"scene\": 2,\n  \"previousScene\": 1,")) << third;
  EXPECT_TRUE(Has(third, "\"messageText\": \"third line\"")) << third;
  EXPECT_TRUE(Has(third, "\"readScenes\": [\n    0,\n    1")) << third;
  EXPECT_FALSE(fs::exists(work_ / "never.json"));  // "end" ended the run
}

TEST_F(ReplayEndToEndTest, TheCloseBoxOpensTheQuitDialogAndEscapeTogglesIt) {
  Outcome out = Replay(game_.Path(),
                       "10100 close\n"
                       "10500 dump open.json\n"
                       "10600 down ESCAPE\n"
                       "10650 up ESCAPE\n"
                       "10800 dump closed.json\n"
                       "10900 down ESCAPE\n"
                       "10950 up ESCAPE\n"
                       "11100 dump again.json\n",
                       work_.Path());
  ASSERT_EQ(out.code, 0) << out.errors;
  EXPECT_TRUE(Has(Read("open.json"), "\"quitDialog\": true"));
  EXPECT_TRUE(Has(Read("closed.json"), "\"quitDialog\": false"));
  EXPECT_TRUE(Has(Read("again.json"), "\"quitDialog\": true"));
}

TEST_F(ReplayEndToEndTest, YesInTheQuitDialogDestroysTheWindowAndEndsTheRunWithZero) {
  // The cursor glides onto yes by itself; a click where it rests confirms.
  Outcome out = Replay(game_.Path(),
                       "10100 close\n"
                       "10600 down LBUTTON\n"
                       "10750 up LBUTTON\n"
                       "20000 dump never.json\n",
                       work_.Path());
  EXPECT_EQ(out.code, 0) << out.errors;
  EXPECT_FALSE(fs::exists(work_ / "never.json"));
}

TEST_F(ReplayEndToEndTest, BadScriptsAndGamesThatDoNotStartAreFailures) {
  Outcome out = Replay(game_.Path(), "# fine\n10000 move 1 1\n10016 jump 3\n", work_.Path());
  EXPECT_EQ(out.code, 2);
  EXPECT_EQ(out.errors, "script.txt:3: unknown command \"jump\"\n");

  out = Replay(work_.Path() / "no-such-game", "10000 end\n", work_.Path());
  EXPECT_EQ(out.code, 2);
  EXPECT_TRUE(Has(out.errors, "no-such-game")) << out.errors;

  fs::remove(game_ / "ID.pac");
  out = Replay(game_.Path(), "10000 dump x.json\n", work_.Path());
  EXPECT_EQ(out.code, 1);
  EXPECT_TRUE(Has(out.errors, "did not start: ID.pac: cannot open")) << out.errors;
  EXPECT_FALSE(fs::exists(work_ / "x.json"));

  WriteSmallGame(game_.Path());
  out = Replay(game_.Path(), "10000 dump no/such/folder/x.json\n", work_.Path());
  EXPECT_EQ(out.code, 1);
  EXPECT_TRUE(Has(out.errors, "script.txt:1: ")) << out.errors;
}

TEST_F(ReplayEndToEndTest, TheDemoOpensOnItsTitleMenuAndItsStartButtonBeginsTheStory) {
  Outcome out = Replay(TAVRI_DEMO_DIR,
                       "11000 dump title.json\n"
                       "11000 shot title.png\n"
                       "11000 click 400 270\n"
                       "14000 dump story.json\n",
                       work_.Path());
  ASSERT_EQ(out.code, 0) << out.errors;
  const std::string title = Read("title.json");
  EXPECT_TRUE(Has(title, "\"caption\": \"\xe5\xa4\x95\xe6\x9a\xae\xe3\x82\x8c\xe3\x81\xae\xe7\xb4\x84\xe6\x9d\x9f\",")) << title;
  EXPECT_TRUE(Has(title, "\"scene\": 0,")) << title;
  EXPECT_TRUE(Has(title, "\"image\": \"bg\\\\title.png\"")) << title;
  EXPECT_TRUE(Has(title, "\"image\": \"ui\\\\t_extra1.dds\",\n      \"x\": 290,\n      \"y\": 510,\n      \"drawn\": false"))
      << title;  // the extra menu waits for the ending to be read
  // The title's music plays, looping, from the audio thread (OpenAL's null output).
  EXPECT_TRUE(Has(title, "\"name\": \"bgm\\\\title.ogg\",\n      \"playing\": true,\n      \"paused\": false,\n"
                         "      \"loop\": true,"))
      << title;

  tav::os::IcoImage shot = ReadPng(work_ / "title.png");
  ASSERT_EQ(shot.width, 800);
  ASSERT_EQ(shot.height, 600);
  std::set<uint32_t> colours;
  for (size_t i = 0; i < shot.rgba.size(); i += 4 * 97)
    colours.insert(uint32_t(shot.rgba[i]) << 16 | uint32_t(shot.rgba[i + 1]) << 8 | shot.rgba[i + 2]);
  EXPECT_GT(colours.size(), 100u);  // a painted picture, not a cleared screen

  const std::string story = Read("story.json");
  EXPECT_TRUE(Has(story, "\"scene\": 5,\n  \"previousScene\": 4,")) << story;
  EXPECT_TRUE(Has(story, "\"textComplete\": false")) << story;
  // The story's music replaced the title's.
  EXPECT_TRUE(Has(story, "\"name\": \"bgm\\\\story.ogg\",\n      \"playing\": true,")) << story;
  EXPECT_FALSE(Has(story, "title.ogg")) << story;
}

// A machine without sound: OpenAL finds no output, the audio thread does not
// come up, and the game plays on and ends normally.
TEST_F(ReplayEndToEndTest, WithoutASoundDeviceTheDemoPlaysOnSilently) {
  const std::string drivers = getenv("ALSOFT_DRIVERS") ? getenv("ALSOFT_DRIVERS") : "";
  setenv("ALSOFT_DRIVERS", "no-such-driver", 1);
  Outcome out = Replay(TAVRI_DEMO_DIR, "11000 click 400 270\n14000 dump story.json\n", work_.Path());
  setenv("ALSOFT_DRIVERS", drivers.c_str(), 1);
  ASSERT_EQ(out.code, 0) << out.errors;
  const std::string story = Read("story.json");
  EXPECT_TRUE(Has(story, "\"scene\": 5,")) << story;
  EXPECT_TRUE(Has(story, "\"sounds\": [],")) << story;
  // The scene still names its music: it would play on a machine with sound.
  EXPECT_TRUE(Has(story, "\"music\": {\n      \"name\": \"bgm\\\\story.ogg\",")) << story;
}

// Ctrl runs through the opening to the choice; each of its buttons leads to
// its own branch, whose picture is on screen (not left black by the fades).
TEST_F(ReplayEndToEndTest, TheDemosChoiceLeadsToEachBranch) {
  const std::pair<const char*, const char*> branches[] = {{"300 170", "\"scene\": 9,"}, {"300 240", "\"scene\": 11,"}};
  for (const auto& [where, scene] : branches) {
    SCOPED_TRACE(where);
    Outcome out = Replay(TAVRI_DEMO_DIR,
                         std::string("11000 click 400 270\n"
                                     "14000 down CONTROL\n"
                                     "15000 up CONTROL\n"
                                     "15400 dump choice.json\n"
                                     "15500 click ") +
                             where +
                             "\n"
                             "16700 dump branch.json\n"
                             "16700 shot branch.png\n"
                             "16800 end\n",
                         work_.Path());
    ASSERT_EQ(out.code, 0) << out.errors;
    const std::string choice = Read("choice.json");
    EXPECT_TRUE(Has(choice, "\"scene\": 8,")) << choice;
    // Aoi asks with her voice, a chime rings, and the music goes on.
    for (const char* sound : {"se\\\\chime.ogg", "voice\\\\aoi_02.ogg", "bgm\\\\story.ogg"})
      EXPECT_TRUE(Has(choice, std::string("\"name\": \"") + sound + "\",")) << choice;
    EXPECT_TRUE(Has(choice, "\"voice\": {\n      \"name\": \"voice\\\\aoi_02.ogg\",")) << choice;
    // The backlog holds the scenes passed on the way, each once, the spoken ones with their voice.
    EXPECT_TRUE(Has(choice, "\"pages\": [\n      [\n        {\n          \"scene\": 5,")) << choice;
    EXPECT_TRUE(Has(choice, "\"hasVoice\": false\n        },\n        {\n          \"scene\": 6,")) << choice;
    EXPECT_TRUE(Has(choice, "\"hasVoice\": true\n        },\n        {\n          \"scene\": 7,")) << choice;
    const std::string branch = Read("branch.json");
    EXPECT_TRUE(Has(branch, scene)) << branch;
    EXPECT_TRUE(Has(branch, "\"previousScene\": 8,")) << branch;
    tav::os::IcoImage shot = ReadPng(work_ / "branch.png");
    std::set<uint32_t> colours;
    for (size_t i = 0; i < shot.rgba.size(); i += 4 * 97)
      colours.insert(uint32_t(shot.rgba[i]) << 16 | uint32_t(shot.rgba[i + 1]) << 8 | shot.rgba[i + 2]);
    EXPECT_GT(colours.size(), 50u);
  }
}

// A light tap (press and release within one frame) on the start button
// starts the story as a long press does.
TEST_F(ReplayEndToEndTest, AQuickTapOnTheDemosStartButtonBeginsTheStory) {
  Outcome out = Replay(TAVRI_DEMO_DIR,
                       "11000 move 400 270\n"
                       "11010 down LBUTTON\n"
                       "11012 up LBUTTON\n"
                       "14000 dump story.json\n",
                       work_.Path());
  ASSERT_EQ(out.code, 0) << out.errors;
  EXPECT_TRUE(Has(Read("story.json"), "\"scene\": 5,")) << Read("story.json");
}

// Alt + Enter: the whole title stretched over the 1024 x 768 desktop, its
// buttons where they are drawn, and the quit dialog's yes ends the game.
TEST_F(ReplayEndToEndTest, TheDemoInFullScreenIsStretchedWholeAndItsButtonsWork) {
  Outcome out = Replay(TAVRI_DEMO_DIR,
                       "11000 down MENU\n"
                       "11000 down RETURN\n"
                       "11100 up RETURN\n"
                       "11100 up MENU\n"
                       "11500 dump full.json\n"
                       "11500 shot full.png\n"
                       "11600 click 512 346   # the start button, 400 x 270 on the configured screen\n"
                       "14000 dump story.json\n"
                       "14100 close\n"
                       "14600 down LBUTTON    # where the cursor glided: yes\n"
                       "14750 up LBUTTON\n"
                       "20000 dump never.json\n",
                       work_.Path());
  ASSERT_EQ(out.code, 0) << out.errors;
  const std::string full = Read("full.json");
  ASSERT_TRUE(Has(full, "\"windowed\": false,\n  \"backBuffer\": {\n    \"width\": 1024,\n    \"height\": 768\n  },\n"
                        "  \"scale\": {\n    \"x\": 1.28,\n    \"y\": 1.28\n  },"))
      << full;
  tav::os::IcoImage shot = ReadPng(work_ / "full.png");
  ASSERT_EQ(shot.width, 1024);
  ASSERT_EQ(shot.height, 768);
  // The title picture reaches every edge: no black band where the 800 x 600
  // picture would end unscaled.
  for (auto [x, y] : {std::pair{1020, 300}, {500, 760}, {1020, 760}, {3, 3}}) {
    const uint8_t* p = &shot.rgba[(size_t(y) * 1024 + size_t(x)) * 4];
    EXPECT_GT(p[0] + p[1] + p[2], 30) << x << "," << y;
  }
  EXPECT_TRUE(Has(Read("story.json"), "\"scene\": 5,")) << Read("story.json");
  EXPECT_FALSE(fs::exists(work_ / "never.json"));
}

// The backlog of the demo at its choice: the wheel opens it over the dimmed
// scene with the Japanese rows of the scenes passed, a voice button speaks
// its line again, the right button gives back the message window as it was,
// and a back button returns to its scene.
TEST_F(ReplayEndToEndTest, TheDemosBacklogOpensWithTheWheelSpeaksAgainAndJumpsBack) {
  Outcome out = Replay(TAVRI_DEMO_DIR,
                       "11000 click 400 270\n"
                       "14000 down CONTROL\n"
                       "15000 up CONTROL\n"
                       "15900 shot before.png\n"
                       "16000 wheel 120\n"
                       "16050 shot open.png\n"
                       "16050 dump open.json\n"
                       "16100 move 735 125   # the voice button beside Aoi's line\n"
                       "16200 click 735 125\n"
                       "16500 dump voice.json\n"
                       "16500 shot voice.png\n"
                       "16600 down RBUTTON\n"
                       "16620 up RBUTTON\n"
                       "16700 shot closed.png\n"
                       "16700 dump closed.json\n"
                       "16800 wheel 120\n"
                       "16900 click 716 54   # the back button of the first block\n"
                       "17100 dump back.json\n",
                       work_.Path());
  ASSERT_EQ(out.code, 0) << out.errors;
  const std::string open = Read("open.json");
  EXPECT_TRUE(Has(open, "\"open\": true,")) << open;
  // Three blocks of 2, 2 and 1 rows and their separators: 8 rows, one screen.
  EXPECT_TRUE(Has(open, "\"rows\": [\n            \"\xe3\x80\x90\xe8\x91\xb5\xe3\x80\x91")) << open;  // 【葵】
  EXPECT_TRUE(Has(open, "\"topRow\": 0,\n    \"thumb\": {\n      \"y\": 16,\n      \"height\": 568\n    },")) << open;

  const tav::os::IcoImage before = ReadPng(work_ / "before.png"), opened = ReadPng(work_ / "open.png"),
                          voice = ReadPng(work_ / "voice.png"), closed = ReadPng(work_ / "closed.png");
  ASSERT_EQ(opened.width, 800);
  auto at = [](const tav::os::IcoImage& image, int x, int y) { return &image.rgba[(size_t(y) * 800 + size_t(x)) * 4]; };
  // The shade keeps a third of the scene's light.
  for (auto [x, y] : {std::pair{400, 400}, {300, 500}, {100, 300}})
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(at(opened, x, y)[c], at(before, x, y)[c] / 3.0, 4) << x << "," << y;
  // White glyphs on the first row; the hovered block's rows in amber.
  auto count = [&](const tav::os::IcoImage& image, int top, auto test) {
    int n = 0;
    for (int y = top; y < top + 22; ++y)
      for (int x = 64; x < 700; ++x) n += test(at(image, x, y));
    return n;
  };
  auto white = [](const uint8_t* p) { return p[0] > 220 && p[1] > 220 && p[2] > 220; };
  auto amber = [](const uint8_t* p) { return p[0] > 200 && p[1] > 160 && p[1] < 230 && p[2] < 80; };
  EXPECT_GT(count(opened, 0, white), 300);
  EXPECT_EQ(count(opened, 69, amber), 0);
  EXPECT_GT(count(voice, 69, amber), 300);  // Aoi's first row, lit while the cursor is on its voice
  EXPECT_EQ(count(voice, 0, amber), 0);

  const std::string spoken = Read("voice.json");
  EXPECT_TRUE(Has(spoken, "\"voice\": \"voice\\\\aoi_01.ogg\"")) << spoken;
  EXPECT_TRUE(Has(spoken, "\"name\": \"voice\\\\aoi_01.ogg\",\n      \"playing\": true,")) << spoken;
  // The scene's own voice stopped and left the sounds.
  EXPECT_FALSE(Has(spoken, "\"name\": \"voice\\\\aoi_02.ogg\",\n      \"playing\"")) << spoken;

  const std::string shut = Read("closed.json");
  EXPECT_TRUE(Has(shut, "\"open\": false,")) << shut;
  EXPECT_TRUE(Has(shut, "\"scene\": 8,")) << shut;
  EXPECT_FALSE(Has(shut, "aoi_01.ogg")) << shut;  // closing stops the replayed voice
  // The message window is back as it was before the backlog opened.
  double difference = 0;
  for (int y = 430; y < 590; ++y)
    for (int x = 40; x < 760; ++x)
      for (int c = 0; c < 3; ++c) difference += std::abs(at(closed, x, y)[c] - at(before, x, y)[c]);
  EXPECT_LT(difference / (160 * 720 * 3), 1.0);

  const std::string back = Read("back.json");
  EXPECT_TRUE(Has(back, "\"scene\": 5,")) << back;
  EXPECT_TRUE(Has(back, "\"open\": false,")) << back;
}

// Two runs of the demo in one per-user folder. The first sets the music
// slider, saves at the first story scene from the message window and quits;
// the second starts with the music where it was left and loads the slot.
TEST_F(ReplayEndToEndTest, TheDemosSettingsAndSavesSurviveARestart) {
  const fs::path data = fs::path(std::getenv("XDG_DATA_HOME")) / "Tavri";
  for (const char* name : {"DemoSave1.dat", "DemoConfig.dat", "DemoUnlocked.dat"}) fs::remove(data / name);
  Outcome first = Replay(TAVRI_DEMO_DIR,
                         "11000 click 400 375   # settings\n"
                         "11300 move 428 126    # the music knob, 16 pixels into it\n"
                         "11400 down LBUTTON\n"
                         "11600 move 350 126\n"
                         "11700 up LBUTTON\n"
                         "11800 dump settings.json\n"
                         "11800 shot settings.png\n"
                         "11900 click 700 558   # back to the title\n"
                         "12300 click 400 270   # start\n"
                         "15000 click 495 572   # save, in the message window\n"
                         "15500 click 300 130   # slot 1\n"
                         "15800 dump saved.json\n"
                         "15800 shot saved.png\n"
                         "16000 close\n"
                         "16500 down LBUTTON    # yes\n"
                         "16650 up LBUTTON\n"
                         "20000 dump never.json\n",
                         work_.Path());
  ASSERT_EQ(first.code, 0) << first.errors;
  EXPECT_FALSE(fs::exists(work_ / "never.json"));
  const std::string settings = Read("settings.json");
  // The knob is at 350 - 16: 34 of its 224 pixels, so the music plays at
  // 34 / 224 x sqrt(10) = 0.48.
  EXPECT_TRUE(Has(settings, "\"knobs\": [\n    334,\n    -1,")) << settings;
  EXPECT_TRUE(Has(settings, "\"volumes\": [\n    0.4799")) << settings;
  const std::string saved = Read("saved.json");
  EXPECT_TRUE(Has(saved, "\"scene\": 1,")) << saved;
  EXPECT_TRUE(Has(saved, "\"storyScene\": 5,")) << saved;
  EXPECT_TRUE(Has(saved, "\"slot\": 1,\n      \"label\": \"")) << saved;
  ASSERT_TRUE(fs::exists(data / "DemoSave1.dat"));
  ASSERT_TRUE(fs::exists(data / "DemoConfig.dat"));

  Outcome second = Replay(TAVRI_DEMO_DIR,
                          "10500 dump restart.json\n"
                          "11000 click 400 320   # load\n"
                          "11400 dump load.json\n"
                          "11400 shot load.png\n"
                          "11500 click 300 130   # slot 1\n"
                          "12500 dump loaded.json\n",
                          work_.Path());
  ASSERT_EQ(second.code, 0) << second.errors;
  const std::string restart = Read("restart.json");
  EXPECT_TRUE(Has(restart, "\"volumes\": [\n    0.4799")) << restart;
  EXPECT_TRUE(Has(restart, "\"knobs\": [\n    334,")) << restart;
  const std::string load = Read("load.json");
  EXPECT_TRUE(Has(load, "\"scene\": 2,")) << load;
  EXPECT_TRUE(Has(load, "\"slot\": 1,")) << load;  // the label read back from the file
  const std::string loaded = Read("loaded.json");
  EXPECT_TRUE(Has(loaded, "\"scene\": 5,")) << loaded;
}

// The demo's edit panel: Tab shows it, three scenes of the story are added
// on the way, play runs them round and round, and sepia tones every picture
// of the scene (not the panel) through the game's own shader.
TEST_F(ReplayEndToEndTest, TheDemosEditPanelPlaysItsPlaylistRoundInSepia) {
  std::string script = "11000 click 400 270\n14000 down TAB\n14050 up TAB\n";
  for (int t : {14100, 14600, 15100}) {  // add, then on to the next scene
    script += std::to_string(t) + " click 690 146\n";
    script += std::to_string(t + 300) + " down CONTROL\n" + std::to_string(t + 350) + " up CONTROL\n";
  }
  script += "15600 click 782 146   # play\n"
            "15900 click 758 84    # sepia\n"
            "16200 shot sepia.png\n"
            "16200 dump sepia.json\n";
  for (int t : {16300, 16600, 16900}) script += std::to_string(t) + " down CONTROL\n" + std::to_string(t + 50) + " up CONTROL\n";
  script += "17200 dump round.json\n";
  Outcome out = Replay(TAVRI_DEMO_DIR, script, work_.Path());
  ASSERT_EQ(out.code, 0) << out.errors;
  const std::string sepia = Read("sepia.json");
  EXPECT_TRUE(Has(sepia, "\"scene\": 5,")) << sepia;
  EXPECT_TRUE(Has(sepia, "\"scene\": 5,\n        \"label\": \"\xe6\x98\xa5\xe3\x81\xae\xe7\xb5\x82\xe3\x82\x8f\xe3\x82\x8a\xe3\x80\x82\xe6\x94\xbe\"")) << sepia;  // 春の終わり。放
  EXPECT_TRUE(Has(sepia, "\"scene\": 7,\n        \"label\": ")) << sepia;
  EXPECT_TRUE(Has(sepia, "\"playing\": true,\n    \"position\": 1,\n    \"colourMode\": 3")) << sepia;
  const std::string round = Read("round.json");
  EXPECT_TRUE(Has(round, "\"scene\": 5,\n  \"previousScene\": 7,")) << round;  // 5, 6, 7 and round to 5

  // Every pixel of the picture above the message window has the sepia tone's
  // proportions, R : G : B = 1.07 : 0.74 : 0.43, bright ones that reach full
  // red aside. (The glyphs' soft edges blend a full red over the window, which
  // keeps no proportion.)
  const tav::os::IcoImage shot = ReadPng(work_ / "sepia.png");
  ASSERT_EQ(shot.width, 800);
  int checked = 0, off = 0;
  for (int y = 0; y < 430; y += 5)
    for (int x = 0; x < 660; x += 5) {
      const uint8_t* p = &shot.rgba[(size_t(y) * 800 + size_t(x)) * 4];
      if (p[0] >= 245) continue;
      ++checked;
      off += std::abs(p[1] - p[0] * 0.74 / 1.07) > 3 || std::abs(p[2] - p[0] * 0.43 / 1.07) > 3;
    }
  EXPECT_GT(checked, 5000);
  EXPECT_EQ(off, 0);
}


// One route through the whole demo, for what the other demo tests leave out:
// skip set to pass unread scenes on the settings screen, auto mode from the
// message window's bar running a scene on by itself, skip running on to the
// choice, picture view, the call of the memory and its return, the ending
// back at the title with its extras room now shown, a caption under the
// mouse, music played by name, the memory played again from the extras, and
// the return to the title that stops every sound.
TEST_F(ReplayEndToEndTest, TheDemosRouteReachesEveryFeatureFromTheTitleAndTheMessageWindow) {
  const fs::path data = fs::path(std::getenv("XDG_DATA_HOME")) / "Tavri";
  for (const char* name : {"DemoConfig.dat", "DemoUnlocked.dat"}) fs::remove(data / name);
  Outcome out = Replay(TAVRI_DEMO_DIR,
                       "11000 click 400 376   # settings\n"
                       "11400 click 490 376   # skip: all scenes\n"
                       "11700 dump settings.json\n"
                       "11800 click 700 560   # back to the title\n"
                       "12300 click 400 272   # start\n"
                       "14600 click 360 571   # auto, in the message window's bar\n"
                       "14800 shot auto.png\n"
                       "14800 dump auto.json\n"
                       "21000 dump auto-next.json\n"
                       "21100 click 400 300   # any click ends auto mode\n"
                       "21300 click 430 571   # skip\n"
                       "21500 dump skip.json\n"
                       "27000 dump choice.json\n"
                       "27000 down F2         # skip off before choosing\n"
                       "27050 up F2\n"
                       "27500 click 400 176   # the sea\n"
                       "30000 shot sea.png\n"
                       "30500 click 710 571   # picture view\n"
                       "30700 shot picture.png\n"
                       "30700 dump picture.json\n"
                       "31000 down RBUTTON    # back to the message\n"
                       "31050 up RBUTTON\n"
                       "31200 dump message.json\n"
                       "31300 click 400 300\n"
                       "31500 click 400 300   # the iris closes; the street\n"
                       "34500 dump street.json\n"
                       "35000 click 685 390   # remember: the call\n"
                       "37000 dump memory.json\n"
                       "37500 click 400 300\n"
                       "37800 click 400 300\n"
                       "38500 dump memory-end.json\n"
                       "40500 click 400 300\n"
                       "40800 click 400 300   # the call's last scene left\n"
                       "41200 dump returned.json\n"
                       "41300 down CONTROL    # on through the ending\n"
                       "42000 up CONTROL\n"
                       "42500 dump title.json\n"
                       "42500 shot title.png\n"
                       "42600 click 400 532   # the extras\n"
                       "43700 dump extras.json\n"
                       "43800 move 230 284\n"
                       "44000 shot caption.png\n"
                       "44000 dump caption.json\n"
                       "44100 click 230 284   # music\n"
                       "44500 dump music.json\n"
                       "44700 click 230 222   # the memory again\n"
                       "46500 click 400 300\n"
                       "46800 click 400 300\n"
                       "49500 click 400 300\n"
                       "49800 click 400 300\n"
                       "50500 dump extras-again.json\n"
                       "50600 click 230 346   # to the title\n"
                       "51200 dump back.json\n",
                       work_.Path());
  ASSERT_EQ(out.code, 0) << out.errors;
  const std::string settings = Read("settings.json");
  EXPECT_TRUE(Has(settings, "\"skipUnread\": true,")) << settings;

  // Auto mode shows its mark beside the text and goes on by itself.
  const std::string autoOn = Read("auto.json");
  EXPECT_TRUE(Has(autoOn, "\"scene\": 5,")) << autoOn;
  EXPECT_TRUE(Has(autoOn, "\"auto\": true,")) << autoOn;
  const std::string autoNext = Read("auto-next.json");
  EXPECT_TRUE(Has(autoNext, "\"scene\": 6,\n  \"previousScene\": 5,")) << autoNext;
  EXPECT_TRUE(Has(autoNext, "\"auto\": true,")) << autoNext;
  EXPECT_TRUE(Has(Read("skip.json"), "\"auto\": false,\n    \"skip\": true,")) << Read("skip.json");
  // Skip passes the unread scenes 6 and 7 and stops at the choice, which waits for a button.
  const std::string choice = Read("choice.json");
  EXPECT_TRUE(Has(choice, "\"scene\": 8,\n  \"previousScene\": 7,")) << choice;

  // Picture view: the message window and its text leave the screen, and come back.
  const std::string picture = Read("picture.json");
  EXPECT_TRUE(Has(picture, "\"scene\": 10,")) << picture;
  EXPECT_TRUE(Has(picture, "\"pictureView\": true,")) << picture;
  EXPECT_TRUE(Has(Read("message.json"), "\"pictureView\": false,")) << Read("message.json");
  const tav::os::IcoImage sea = ReadPng(work_ / "sea.png"), view = ReadPng(work_ / "picture.png");
  auto at = [](const tav::os::IcoImage& image, int x, int y) { return &image.rgba[(size_t(y) * 800 + size_t(x)) * 4]; };
  // Left of Aoi, over the message window's text area: the window's dark navy
  // before, the bright beach picture in picture view.
  double before = 0, after = 0;
  for (int y = 500; y < 540; ++y)
    for (int x = 60; x < 280; ++x) before += at(sea, x, y)[0], after += at(view, x, y)[0];
  EXPECT_GT(after / (40 * 220), before / (40 * 220) + 60);

  // The call: the memory plays from scene 18 and returns to 14 after 20.
  EXPECT_TRUE(Has(Read("street.json"), "\"scene\": 14,")) << Read("street.json");
  EXPECT_TRUE(Has(Read("memory.json"), "\"scene\": 19,\n  \"previousScene\": 18,")) << Read("memory.json");
  const std::string memoryEnd = Read("memory-end.json");
  EXPECT_TRUE(Has(memoryEnd, "\"voice\": {\n      \"name\": \"voice\\\\aoi_child.ogg\",")) << memoryEnd;
  const std::string returned = Read("returned.json");
  EXPECT_TRUE(Has(returned, "\"scene\": 14,\n  \"previousScene\": 20,")) << returned;
  // Scenes played inside a call are not read.
  EXPECT_FALSE(Has(returned, "\n    19,")) << returned;

  // The ending read, the title offers its extras.
  const std::string title = Read("title.json");
  EXPECT_TRUE(Has(title, "\"scene\": 0,\n  \"previousScene\": 17,")) << title;
  EXPECT_TRUE(Has(title, "\"image\": \"ui\\\\t_extra1.dds\",\n      \"x\": 290,\n      \"y\": 510,\n      \"drawn\": true"))
      << title;
  // The extras room names no music: the title's stops.
  const std::string extras = Read("extras.json");
  EXPECT_TRUE(Has(extras, "\"scene\": 21,")) << extras;
  EXPECT_TRUE(Has(extras, "\"sounds\": [],")) << extras;
  const std::string caption = Read("caption.json");
  EXPECT_TRUE(Has(caption, "\"image\": \"ui\\\\cap_music.png\",\n      \"x\": 360,\n      \"y\": 262,\n      \"drawn\": true"))
      << caption;
  EXPECT_TRUE(Has(caption, "\"image\": \"ui\\\\cap_memory.png\",\n      \"x\": 360,\n      \"y\": 200,\n      \"drawn\": false"))
      << caption;
  const tav::os::IcoImage shot = ReadPng(work_ / "caption.png");
  int ink = 0;  // the caption's light letters on its dark plate
  for (int y = 270; y < 296; ++y)
    for (int x = 370; x < 600; ++x) ink += at(shot, x, y)[0] > 220 && at(shot, x, y)[1] > 220;
  EXPECT_GT(ink, 100);
  const std::string music = Read("music.json");
  EXPECT_TRUE(Has(music, "\"music\": {\n      \"name\": \"bgm\\\\memory.ogg\",")) << music;
  EXPECT_TRUE(Has(music, "\"name\": \"bgm\\\\memory.ogg\",\n      \"playing\": true,")) << music;
  // The memory opened from the extras runs on back into them.
  EXPECT_TRUE(Has(Read("extras-again.json"), "\"scene\": 21,\n  \"previousScene\": 20,")) << Read("extras-again.json");
  const std::string back = Read("back.json");
  EXPECT_TRUE(Has(back, "\"scene\": 0,\n  \"previousScene\": 21,")) << back;
  EXPECT_TRUE(Has(back, "\"name\": \"bgm\\\\title.ogg\",\n      \"playing\": true,")) << back;
  EXPECT_FALSE(Has(back, "aoi_child.ogg")) << back;  // every sound of the memory stopped
}

// The README's guide for authors, followed as written: its configuration
// example, its minimal scene file and its route script run on a game made of
// plain pictures and a tone, and every check it lists holds.
std::string Block(const std::string& text, const std::string& after, const std::string& end) {
  size_t from = text.find(after);
  if (from == std::string::npos) return {};
  from += after.size();
  return text.substr(from, text.find(end, from) - from);
}

TEST_F(ReplayEndToEndTest, TheReadmesGameForAuthorsPlaysItsRoute) {
  const std::string readme = tavtest::ReadFileBytes(fs::path(TAVRI_SOURCE_DIR) / "README.md");
  // The configuration table's example column, in line order.
  std::string config;
  for (const char* row : {"| 1 |", "| 2 |", "| 3, 4 |", "| 5 |", "| 6 |", "| 7 |", "| 8, 9 |", "| 10, 11 |", "| 12 |",
                          "| 13 |", "| 14 |", "| 15 |", "| 16 |", "| 17 |"}) {
    const std::string line = Block(readme, std::string("\n") + row, "\n");
    ASSERT_FALSE(line.empty()) << row;
    const size_t column = line.rfind('|', line.size() - 2) + 1;
    std::string example = line.substr(column, line.size() - 1 - column);
    for (size_t tick; (tick = example.find('`')) != std::string::npos;) example.erase(tick, 1);
    for (char& c : example)
      if (c == ',') c = '\n';
    std::istringstream values(example);
    for (std::string value; std::getline(values, value);) {
      value.erase(0, value.find_first_not_of(' '));
      value.erase(value.find_last_not_of(' ') + 1);
      config += value + "\r\n";
    }
  }
  // The scene file: its indented lines, one tab kept before each command.
  std::string story;
  std::istringstream lines(Block(readme, "Txt/story.txt\n", "```"));
  for (std::string line; std::getline(lines, line);) {
    if (line.size() > 4) story += line.substr(4) + "\r\n";
  }
  ASSERT_NE(story.find("\timg 40 430 ui\\msgwin.png\r\n"), std::string::npos) << story;
  const std::string route = Block(readme, "# route.txt\n", "```");
  ASSERT_FALSE(route.empty());

  std::vector<float> tone(2 * 22050);
  for (size_t i = 0; i < tone.size(); ++i) tone[i] = 0.2f * std::sin(float(i) * 0.05f);
  const std::vector<uint8_t> ogg = tav::vorbis::Encode(1, 22050, tone);
  std::vector<std::pair<std::string, std::string>> res{{"Res\\id.txt", "3\r\n"},
                                     {"Res\\bgm\\theme.ogg", std::string(ogg.begin(), ogg.end())},
                                     {"Res\\bg\\title.png", d3dxtest::SolidPngFile(800, 600, 40, 40, 90)},
                                     {"Res\\bg\\sky.png", d3dxtest::SolidPngFile(800, 600, 90, 140, 220)},
                                     {"Res\\ui\\msgwin.png", d3dxtest::SolidPngFile(720, 160, 20, 20, 40)}};
  for (const char* button : {"start", "quit"})
    for (int state = 1; state <= 3; ++state)
      res.push_back({std::string("Res\\ui\\") + button + std::to_string(state) + ".png",
                     d3dxtest::SolidPngFile(200, 40, 200, uint8_t(150 + 30 * state), 90)});
  const fs::path out = game_ / "out";
  fs::create_directories(out);
  tavtest::WriteFileBytes(out / "Res.pac", tavtest::BuildArchive(res));
  tavtest::WriteFileBytes(out / "Txt.pac", tavtest::BuildArchive({{"Txt\\config.txt", config},
                                                                  {"Txt\\id.txt", "3\r\n"},
                                                                  {"Txt\\scene.txt", "story.txt\r\n"},
                                                                  {"Txt\\story.txt", story}}));
  tavtest::WriteFileBytes(out / "ID.pac", tavtest::BuildArchive({{"ID\\id.txt", "3\r\n"}}));

  Outcome run = Replay(out, route, work_.Path());
  ASSERT_EQ(run.code, 0) << run.errors;
  EXPECT_EQ(ReadPng(work_ / "title.png").width, 800);
  // The guide's checks: grep -q 'PATTERN' FILE.
  std::istringstream checks(Block(readme, "tavri-replay out route.txt\n", "```"));
  int count = 0;
  for (std::string line; std::getline(checks, line);) {
    ASSERT_EQ(line.rfind("grep -q '", 0), 0u) << line;
    const size_t close = line.find('\'', 9);
    const std::string pattern = line.substr(9, close - 9), file = line.substr(close + 2);
    EXPECT_TRUE(Has(Read(file), pattern)) << file << ": " << pattern << "\n" << Read(file);
    ++count;
  }
  EXPECT_GE(count, 4);
}

}  // namespace
