// Random and mutated scene scripts: the loader must neither crash nor let the
// tables grow beyond what the input and the copy budget allow.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "core/ErrorLog.h"
#include "scenario/CommandLine.h"
#include "scenario/ScenarioLoader.h"
#include "scenario/ScenarioTestSupport.h"

namespace {

const std::string kSeed =
    "// a comment\r\n"
    "[\r\n\timg 0 0 bg.png 1 bg2.png bg3.png 4 0 on.png 2 1 key\r\n\t[o] 1 2 o.png 300\r\n]\r\n"
    "{-1 1 0 -1 -1\r\n\t[c] 0\r\n\tmsg \xe3\x80\x90" "A\xe3\x80\x91\xe3\x80\x8chello there\r\n"
    "\tsnd bgm.ogg 1 0\r\n\tef0 FF000000 0 500\r\n\tef1 00000000 0 1\r\n"
    "\tef2 FFFFFFFF 0 0 100 100 250\r\n\t[d] 5 5 d.png\r\n\t[i] 0 0 i.png\r\n}\r\n"
    "{\r\n\timg 10 20 a.png -2\r\n}\r\n";

const std::string kPieces[] = {
    "img", "msg", "snd", "[c]", "ef0", "ef1", "ef2", "[d]", "[o]", "[i]", "[", "]", "{", "}", "\t", " ", "  ",
    "\xe3\x80\x80", "\r\n", "\n", "\r", "/", std::string(1, '\0'), "-1", "-2", "0", "1",
    "99999999999999999999", "-99999999999999999999", "1e999", "-1e999", "1e-999", "FFFFFFFFFFFFFFFF", "nan",
    "inf", "0x", "+", "-", ".", "e", "\xff\xfe", "\xe3\x80", "\t[c] 0", "\t[c] 1", "\t[c] 2",
};

class Mutator {
 public:
  explicit Mutator(uint32_t seed) : rng_(seed) {}

  size_t Below(size_t n) { return n == 0 ? 0 : std::uniform_int_distribution<size_t>(0, n - 1)(rng_); }

  const std::string& Piece() { return kPieces[Below(std::size(kPieces))]; }

  // Mostly small edits of the seed; sometimes whole random files or
  // oversized lines.
  std::string File() {
    switch (Below(20)) {
      case 0:
      case 1: return Random();
      case 2: return Huge();
      default: break;
    }
    std::string text = kSeed;
    for (size_t edits = 1 + Below(12); edits > 0; --edits) Edit(text);
    return text;
  }

 private:
  void Edit(std::string& text) {
    size_t at = Below(text.size() + 1);
    switch (Below(6)) {
      case 0: text.insert(at, Piece()); break;
      case 1:
        if (at < text.size()) text[at] = static_cast<char>(Below(256));
        break;
      case 2: text.erase(at, Below(16)); break;
      case 3: {  // repeat a stretch, which makes block and copy chains
        size_t length = Below(200);
        std::string part = text.substr(at, length);
        for (size_t n = Below(8); n > 0; --n) text.insert(at, part);
        break;
      }
      case 4: text.insert(at, "\r\n" + Piece() + " " + Piece() + " " + Piece() + "\r\n"); break;
      default: text.insert(at, "\r\n\t" + Piece() + " " + std::to_string(static_cast<int>(Below(7)) - 3) + "\r\n");
    }
  }

  std::string Random() {
    std::string text;
    for (size_t n = Below(300); n > 0; --n) text += Below(3) ? Piece() : std::string(1, static_cast<char>(Below(256)));
    return text;
  }

  // Long lines, thousands of arguments, long messages.
  std::string Huge() {
    std::string args;
    for (int i = 0; i < 3000; ++i) args += " 99999999999";
    std::string text = "[\r\n\timg" + args + "\r\n\t[c]" + args + "\r\n]\r\n{" + args + "\r\n\tmsg " +
                       std::string(8000 + Below(1000), 'x') + "\r\n\tef2" + args + "\r\n\t" +
                       std::string(10000, ' ') + "img 1 2 a\r\n}\r\n";
    for (size_t edits = Below(4); edits > 0; --edits) Edit(text);
    return text;
  }

