// The replay script: what each command becomes, ordering by time, and the
// lines that are refused with their line number.
#include <gtest/gtest.h>

#include <string>

#include "Script.h"
#include "platform/os/WinTypes.h"

namespace {

using tav::replay::Action;
using tav::replay::Command;
using tav::replay::ParseScript;
using tav::replay::ScriptError;

std::vector<Command> Parse(const std::string& text) {
  ScriptError error;
  auto commands = ParseScript(text, "/base", error);
  EXPECT_TRUE(commands) << error.line << ": " << error.problem;
  return commands ? *commands : std::vector<Command>{};
}

ScriptError Refuse(const std::string& text) {
  ScriptError error;
  EXPECT_FALSE(ParseScript(text, "/base", error)) << text;
  return error;
}

TEST(ReplayScriptTest, EachCommandWithItsArguments) {
  auto commands = Parse(
      "# a comment line\n"
      "10000 move 12 -3   # trailing comment\r\n"
      "\n"
      "10016 down RETURN\n"
      "10032 up F8\n"
      "10048 wheel -240\n"
      "10064 activate\n"
      "10080 deactivate\n"
      "10096 close\n"
      "10112 shot out/a.png\n"
      "10128 dump /abs/state.JSON\n"
      "10144 end\n"
      "10160 fail resets\n");
  ASSERT_EQ(commands.size(), 11u);
  EXPECT_EQ(commands[0].action, Action::Move);
  EXPECT_EQ(commands[0].x, 12);
  EXPECT_EQ(commands[0].y, -3);
  EXPECT_EQ(commands[0].line, 2);
  EXPECT_EQ(commands[1].action, Action::Down);
  EXPECT_EQ(commands[1].x, VK_RETURN);
  EXPECT_EQ(commands[1].line, 4);
  EXPECT_EQ(commands[2].action, Action::Up);
  EXPECT_EQ(commands[2].x, VK_F8);
  EXPECT_EQ(commands[3].action, Action::Wheel);
  EXPECT_EQ(commands[3].x, -240);
  EXPECT_EQ(commands[4].action, Action::Activate);
  EXPECT_EQ(commands[5].action, Action::Deactivate);
  EXPECT_EQ(commands[6].action, Action::Close);
  EXPECT_EQ(commands[7].action, Action::Shot);
  EXPECT_EQ(commands[7].file, std::filesystem::path("/base/out/a.png"));
  EXPECT_EQ(commands[8].action, Action::Dump);
  EXPECT_EQ(commands[8].file, std::filesystem::path("/abs/state.JSON"));  // absolute stays
  EXPECT_EQ(commands[9].action, Action::End);
  EXPECT_EQ(commands[9].time, 10144u);
  EXPECT_EQ(commands[10].action, Action::Fail);
  EXPECT_EQ(commands[10].x, int(tav::replay::Fault::Resets));
}

TEST(ReplayScriptTest, EveryKeyNameHasItsVirtualKey) {
  const std::pair<const char*, int> keys[] = {
      {"LBUTTON", VK_LBUTTON}, {"RBUTTON", VK_RBUTTON}, {"MBUTTON", VK_MBUTTON}, {"RETURN", VK_RETURN},
      {"CONTROL", VK_CONTROL}, {"SPACE", VK_SPACE},     {"PRIOR", VK_PRIOR},     {"NEXT", VK_NEXT},
      {"UP", VK_UP},           {"DOWN", VK_DOWN},       {"LEFT", VK_LEFT},       {"RIGHT", VK_RIGHT},
      {"TAB", VK_TAB},         {"SHIFT", VK_SHIFT},     {"MENU", VK_MENU},       {"ESCAPE", VK_ESCAPE},
      {"F1", VK_F1},           {"F5", VK_F5},           {"F8", VK_F8},           {"BACK", VK_BACK},
  };
  for (auto [name, vk] : keys) EXPECT_EQ(tav::replay::KeyCode(name), vk) << name;
  EXPECT_FALSE(tav::replay::KeyCode("F9"));
  EXPECT_FALSE(tav::replay::KeyCode("return"));  // names are written as listed
}

TEST(ReplayScriptTest, AClickIsAMoveAndAPressHeldForAHundredAndFiftyMilliseconds) {
  auto commands = Parse("10000 click 100 200\n10050 move 1 1\n10150 down SPACE\n10200 end\n");
  ASSERT_EQ(commands.size(), 6u);
  EXPECT_EQ(commands[0].action, Action::Move);
  EXPECT_EQ(commands[0].x, 100);
  EXPECT_EQ(commands[1].action, Action::Down);
  EXPECT_EQ(commands[1].x, VK_LBUTTON);
  EXPECT_EQ(commands[1].time, 10000u);
  EXPECT_EQ(commands[2].action, Action::Move);  // the later line comes before the release
  EXPECT_EQ(commands[2].time, 10050u);
  // Same time as the release: the release was written first (on the click's line).
  EXPECT_EQ(commands[3].action, Action::Up);
  EXPECT_EQ(commands[3].x, VK_LBUTTON);
  EXPECT_EQ(commands[3].time, 10150u);
  EXPECT_EQ(commands[3].line, 1);
  EXPECT_EQ(commands[4].action, Action::Down);
  EXPECT_EQ(commands[4].x, VK_SPACE);
  EXPECT_EQ(commands[5].action, Action::End);
}

TEST(ReplayScriptTest, EmptyScriptsHaveNoCommands) {
  EXPECT_TRUE(Parse("").empty());
  EXPECT_TRUE(Parse("# only\n\n   \n").empty());
}

TEST(ReplayScriptTest, BadLinesAreRefusedWithTheirNumber) {
  struct Case {
    const char* text;
    int line;
    const char* inProblem;
  };
  const Case cases[] = {
      {"10000 move 1 2\nmove 1 2\n", 2, "expected a time"},
      {"-5 end\n", 1, "expected a time"},
      {"+5 end\n", 1, "expected a time"},
      {"1e3 end\n", 1, "expected a time"},
      {"4294967296 end\n", 1, "expected a time"},
      {"10000\n", 1, "missing"},
      {"10000 jump\n", 1, "unknown command \"jump\""},
      {"10000 move 1\n", 1, "takes 2 arguments, found 1"},
      {"10000 end now\n", 1, "takes 0 arguments"},
      {"10000 move 1 2.5\n", 1, "whole-number"},
      {"10000 click x 2\n", 1, "whole-number"},
      {"10000 down ENTER\n", 1, "unknown key \"ENTER\""},
      {"10000 up\n", 1, "takes 1 argument, found 0"},
      {"10000 wheel 0\n", 1, "non-zero"},
      {"10000 wheel 40000\n", 1, "non-zero"},
      {"10000 shot a.json\n", 1, ".png"},
      {"10000 dump a.png\n", 1, ".json"},
      {"10000 fail disk\n", 1, "unknown fault \"disk\""},
      {"10000 shot .png\n", 1, ".png"},
      {"\n\n10100 end\n10050 end\n", 4, "before the previous line's 10100"},
      {"10000 click 5 5\n10100 down SPACE\n10050 up SPACE\n", 3, "before"},
  };
  for (const Case& c : cases) {
    ScriptError error = Refuse(c.text);
    EXPECT_EQ(error.line, c.line) << c.text;
    EXPECT_NE(error.problem.find(c.inProblem), std::string::npos) << c.text << " -> " << error.problem;
  }
}

}  // namespace
