#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Config.h"
#include "res/ArchiveStore.h"

namespace {

tav::ArchiveStore StoreWith(const std::wstring& name, const std::string& text) {
  tav::ArchiveStore store;
  auto data = std::make_shared_for_overwrite<uint8_t[]>(text.size());
  std::copy(text.begin(), text.end(), data.get());
  store.Insert(name, {data, uint32_t(text.size())});
  return store;
}

// 17 values, CR LF, with the given replacements by line number (1-based).
std::string ConfigText(std::vector<std::pair<int, std::string>> changes = {}, bool extraComment = true) {
  std::vector<std::string> lines = {"Tavri Demo", "demo_", "800", "600", "24", "FFFFFFFF", "20", "40.5", "30",
                                    "20",         "-4",    "500", "6",   "window frame", "100", "3000", "0"};
  for (auto& [line, text] : changes) lines[line - 1] = text;
  std::string out = extraComment ? "// the demo's configuration\r\n\r\n" : "";
  for (const std::string& l : lines) out += l + "\r\n";
  return out;
}

TEST(Config, ReadsTheSeventeenValues) {
  tav::GameConfig c;
  ASSERT_TRUE(tav::ReadConfig(StoreWith(L"Txt\\config.txt", ConfigText()), c));
  EXPECT_EQ(c.gameTitle, L"Tavri Demo");
  EXPECT_EQ(c.filePrefix, L"demo_");
  EXPECT_EQ(c.screenWidth, 800);
  EXPECT_EQ(c.screenHeight, 600);
  EXPECT_EQ(c.fontSize, 24);
  EXPECT_EQ(c.textColour, 0xFFFFFFFFu);
  EXPECT_EQ(c.charactersPerRow, 20u);
  EXPECT_FLOAT_EQ(c.textOffsetX, 40.5f);
  EXPECT_FLOAT_EQ(c.nameOffsetY, -4.0f);
  EXPECT_EQ(c.defaultEffectDuration, 500u);
  EXPECT_EQ(c.backlogPageCapacity, 6u);
  EXPECT_EQ(c.messageWindowName, L"window");  // one word
  EXPECT_EQ(c.speedMaximum, 100u);
  EXPECT_EQ(c.autoWaitMaximum, 3000u);
  EXPECT_EQ(c.firstScene, 0);
}

TEST(Config, NeedsExactlySeventeenKeptLines) {
  tav::GameConfig c;
  std::string text = ConfigText();
  EXPECT_FALSE(tav::ReadConfig(StoreWith(L"Txt\\config.txt", text + "extra\r\n"), c));
  EXPECT_FALSE(tav::ReadConfig(StoreWith(L"Txt\\config.txt", text.substr(0, text.rfind("0\r\n"))), c));
  EXPECT_TRUE(tav::ReadConfig(StoreWith(L"Txt\\config.txt", text + "// a comment\r\n\r\n"), c));
  EXPECT_FALSE(tav::ReadConfig(StoreWith(L"Txt\\Config.txt", text), c));
  EXPECT_FALSE(tav::ReadConfig(tav::ArchiveStore(), c));
}

TEST(Config, StreamExtractionRules) {
  auto read = [](int line, const std::string& value) {
    tav::GameConfig c;
    tav::ReadConfig(StoreWith(L"Txt\\config.txt", ConfigText({{line, value}})), c);
    return c;
  };
  EXPECT_EQ(read(6, "FF000000").textColour, 0xFF000000u);
  EXPECT_EQ(read(6, "0xFF000000").textColour, 0xFF000000u);
  EXPECT_EQ(read(6, "  ff336699").textColour, 0xFF336699u);
  EXPECT_EQ(read(3, "800px wide").screenWidth, 800);
  EXPECT_EQ(read(3, "wide 800").screenWidth, 0);
  EXPECT_EQ(read(17, "-1").firstScene, -1);
  EXPECT_FLOAT_EQ(read(8, "abc").textOffsetX, 0.0f);
}

TEST(Config, ZeroCharactersPerRowEndsStartUp) {
  tav::GameConfig c;
  EXPECT_FALSE(tav::ReadConfig(StoreWith(L"Txt\\config.txt", ConfigText({{7, "0"}})), c));
  EXPECT_FALSE(tav::ReadConfig(StoreWith(L"Txt\\config.txt", ConfigText({{7, "many"}})), c));
}

TEST(Ids, AllThreeMustExistAndAgree) {
  auto text = [](const std::string& t) { return StoreWith(L"Txt\\id.txt", t); };
  auto res = [](const std::string& t) { return StoreWith(L"Res\\id.txt", t); };
  auto id = [](const std::string& t) { return StoreWith(L"ID\\id.txt", t); };
  EXPECT_TRUE(tav::IdsAgree(text("7\r\n"), res("7\r\n"), id("7\r\n")));
  EXPECT_FALSE(tav::IdsAgree(text("7\r\n"), res("7\r\n"), id("8\r\n")));
  EXPECT_TRUE(tav::IdsAgree(text("7\r\nnotes\r\n"), res("7\r\n"), id("7\r\n")));  // only the first counts
  EXPECT_FALSE(tav::IdsAgree(text("7\r\n"), res("7\r\n8\r\n"), id("7\r\n")));
  EXPECT_FALSE(tav::IdsAgree(text("// none\r\n"), res("7\r\n"), id("7\r\n")));
  EXPECT_FALSE(tav::IdsAgree(tav::ArchiveStore(), res("7\r\n"), id("7\r\n")));
}

}  // namespace

