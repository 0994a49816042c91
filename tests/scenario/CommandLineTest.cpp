#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scenario/CommandLine.h"
#include "scenario/ScenarioTestSupport.h"

namespace {

using tav::SceneData;

class CommandLineTest : public testing::Test {
 protected:
  // Parses one line (a line feed is appended, as the loader does).
  bool Parse(const std::wstring& line) {
    lines_ = {line + L"\n"};
    problem_.clear();
    return tav::ParseCommandLine(0, scene_, context_, lines_, &problem_);
  }
  size_t EntryCount() const {
    return scene_.messageRows.size() + scene_.images.size() + scene_.draws.size() + scene_.sounds.size() +
           scene_.effects.size();
  }

  tav::GameConfig config_ = scenariotest::TestConfig();
  std::vector<tav::ImageSet> sets_;
  tav::ParseContext context_{config_, sets_};
  std::vector<std::wstring> lines_;
  SceneData scene_;
  std::wstring problem_;
};

TEST_F(CommandLineTest, CommandNeedsSeparatorsAroundItsName) {
  // No leading separator: position 4 holds an argument character.
  EXPECT_FALSE(Parse(L"img 10 20 a.png"));
  EXPECT_FALSE(problem_.empty());
  EXPECT_FALSE(Parse(L"\t\timg 10 20 a.png"));  // the name ends past position 4
  EXPECT_FALSE(Parse(L"\timgx 10 20 a.png"));
  EXPECT_FALSE(Parse(L"\timg"));  // position 4 is the line feed
  EXPECT_EQ(EntryCount(), 0u);

  EXPECT_TRUE(Parse(L"\timg 10 20 a.png"));
  EXPECT_TRUE(Parse(L" img\t10 20 b.png"));
  EXPECT_TRUE(Parse(L"\u3000[d]\u300010 20 c.png"));
  ASSERT_EQ(scene_.images.size(), 2u);
  EXPECT_EQ(scene_.images[1].image, L"b.png");
  ASSERT_EQ(scene_.draws.size(), 1u);
  EXPECT_EQ(scene_.draws[0].image, L"c.png");
}

TEST_F(CommandLineTest, LinesWithoutCommandAreIgnoredAsSuccess) {
  for (const wchar_t* line : {L"{5 1", L"}", L"[", L"]", L"\tIMG 1 2 a", L"just text", L"\tim", L""}) {
    EXPECT_TRUE(Parse(line)) << line;
  }
  EXPECT_EQ(EntryCount(), 0u);
  EXPECT_FALSE(tav::ParseCommandLine(3, scene_, context_, lines_, nullptr));  // no such line
}

TEST_F(CommandLineTest, ImageWithOnlyPositionAndNameTakesDefaults) {
  ASSERT_TRUE(Parse(L"\timg 10 20 a.png"));
  ASSERT_EQ(scene_.images.size(), 1u);
  const tav::ImageEntry& e = scene_.images[0];
  EXPECT_EQ(e.x, 10);
  EXPECT_EQ(e.y, 20);
  EXPECT_EQ(e.image, L"a.png");
  EXPECT_EQ(e.targetScene, -1);
  EXPECT_EQ(e.actionCode, -1);
  EXPECT_EQ(e.leaveMode, 1);
  EXPECT_EQ(e.actionValue, -1);
  EXPECT_EQ(e.showRule, -1);
  EXPECT_EQ(e.secondImage, L"");
  EXPECT_EQ(e.thirdImage, L"");
  EXPECT_EQ(e.actionText, L"");
  EXPECT_EQ(e.showKey, L"");
  EXPECT_EQ(e.startX, 10);
  EXPECT_EQ(e.kind, tav::kImageShown);
}

TEST_F(CommandLineTest, ImageReadsAllTwelveArgumentsInTheirPlaces) {
  ASSERT_TRUE(Parse(L"\timg 1.5 -2.25 a.png -2 b.png c.png 7 0 on.png 42 1 parent.png"));
  const tav::ImageEntry& e = scene_.images.at(0);
  EXPECT_EQ(e.x, 1.5f);
  EXPECT_EQ(e.y, -2.25f);
  EXPECT_EQ(e.targetScene, -2);  // the scene after the current one
  EXPECT_EQ(e.secondImage, L"b.png");
  EXPECT_EQ(e.thirdImage, L"c.png");
  EXPECT_EQ(e.actionCode, 7);
  EXPECT_EQ(e.leaveMode, 0);
  EXPECT_EQ(e.actionText, L"on.png");
  EXPECT_EQ(e.actionValue, 42);
  EXPECT_EQ(e.showRule, 1);
  EXPECT_EQ(e.showKey, L"parent.png");
  EXPECT_EQ(e.startX, 1.5f);

  // "-1" leaves the strings empty and the leave mode at 1.
  ASSERT_TRUE(Parse(L"\timg 0 0 a.png 3 -1 -1 -1 -1 -1 -1 -1 -1"));
  const tav::ImageEntry& d = scene_.images.at(1);
  EXPECT_EQ(d.targetScene, 3);
  EXPECT_EQ(d.secondImage, L"");
  EXPECT_EQ(d.thirdImage, L"");
  EXPECT_EQ(d.leaveMode, 1);
  EXPECT_EQ(d.actionText, L"");
  EXPECT_EQ(d.showKey, L"");
}

TEST_F(CommandLineTest, ArgumentCountsOutsideTheTableRejectTheLine) {
  const wchar_t* rejected[] = {
      L"\timg 0 0 a 1 b c 2 3 d 4 5 e EXTRA", L"\timg 0 0", L"\t[o] 0 0 a 100 x", L"\t[i] 0 0", L"\t[d] 0 0 a b",
      L"\tsnd a 1 0 x",  L"\tsnd ", L"\tef0 FF000000", L"\tef0 FF000000 1 2 3", L"\tef1 FF000000 1",
      L"\tef1 FF000000 1 2 3 4", L"\tef2 FF000000 1 2 3", L"\tef2 FF000000 1 2 3 4 5 6",
  };
  for (const wchar_t* line : rejected) {
    EXPECT_FALSE(Parse(line)) << line;
    EXPECT_NE(problem_, L"") << line;
  }
  EXPECT_EQ(EntryCount(), 0u);
  // Thousands of arguments are rejected without trouble.
  std::wstring many = L"\timg";
  for (int i = 0; i < 5000; ++i) many += L" 1";
  EXPECT_FALSE(Parse(many));
  // Spaces at the end make no arguments.
  EXPECT_TRUE(Parse(L"\t[d] 0 0 a   "));
  EXPECT_EQ(scene_.draws.at(0).image, L"a");
}

TEST_F(CommandLineTest, ArgumentsSplitAtEverySingleSpace) {
  // Two spaces make an empty argument, which shifts the rest; tabs stay inside.
  ASSERT_TRUE(Parse(L"\timg 5  a.png 9"));
  EXPECT_EQ(scene_.images.at(0).y, 0);  // the empty argument does not read
  EXPECT_EQ(scene_.images[0].image, L"a.png");
  EXPECT_EQ(scene_.images[0].targetScene, 9);
  ASSERT_TRUE(Parse(L"\tsnd bgm.ogg\t0 2"));
  EXPECT_EQ(scene_.sounds.at(0).name, L"bgm.ogg");  // one word
  EXPECT_EQ(scene_.sounds[0].loop, 2);             // "bgm.ogg\t0" was the first argument
  EXPECT_EQ(scene_.sounds[0].type, 0);
}

TEST_F(CommandLineTest, NumbersThatDoNotFitKeepTheDefault) {
  ASSERT_TRUE(Parse(L"\timg 1e60 -1e60 a.png 2147483648 -1 -1 -2147483649"));
  const tav::ImageEntry& e = scene_.images.at(0);
  EXPECT_EQ(e.x, 0);  // too large for a float
  EXPECT_EQ(e.y, 0);
  EXPECT_EQ(e.targetScene, -1);
  EXPECT_EQ(e.actionCode, -1);
  ASSERT_TRUE(Parse(L"\timg 2147483647 x a.png -2147483648 -1 -1 12abc"));
  const tav::ImageEntry& f = scene_.images.at(1);
  EXPECT_EQ(f.x, 2147483647.0f);
  EXPECT_EQ(f.y, 0);  // not a number
  EXPECT_EQ(f.targetScene, INT32_MIN);
  EXPECT_EQ(f.actionCode, 12);  // a stream reads the leading number

  // Colours: eight hex digits at most, no sign.
  ASSERT_TRUE(Parse(L"\tef0 1FFFFFFFF 1"));
  ASSERT_TRUE(Parse(L"\tef0 -1 1"));
  ASSERT_TRUE(Parse(L"\tef0 ffffffff 1"));
  ASSERT_TRUE(Parse(L"\tef0 80ff00 nan"));
  ASSERT_EQ(scene_.effects.size(), 4u);
  EXPECT_EQ(scene_.effects[0].colour, 0u);
  EXPECT_EQ(scene_.effects[1].colour, 0u);
  EXPECT_EQ(scene_.effects[2].colour, 0xFFFFFFFFu);
  EXPECT_EQ(scene_.effects[3].colour, 0x80FF00u);
  EXPECT_EQ(scene_.effects[3].p1, 0);
}

TEST_F(CommandLineTest, EffectsReadColourFloatsAndDuration) {
  ASSERT_TRUE(Parse(L"\tef0 FF000000 1"));
  ASSERT_TRUE(Parse(L"\tef1 00FF0000 0.5 1 2000"));
  ASSERT_TRUE(Parse(L"\tef2 FFFFFFFF 0 -600 10.5 20 300"));
  ASSERT_TRUE(Parse(L"\tef0 FF000000 0 -5"));  // a negative duration would never end
  ASSERT_EQ(scene_.effects.size(), 4u);
  const tav::EffectEntry& fade = scene_.effects[0];
  EXPECT_EQ(fade.kind, tav::kEffectFade);
  EXPECT_EQ(fade.colour, 0xFF000000u);
  EXPECT_EQ(fade.p1, 1);
  EXPECT_EQ(fade.p2, 0);
  EXPECT_EQ(fade.duration, 750);
  EXPECT_EQ(fade.spareText, L"");
  const tav::EffectEntry& hole = scene_.effects[1];
  EXPECT_EQ(hole.kind, tav::kEffectPeephole);
  EXPECT_EQ(hole.colour, 0x00FF0000u);
  EXPECT_EQ(hole.p1, 0.5f);
  EXPECT_EQ(hole.p2, 1);
  EXPECT_EQ(hole.duration, 2000);
  const tav::EffectEntry& cut = scene_.effects[2];
  EXPECT_EQ(cut.kind, tav::kEffectCutIn);
  EXPECT_EQ(cut.p1, 0);
  EXPECT_EQ(cut.p2, -600);
  EXPECT_EQ(cut.p3, 10.5f);
  EXPECT_EQ(cut.p4, 20);
  EXPECT_EQ(cut.duration, 300);
  EXPECT_EQ(scene_.effects[3].duration, 750);
}

TEST_F(CommandLineTest, FadingImagesDrawsAndSounds) {
  ASSERT_TRUE(Parse(L"\t[o] 1 2 out.png"));
  ASSERT_TRUE(Parse(L"\t[i] 3 4 in.png 1200"));
  ASSERT_TRUE(Parse(L"\t[d] 5 6 draw.png"));
  ASSERT_TRUE(Parse(L"\tsnd bgm.ogg"));
  ASSERT_TRUE(Parse(L"\tsnd se.ogg 0 1"));
  ASSERT_EQ(scene_.images.size(), 2u);
  EXPECT_EQ(scene_.images[0].kind, tav::kImageFadeOut);
  EXPECT_EQ(scene_.images[0].fadeDuration, 750);
  EXPECT_EQ(scene_.images[0].leaveMode, 1);
  EXPECT_EQ(scene_.images[1].kind, tav::kImageFadeIn);
  EXPECT_EQ(scene_.images[1].fadeDuration, 1200);
  EXPECT_EQ(scene_.images[1].x, 3);
  EXPECT_EQ(scene_.draws.at(0).x, 5);
  EXPECT_EQ(scene_.draws[0].y, 6);
  ASSERT_EQ(scene_.sounds.size(), 2u);
  EXPECT_EQ(scene_.sounds[0].loop, 1);
  EXPECT_EQ(scene_.sounds[0].type, tav::kSoundMusic);
  EXPECT_EQ(scene_.sounds[1].name, L"se.ogg");
  EXPECT_EQ(scene_.sounds[1].loop, 0);
  EXPECT_EQ(scene_.sounds[1].type, tav::kSoundEffect);
}

TEST_F(CommandLineTest, MessageIsCutIntoRowsOfTheConfiguredLength) {
  ASSERT_TRUE(Parse(L"\tmsg a b"));  // the inner space is text
  ASSERT_EQ(scene_.messageRows.size(), 1u);
  const tav::MessageRow& row = scene_.messageRows[0];
  EXPECT_EQ(row.text, L"a b");
  EXPECT_EQ(row.x, 12.5f);
  EXPECT_EQ(row.y, 300);
  EXPECT_EQ(row.fontSize, 24);
  EXPECT_EQ(row.colour, 0xFF102030u);

  scene_.Clear();
  ASSERT_TRUE(Parse(L"\tmsg 12345678"));  // exactly two rows, no empty third
  ASSERT_EQ(scene_.messageRows.size(), 2u);
  EXPECT_EQ(scene_.messageRows[0].text, L"1234");
  EXPECT_EQ(scene_.messageRows[1].text, L"5678");

  scene_.Clear();
  ASSERT_TRUE(Parse(L"\tmsg \u3010A\u3011\t x  y"));  // spaces and tabs kept as written
  ASSERT_EQ(scene_.messageRows.size(), 3u);
  EXPECT_EQ(scene_.messageRows[0].text, L"\u3010A\u3011\t");
  EXPECT_EQ(scene_.messageRows[1].text, L" x  ");
  EXPECT_EQ(scene_.messageRows[2].text, L"y");
  ASSERT_TRUE(Parse(L"\tmsg "));  // no text, no row
  EXPECT_EQ(scene_.messageRows.size(), 3u);

  scene_.Clear();
  config_.charactersPerRow = 0;  // rows of no length could never end
  EXPECT_FALSE(Parse(L"\tmsg text"));
  EXPECT_TRUE(scene_.messageRows.empty());
}

TEST_F(CommandLineTest, CopyAppendsTheNamedSetAndRejectsUnknownSets) {
  tav::ImageEntry a, b;
  a.image = L"a.png";
  b.image = L"b.png";
  sets_.push_back({{a}});
  sets_.push_back({{a, b}});
  ASSERT_TRUE(Parse(L"\timg 0 0 first.png"));
  ASSERT_TRUE(Parse(L"\t[c] 1"));
  ASSERT_TRUE(Parse(L"\t[c] 1 5 0"));  // the last argument counts
  ASSERT_EQ(scene_.images.size(), 4u);
  EXPECT_EQ(scene_.images[1].image, L"a.png");
  EXPECT_EQ(scene_.images[2].image, L"b.png");
  EXPECT_EQ(scene_.images[3].image, L"a.png");
  for (const wchar_t* line : {L"\t[c] 2", L"\t[c] -1", L"\t[c] x", L"\t[c] ", L"\t[c] 0 x", L"\t[c] 99999999999"}) {
    EXPECT_FALSE(Parse(line)) << line;
    EXPECT_NE(problem_.find(L"[c]"), std::wstring::npos);
  }
  EXPECT_EQ(scene_.images.size(), 4u);
}

TEST_F(CommandLineTest, CopiesStopAtTheBudget) {
  sets_.push_back({std::vector<tav::ImageEntry>(3)});
  context_.copyBudget = 7;
  EXPECT_TRUE(Parse(L"\t[c] 0"));
  EXPECT_TRUE(Parse(L"\t[c] 0"));
  EXPECT_FALSE(Parse(L"\t[c] 0"));  // 6 copied, 1 left
  EXPECT_EQ(scene_.images.size(), 6u);
  EXPECT_EQ(context_.copyBudget, 1u);
}

}  // namespace
