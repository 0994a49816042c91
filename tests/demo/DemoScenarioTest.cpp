// The demo scenario loads without a complaint and hangs together: every line
// is a command the parser takes, every scene index points into the table,
// every scene can be reached from the title, and messages fit their window.
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "demo/DemoGame.h"
#include "platform/os/Locale.h"
#include "scenario/SpeakerLine.h"

namespace demotest {
namespace {

std::string Narrow(const std::wstring& s) { return tav::os::WideToMultiByte(s); }

int32_t SceneNumber(const std::wstring& text) {
  std::wistringstream in(text);
  int32_t n = -1;
  in >> n;
  return in.fail() ? -1 : n;
}

TEST(DemoScenario, LoadsEveryLineWithoutALogLine) {
  ASSERT_TRUE(Game().configRead);
  EXPECT_TRUE(Game().scenarioLoaded);
  for (const std::wstring& line : Game().scenarioLog) ADD_FAILURE() << Narrow(line);
  EXPECT_EQ(Game().scenes.size(), 22u);
  EXPECT_EQ(Game().sets.size(), 1u);
}

// The parser passes over lines without a command in silence, so a misspelt
// command would vanish without a log line. Every kept line must be a block
// marker or a separator, a command name, a space and its arguments.
TEST(DemoScenario, EveryLineIsABlockMarkerOrACommand) {
  ASSERT_TRUE(Game().loaded);
  const std::set<std::wstring> commands{L"img", L"msg", L"snd", L"[c]", L"ef0", L"ef1", L"ef2", L"[d]", L"[o]", L"[i]"};
  std::vector<std::wstring> files = TextLines(Game().txt, L"Txt\\scene.txt");
  ASSERT_EQ(files.size(), 4u);
  for (const std::wstring& file : files) {
    std::vector<std::wstring> lines = TextLines(Game().txt, L"Txt\\" + file);
    ASSERT_FALSE(lines.empty()) << Narrow(file);
    for (const std::wstring& line : lines) {
      SCOPED_TRACE(Narrow(file) + ": " + Narrow(line));
      wchar_t first = line[0];
      if (first == L'{' || first == L'}' || first == L'[' || first == L']') continue;
      ASSERT_GE(line.size(), 6u);
      EXPECT_EQ(line[0], L'\t');
      EXPECT_EQ(commands.count(line.substr(1, 3)), 1u);
      EXPECT_EQ(line[4], L' ');
      EXPECT_NE(line.find(L"  "), 4u) << "a double space makes an empty argument";
    }
  }
}

TEST(DemoScenario, EverySceneIndexIsInRange) {
  ASSERT_TRUE(Game().scenarioLoaded);
  const auto& scenes = Game().scenes;
  int32_t count = int32_t(scenes.size());
  auto inTable = [&](int32_t i) { return i >= 0 && i < count; };
  EXPECT_TRUE(inTable(Game().config.firstScene));
  for (int32_t i = 0; i < count; ++i) {
    SCOPED_TRACE("scene " + std::to_string(i));
    const tav::SceneData& s = scenes[i];
    EXPECT_TRUE(s.nextScene >= -4 && s.nextScene < count);
    EXPECT_TRUE(s.cancelScene == -1 || inTable(s.cancelScene));
    EXPECT_TRUE(s.jumpScene == -1 || inTable(s.jumpScene));
    for (const auto& e : s.images) {
      EXPECT_TRUE(e.targetScene == -1 || e.targetScene == -2 || inTable(e.targetScene)) << Narrow(e.image);
      if (e.actionCode == 17) {  // a call: start scene in the text, end scene in the value
        EXPECT_TRUE(inTable(SceneNumber(e.actionText))) << Narrow(e.actionText);
        EXPECT_TRUE(inTable(e.actionValue));
        EXPECT_LE(SceneNumber(e.actionText), e.actionValue);
      }
      if (e.showRule == 0) {
        EXPECT_TRUE(inTable(SceneNumber(e.showKey))) << Narrow(e.showKey);
      }
      // A caption shown while the mouse is over its parent names the face the
      // parent shows then: the hover face of a button of the same scene.
      if (e.showRule == 1) {
        bool parent = false;
        for (const auto& p : s.images) parent = parent || (!p.secondImage.empty() && p.secondImage == e.showKey);
        EXPECT_TRUE(parent) << Narrow(e.image) << " waits for " << Narrow(e.showKey);
      }
    }
  }
}

// Follows every way out of each scene: its successor, its buttons, calls and
// their return. Scenes that nothing leads to would be dead data.
TEST(DemoScenario, EverySceneCanBeReachedFromTheTitle) {
  ASSERT_TRUE(Game().scenarioLoaded);
  const auto& scenes = Game().scenes;
  int32_t count = int32_t(scenes.size()), first = Game().config.firstScene;
  std::vector<bool> seen(size_t(count), false);
  std::vector<int32_t> todo{first};
  auto visit = [&](int32_t i) {
    if (i >= 0 && i < count && !seen[size_t(i)]) todo.push_back(i);
  };
  while (!todo.empty()) {
    int32_t i = todo.back();
    todo.pop_back();
    if (seen[size_t(i)]) continue;
    seen[size_t(i)] = true;
    const tav::SceneData& s = scenes[size_t(i)];
    if (s.nextScene == -1 || s.nextScene == -4) visit(i + 1 < count ? i + 1 : first);
    if (s.nextScene == -3) visit(first);
    if (s.nextScene >= 0) visit(s.nextScene);
    if (s.jumpScene >= 0) visit(s.jumpScene);
    for (const auto& e : s.images) {
      if (e.secondImage.empty()) continue;  // not a button
      if (e.targetScene == -2) visit(i + 1);
      visit(e.targetScene);
      if (e.actionCode == 17) visit(SceneNumber(e.actionText));
    }
  }
  for (int32_t i = 0; i < count; ++i) EXPECT_TRUE(seen[size_t(i)]) << "scene " << i << " cannot be reached";
}

// A scene that waits for a button must offer one, and must not run its leave
// effects on a click beside the buttons: that would fade the screen out and
// then stay on the faded scene.
TEST(DemoScenario, ScenesThatWaitForAButtonOfferOne) {
  ASSERT_TRUE(Game().scenarioLoaded);
  const std::set<int32_t> leaving{4, 14, 15, 16, 17};  // actions that change the scene
  for (size_t i = 0; i < Game().scenes.size(); ++i) {
    const tav::SceneData& s = Game().scenes[i];
    if (s.nextScene != -2) continue;
    SCOPED_TRACE("scene " + std::to_string(i));
    EXPECT_FALSE(s.leaveEffects);
    bool way = false;
    for (const auto& e : s.images)
      way = way || (!e.secondImage.empty() && (e.targetScene != -1 || leaving.count(e.actionCode)));
    EXPECT_TRUE(way);
  }
}

// The title's menu has the buttons the issue asks for, with their actions.
TEST(DemoScenario, TitleMenuStartsLoadsSetsShowsTheLogAndQuits) {
  ASSERT_TRUE(Game().scenarioLoaded);
  const tav::SceneData& title = Game().scenes[size_t(Game().config.firstScene)];
  std::multiset<int32_t> actions;
  std::set<int32_t> targets;
  for (const auto& e : title.images)
    if (!e.secondImage.empty()) actions.insert(e.actionCode), targets.insert(e.targetScene);
  EXPECT_EQ(actions.count(0), 1u) << "quit";
  EXPECT_EQ(actions.count(1), 1u) << "backlog";
  auto hasAction = [](const tav::SceneData& s, int32_t code) {
    for (const auto& e : s.images)
      if (e.actionCode == code) return true;
    return false;
  };
  // Targets: the story's first scene, the load screen, the settings screen.
  bool load = false, settings = false;
  for (int32_t t : targets) {
    if (t < 0) continue;
    load = load || hasAction(Game().scenes[size_t(t)], 15);
    settings = settings || hasAction(Game().scenes[size_t(t)], 9);
  }
  EXPECT_TRUE(load);
  EXPECT_TRUE(settings);
}

// Messages are at most two rows, so the auto mark below the text stays clear
// of the button bar, and a speaker's name in 【】 lies wholly in the first row
// (a name cut by the row break is shown as plain text).
TEST(DemoScenario, MessagesFitTheWindowAndNameTheirSpeaker) {
  ASSERT_TRUE(Game().scenarioLoaded);
  size_t spoken = 0;
  for (size_t i = 0; i < Game().scenes.size(); ++i) {
    const tav::SceneData& s = Game().scenes[i];
    if (s.messageRows.empty()) continue;
    SCOPED_TRACE("scene " + std::to_string(i));
    EXPECT_LE(s.messageRows.size(), 2u);
    const std::wstring& row = s.messageRows[0].text;
    if (row.find(L'【') != std::wstring::npos) {
      std::wstring name, line;
      ASSERT_TRUE(tav::SplitSpeaker(row, name, line)) << Narrow(row);
      EXPECT_FALSE(name.empty());
      ++spoken;
    }
    bool window = false;
    for (const auto& e : s.images) window = window || e.image == Game().config.messageWindowName;
    EXPECT_TRUE(window) << "a message without the message window";
  }
  EXPECT_GE(spoken, 8u);
}

// Save and load screens: six slots each, named 1 to 6, on both screens.
TEST(DemoScenario, SaveAndLoadScreensOfferTheSameSixSlots) {
  ASSERT_TRUE(Game().scenarioLoaded);
  std::map<int32_t, std::set<int32_t>> slots;
  for (const auto& s : Game().scenes)
    for (const auto& e : s.images)
      if (e.actionCode == 14 || e.actionCode == 15) slots[e.actionCode].insert(SceneNumber(e.actionText));
  EXPECT_EQ(slots[14], (std::set<int32_t>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(slots[15], slots[14]);
}

// The effects the demo exists to show: each kind of screen effect, image fades
// both ways, a cut-in with its picture, a call and a choice.
TEST(DemoScenario, ShowsEveryEffectAndFade) {
  ASSERT_TRUE(Game().scenarioLoaded);
  std::set<int32_t> effects, kinds, actions;
  size_t draws = 0, choices = 0;
  for (const auto& s : Game().scenes) {
    for (const auto& e : s.effects) {
      effects.insert(e.kind);
      EXPECT_GT(e.duration, 0);
      if (e.kind == tav::kEffectPeephole) {
        EXPECT_TRUE(e.p1 >= 0 && e.p1 <= 1 && e.p2 >= 0 && e.p2 <= 1) << "the iris runs between open and shut";
      }
    }
    size_t targets = 0;
    for (const auto& e : s.images) {
      kinds.insert(e.kind);
      actions.insert(e.actionCode);
      targets += !e.secondImage.empty() && e.targetScene >= 0 && s.messageRows.size() > 0;
    }
    draws += s.draws.size();
    choices += targets >= 2;
  }
  EXPECT_EQ(effects, (std::set<int32_t>{tav::kEffectFade, tav::kEffectPeephole, tav::kEffectCutIn}));
  EXPECT_EQ(kinds, (std::set<int32_t>{tav::kImageShown, tav::kImageFadeOut, tav::kImageFadeIn}));
  EXPECT_GE(draws, 1u);
  EXPECT_GE(choices, 1u);
  for (int32_t code : {0, 1, 2, 3, 4, 5, 6, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 21, 22, 23, 24})
    EXPECT_EQ(actions.count(code), 1u) << "action " << code;
}

}  // namespace
}  // namespace demotest
