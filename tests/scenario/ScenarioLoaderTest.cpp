#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/ErrorLog.h"
#include "os/OsTestSupport.h"
#include "platform/os/Clock.h"
#include "platform/os/WindowCalls.h"
#include "scenario/ScenarioLoader.h"
#include "scenario/ScenarioTestSupport.h"

namespace {

using scenariotest::Crlf;
using scenariotest::Put;

class ScenarioLoaderTest : public testing::Test {
 protected:
  void SetUp() override {
    tav::SetLogSink([this](std::wstring_view line) { log_.emplace_back(line); });
  }
  void TearDown() override { tav::SetLogSink({}); }

  bool Load() { return tav::LoadScenario(texts_, config_, nullptr, scenes_, sets_); }

  tav::ArchiveStore texts_;
  tav::GameConfig config_ = scenariotest::TestConfig();
  std::vector<tav::SceneData> scenes_;
  std::vector<tav::ImageSet> sets_;
  std::vector<std::wstring> log_;
};

TEST_F(ScenarioLoaderTest, MissingSceneListFailsWithEmptyTables) {
  scenes_.resize(2);  // whatever was there before is replaced
  sets_.resize(1);
  EXPECT_FALSE(Load());
  EXPECT_TRUE(scenes_.empty());
  EXPECT_TRUE(sets_.empty());
  ASSERT_EQ(log_.size(), 1u);
  EXPECT_NE(log_[0].find(L"Txt\\scene.txt"), std::wstring::npos);
}

TEST_F(ScenarioLoaderTest, ReadsSetsAndScenesOfEveryListedFile) {
  Put(texts_, L"Txt\\scene.txt", Crlf({"// the scenario", "one.txt", "two.txt"}));
  Put(texts_, L"Txt\\one.txt", Crlf({
                                   "notes outside any block are skipped",
                                   "\timg 0 0 outside.png",
                                   "{",
                                   "\t[c] 1",  // a set defined further down this file
                                   "\tmsg hello",
                                   "}",
                                   "[ menu buttons",
                                   "\timg 1 1 a.png",
                                   "\tmsg not part of a set",
                                   "]",
                                   "[",
                                   "\timg 2 2 b.png",
                                   "\t[o] 3 3 c.png",
                                   "]",
                               }));
  Put(texts_, L"Txt\\two.txt", Crlf({
                                   "[",
                                   "\t[c] 0",
                                   "\t[i] 4 4 d.png",
                                   "]",
                                   "{-2 0 1 4 5 99",
                                   "\t[c] 2",
                                   "\tsnd bgm.ogg",
                                   "\tef0 FF000000 0",
                                   "\t[d] 0 0 e.png",
                                   "}",
                               }));
  ASSERT_TRUE(Load());
  EXPECT_TRUE(log_.empty()) << log_[0];

  // Sets are numbered over both files: 0 and 1 from the first, 2 from the second.
  ASSERT_EQ(sets_.size(), 3u);
  ASSERT_EQ(sets_[0].images.size(), 1u);
  EXPECT_EQ(sets_[0].images[0].image, L"a.png");
  ASSERT_EQ(sets_[1].images.size(), 2u);
  EXPECT_EQ(sets_[1].images[1].kind, tav::kImageFadeOut);
  ASSERT_EQ(sets_[2].images.size(), 2u);
  EXPECT_EQ(sets_[2].images[0].image, L"a.png");
  EXPECT_EQ(sets_[2].images[1].image, L"d.png");

  ASSERT_EQ(scenes_.size(), 2u);
  const tav::SceneData& first = scenes_[0];
  ASSERT_EQ(first.images.size(), 2u);
  EXPECT_EQ(first.images[0].image, L"b.png");
  EXPECT_EQ(first.images[1].image, L"c.png");
  ASSERT_EQ(first.messageRows.size(), 2u);
  EXPECT_EQ(first.messageRows[0].text, L"hell");  // no CR left at the end
  EXPECT_EQ(first.messageRows[1].text, L"o");
  EXPECT_EQ(first.nextScene, -1);
  EXPECT_TRUE(first.leaveEffects);
  EXPECT_FALSE(first.headerFlagB);
  EXPECT_EQ(first.cancelScene, -1);
  EXPECT_EQ(first.jumpScene, -1);

  const tav::SceneData& second = scenes_[1];
  EXPECT_EQ(second.nextScene, -2);
  EXPECT_FALSE(second.leaveEffects);
  EXPECT_TRUE(second.headerFlagB);
  EXPECT_EQ(second.cancelScene, 4);
  EXPECT_EQ(second.jumpScene, 5);
  EXPECT_EQ(second.images.size(), 2u);
  EXPECT_EQ(second.sounds.size(), 1u);
  EXPECT_EQ(second.effects.size(), 1u);
  EXPECT_EQ(second.draws.size(), 1u);
  EXPECT_TRUE(second.messageRows.empty());
}

TEST_F(ScenarioLoaderTest, HeaderValuesThatDoNotReadKeepTheirDefaults) {
  Put(texts_, L"Txt\\scene.txt", Crlf({"a.txt"}));
  Put(texts_, L"Txt\\a.txt", Crlf({"{7", "}", "{3 2 x", "}", "{ 5 0", "}"}));
  ASSERT_TRUE(Load());
  ASSERT_EQ(scenes_.size(), 3u);
  EXPECT_EQ(scenes_[0].nextScene, 7);
  EXPECT_TRUE(scenes_[0].leaveEffects);
  EXPECT_EQ(scenes_[1].nextScene, 3);
  EXPECT_TRUE(scenes_[1].leaveEffects);  // 2 is not a flag
  EXPECT_FALSE(scenes_[1].headerFlagB);
  // A space right after the brace is an empty first value.
  EXPECT_EQ(scenes_[2].nextScene, -1);
  EXPECT_TRUE(scenes_[2].leaveEffects);
  EXPECT_FALSE(scenes_[2].headerFlagB);
}

TEST_F(ScenarioLoaderTest, MissingListedFileKeepsWhatEarlierFilesAdded) {
  Put(texts_, L"Txt\\scene.txt", Crlf({"a.txt", "gone.txt", "b.txt"}));
  Put(texts_, L"Txt\\a.txt", Crlf({"[", "\timg 0 0 x.png", "]", "{", "}"}));
  Put(texts_, L"Txt\\b.txt", Crlf({"{", "}"}));
  EXPECT_FALSE(Load());
  EXPECT_EQ(sets_.size(), 1u);
  EXPECT_EQ(scenes_.size(), 1u);  // b.txt is never reached
  ASSERT_EQ(log_.size(), 1u);
  EXPECT_NE(log_[0].find(L"Txt\\gone.txt"), std::wstring::npos);
}

TEST_F(ScenarioLoaderTest, BlockOpenedInsideAnOpenOneStopsTheLoad) {
  Put(texts_, L"Txt\\scene.txt", Crlf({"a.txt", "b.txt", "c.txt"}));
  Put(texts_, L"Txt\\a.txt", Crlf({"{", "}"}));
  Put(texts_, L"Txt\\b.txt", Crlf({"{1", "\tmsg kept", "}", "{2", "\tmsg dropped", "{3", "}"}));
  Put(texts_, L"Txt\\c.txt", Crlf({"{", "}"}));
  EXPECT_FALSE(Load());
  ASSERT_EQ(scenes_.size(), 2u);
  EXPECT_EQ(scenes_[1].nextScene, 1);
  EXPECT_EQ(log_.size(), 1u);

  texts_ = {};
  log_.clear();
  Put(texts_, L"Txt\\scene.txt", Crlf({"a.txt"}));
  Put(texts_, L"Txt\\a.txt", Crlf({"[", "\timg 0 0 kept.png", "]", "{", "}", "[", "\timg 0 0 x.png", "[c] 0", "]"}));
  EXPECT_FALSE(Load());  // the unindented "[c]" opens a second set inside the open one
  ASSERT_EQ(sets_.size(), 1u);
  EXPECT_EQ(sets_[0].images.at(0).image, L"kept.png");
  EXPECT_TRUE(scenes_.empty());  // the scene pass never ran for this file
  EXPECT_EQ(log_.size(), 1u);
}

TEST_F(ScenarioLoaderTest, BlocksStillOpenAtTheEndOfAFileAreDropped) {
  Put(texts_, L"Txt\\scene.txt", Crlf({"a.txt", "b.txt", "c.txt"}));
  Put(texts_, L"Txt\\a.txt", Crlf({"[", "\timg 0 0 x.png", "{", "\timg 0 0 y.png"}));
  Put(texts_, L"Txt\\b.txt", Crlf({"{", "}", "["}));  // opened on the very last line
  Put(texts_, L"Txt\\c.txt", Crlf({"[", "]", "{", "}", "{"}));
  ASSERT_TRUE(Load());
  EXPECT_EQ(sets_.size(), 1u);  // only c.txt's empty set
  EXPECT_TRUE(sets_[0].images.empty());
  EXPECT_EQ(scenes_.size(), 2u);  // b.txt's and c.txt's closed scenes
  EXPECT_TRUE(scenes_[0].images.empty());
}

TEST_F(ScenarioLoaderTest, UnindentedCommandOpensAnImageSet) {
  Put(texts_, L"Txt\\scene.txt", Crlf({"a.txt"}));
  Put(texts_, L"Txt\\a.txt", Crlf({"[c] 0", "\timg 0 0 in-set.png", "]", "{", "[c] 0", "}"}));
  ASSERT_TRUE(Load());
  ASSERT_EQ(sets_.size(), 1u);
  EXPECT_EQ(sets_[0].images.size(), 1u);
  ASSERT_EQ(scenes_.size(), 1u);
  EXPECT_TRUE(scenes_[0].images.empty());  // "[c] 0" without a separator is no command
  ASSERT_EQ(log_.size(), 1u);              // and is logged as ignored
  EXPECT_NE(log_[0].find(L"Txt\\a.txt, line 5"), std::wstring::npos) << log_[0];
}

TEST_F(ScenarioLoaderTest, BareLineFeedsCostEachLineItsLastCharacter) {
  Put(texts_, L"Txt\\scene.txt", "a.txt\r\n");
  Put(texts_, L"Txt\\a.txt", "{\r\n\tmsg abcdef\n}\r\n");
  ASSERT_TRUE(Load());
  ASSERT_EQ(scenes_.size(), 1u);
  ASSERT_EQ(scenes_[0].messageRows.size(), 2u);
  EXPECT_EQ(scenes_[0].messageRows[1].text, L"e");
}

TEST_F(ScenarioLoaderTest, CopiesOfCopiesStopAtTheBudget) {
  // Each set doubles the one before: without a bound, 40 lines would ask for
  // a trillion entries.
  std::vector<std::string> lines = {"[", "\timg 0 0 a.png", "]"};
  for (int i = 0; i < 40; ++i)
    for (const std::string& line : {std::string("["), "\t[c] " + std::to_string(i), "\t[c] " + std::to_string(i),
                                    std::string("]")})
      lines.push_back(line);
  Put(texts_, L"Txt\\scene.txt", Crlf({"a.txt"}));
  Put(texts_, L"Txt\\a.txt", Crlf(lines));
  ASSERT_TRUE(tav::LoadScenario(texts_, config_, nullptr, scenes_, sets_, 10000));
  size_t total = 0;
  for (const tav::ImageSet& set : sets_) total += set.images.size();
  EXPECT_LE(total, 10000u + 1);
  EXPECT_GE(total, 5000u);  // copies go on until the budget is nearly spent
  EXPECT_FALSE(log_.empty());
}

TEST(LoadingCaptionTest, ShowsSixSignificantDigits) {
  EXPECT_EQ(tav::LoadingCaption(1, 3), L"Now Loading .33.3333%");
  EXPECT_EQ(tav::LoadingCaption(2, 3), L"Now Loading .66.6667%");
  EXPECT_EQ(tav::LoadingCaption(3, 3), L"Now Loading .100%");
  EXPECT_EQ(tav::LoadingCaption(1, 8), L"Now Loading .12.5%");
  EXPECT_EQ(tav::LoadingCaption(1, 7), L"Now Loading .14.2857%");
}

// Reads the window's caption at every sleep, which the loader makes once
// after each file.
class CaptionClock : public tav::os::ClockSource {
 public:
  explicit CaptionClock(HWND window) : window_(window) {}
  DWORD Now() override { return 0; }
  bool Sleep(DWORD ms) override {
    wchar_t caption[64] = {};
    tav::os::GetWindowTextW(window_, caption, 64);
    captions.emplace_back(caption);
    sleeps.push_back(ms);
    return true;
  }
  std::vector<std::wstring> captions;
  std::vector<DWORD> sleeps;