namespace {

// Every failure is told once, with the file and, where one line is at fault,
// that line as the file numbers it (comments and blank lines counted).
TEST(Config, FailuresAreToldOnceWithTheirPlace) {
  std::vector<std::wstring> told;
  tav::DiagnosticSink sink = [&told](const tav::Diagnostic& d) { told.push_back(d.Text()); };
  tav::GameConfig c;
  EXPECT_FALSE(tav::ReadConfig(StoreWith(L"Txt\\config.txt", ConfigText({{7, "0"}})), c, &sink));
  EXPECT_FALSE(tav::ReadConfig(StoreWith(L"Txt\\config.txt", ConfigText() + "18\r\n"), c, &sink));
  EXPECT_FALSE(tav::ReadConfig(StoreWith(L"Txt\\config.txt", ConfigText({{2, "../../x_"}})), c, &sink));
  EXPECT_FALSE(tav::ReadConfig(tav::ArchiveStore(), c, &sink));
  auto id = [](const std::string& t) { return StoreWith(L"ID\\id.txt", t); };
  EXPECT_FALSE(tav::IdsAgree(StoreWith(L"Txt\\id.txt", "3\r\n"), StoreWith(L"Res\\id.txt", "3\r\n"), id("4\r\n"),
                             &sink));
  EXPECT_FALSE(tav::IdsAgree(StoreWith(L"Txt\\id.txt", "3\r\n"), tav::ArchiveStore(), id("3\r\n"), &sink));
  EXPECT_FALSE(tav::IdsAgree(StoreWith(L"Txt\\id.txt", "3\r\n"), StoreWith(L"Res\\id.txt", "3\r\n"),
                             id("3\r\n3\r\n"), &sink));
  const std::vector<std::wstring> expected = {
      L"Txt\\config.txt, line 9: 0 characters per row: message text cannot be wrapped",
      L"Txt\\config.txt: 18 lines, 17 expected",
      L"Txt\\config.txt, line 4: file prefix \"../../x_\" names another folder: save and settings files are kept "
      L"in the per-user folder",
      L"Txt\\config.txt: missing from Txt.pac",
      L"id files differ: Txt 3, Res 3, ID 4",
      L"Res\\id.txt: missing from Res.pac",
      L"ID\\id.txt: 2 lines, 1 expected",
  };
  EXPECT_EQ(told, expected);
}

}  // namespace