  std::mt19937 rng_;
};

class ScenarioFuzzTest : public testing::Test {
 protected:
  void SetUp() override {
    tav::SetLogSink([](std::wstring_view) {});
  }
  void TearDown() override { tav::SetLogSink({}); }
};

// Every kept line yields at most one record, except "msg" (bounded by its
// text) and "[c]" (bounded by the budget).
void CheckTables(const std::vector<tav::SceneData>& scenes, const std::vector<tav::ImageSet>& sets, size_t lineBound,
                 size_t budget, uint32_t rowLength) {
  size_t images = 0;
  for (const tav::ImageSet& set : sets) images += set.images.size();
  for (const tav::SceneData& scene : scenes) {
    images += scene.images.size();
    EXPECT_LE(scene.draws.size() + scene.sounds.size() + scene.effects.size(), lineBound);
    for (const tav::MessageRow& row : scene.messageRows) {
      EXPECT_FALSE(row.text.empty());
      EXPECT_LE(row.text.size(), rowLength);
    }
    for (const tav::EffectEntry& e : scene.effects) {
      EXPECT_GE(e.duration, 0);
      EXPECT_TRUE(e.kind >= 0 && e.kind <= 2);
    }
    for (const tav::ImageEntry& e : scene.images) EXPECT_TRUE(e.kind >= 0 && e.kind <= 2);
  }
  EXPECT_LE(scenes.size() + sets.size(), lineBound);
  EXPECT_LE(images, lineBound * 2 + budget);  // a line may be in a set and a scene
}

TEST_F(ScenarioFuzzTest, MutatedScenarioFilesLoadSafely) {
  auto start = std::chrono::steady_clock::now();
  constexpr size_t kBudget = 20000;
  Mutator m(20240611);
  int cases = 0;
  for (; cases < 3000; ++cases) {
    SCOPED_TRACE("case " + std::to_string(cases));
    tav::ArchiveStore texts;
    size_t files = 1 + m.Below(3);
    std::string list;
    size_t bytes = 0;
    for (size_t f = 0; f < files; ++f) {
      std::string name = "f" + std::to_string(f) + ".txt";
      list += name + "\r\n";
      if (m.Below(20) == 0) continue;  // now and then a listed file is missing
      std::string file = m.File();
      bytes += file.size();
      scenariotest::Put(texts, L"Txt\\" + std::wstring(name.begin(), name.end()), file);
    }
    if (m.Below(10) == 0) list.insert(m.Below(list.size() + 1), m.Piece());
    scenariotest::Put(texts, L"Txt\\scene.txt", list);

    tav::GameConfig config = scenariotest::TestConfig();
    config.charactersPerRow = static_cast<uint32_t>(m.Below(6) == 0 ? m.Below(2) : 1 + m.Below(40));
    config.defaultEffectDuration = m.Below(4) == 0 ? 0xFFFFFFFFu : 500;
    std::vector<tav::SceneData> scenes;
    std::vector<tav::ImageSet> sets;
    tav::LoadScenario(texts, config, nullptr, scenes, sets, kBudget);
    // Each kept line is at least two bytes (one character and its line end).
    CheckTables(scenes, sets, bytes / 2 + 1, kBudget, config.charactersPerRow);
    if (HasFailure()) break;
  }
  EXPECT_EQ(cases, 3000);
  auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  RecordProperty("seconds", std::to_string(seconds));
}

TEST_F(ScenarioFuzzTest, RandomWideLinesParseSafely) {
  std::mt19937 rng(77);
  const wchar_t alphabet[] = {L'\t', L' ', L'\u3000', L'i', L'm', L'g', L's', L'n', L'd', L'[', L']', L'c', L'o',
                              L'e', L'f', L'0', L'1', L'2', L'-', L'F', L'.', L'x', L'\n', L'\r', L'\0',
                              static_cast<wchar_t>(0xD800), static_cast<wchar_t>(0xFFFF)};
  tav::GameConfig config = scenariotest::TestConfig();
  std::vector<tav::ImageSet> sets(3, tav::ImageSet{std::vector<tav::ImageEntry>(2)});
  tav::ParseContext context{config, sets, 1000};
  tav::SceneData scene;
  for (int i = 0; i < 10000; ++i) {
    std::wstring line;
    // Many lines start like a command so the argument readers get exercised.
    static const wchar_t* const kStarts[] = {L"\timg ", L"\tmsg ", L"\tsnd ", L"\t[c] ", L"\tef0 ", L"\tef1 ",
                                             L"\tef2 ", L"\t[d] ", L"\t[o] ", L"\t[i] ", L""};
    line += kStarts[rng() % std::size(kStarts)];
    for (size_t n = rng() % 40; n > 0; --n) line += alphabet[rng() % std::size(alphabet)];
    line += L'\n';
    std::vector<std::wstring> lines{line};
    tav::ParseCommandLine(0, scene, context, lines);
    for (const tav::MessageRow& row : scene.messageRows) ASSERT_LE(row.text.size(), config.charactersPerRow);
    if (scene.images.size() > 5000) scene.Clear();
  }
  EXPECT_LE(context.copyBudget, 1000u);  // never wrapped below zero
}

}  // namespace