 private:
  HWND window_;
};

class ScenarioCaptionTest : public ostest::WindowFixture {};

TEST_F(ScenarioCaptionTest, CaptionShowsTheProgressAfterEachFile) {
  tav::ArchiveStore texts;
  Put(texts, L"Txt\\scene.txt", Crlf({"a.txt", "b.txt", "c.txt"}));
  for (const wchar_t* name : {L"Txt\\a.txt", L"Txt\\b.txt", L"Txt\\c.txt"}) Put(texts, name, Crlf({"{", "}"}));
  CaptionClock clock(window_);
  tav::os::InstallClock(&clock);
  std::vector<tav::SceneData> scenes;
  std::vector<tav::ImageSet> sets;
  bool loaded = tav::LoadScenario(texts, scenariotest::TestConfig(), window_, scenes, sets);
  tav::os::InstallClock(nullptr);
  ASSERT_TRUE(loaded);
  EXPECT_EQ(clock.captions, (std::vector<std::wstring>{L"Now Loading .33.3333%", L"Now Loading .66.6667%",
                                                       L"Now Loading .100%"}));
  EXPECT_EQ(clock.sleeps, (std::vector<DWORD>{0, 0, 0}));
  EXPECT_EQ(scenes.size(), 3u);
}

}  // namespace
