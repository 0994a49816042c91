// The game check: a small clean game, then one planted fault at a time, each
// found at its archive, file and line; the tool's exit codes and forms; and
// tavpack create --lint.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "Lint.h"
#include "VorbisEncode.h"
#include "d3dx/ImageBytes.h"
#include "platform/os/Locale.h"
#include "scenario/TitleSetUp.h"
#include "support/PacBuilder.h"
#include "support/TempDir.h"
#include "ui/SkinName.h"

namespace fs = std::filesystem;

namespace {

using Files = std::map<std::string, std::string>;

std::string Crlf(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) out += l + "\r\n";
  return out;
}

std::vector<std::string> ConfigLines() {
  return {"Lint", "lint_", "320", "240", "16", "FFFFFFFF", "10", "10", "10", "10", "-20",
          "300",  "5",     "win.png", "100", "2000", "0"};
}

// Line numbers, for the faults below: 2 "[", 3 the window, 5 scene 0, 6 its
// music, 7 its picture, 8 its button to scene 1, 10 scene 1, 11 "[c] 0",
// 12 its message. Scene 1 is the last and leads back to scene 0.
std::vector<std::string> SceneLines() {
  return {"// the test game", "[", "\timg 0 0 win.png", "]",
          "{-2", "\tsnd bgm.ogg", "\timg 0 0 bg.png", "\timg 10 10 go1.png 1 go2.png go3.png", "}",
          "{", "\t[c] 0", "\tmsg 【Aoi】「hi」", "}"};
}

std::string Ogg() {
  std::vector<float> samples(4000);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = (i % 40 < 20) ? 0.3f : -0.3f;
  std::vector<uint8_t> bytes = tav::vorbis::Encode(1, 8000, samples);
  return std::string(bytes.begin(), bytes.end());
}

struct GameFiles {
  Files text, res, id;
  std::vector<std::string> config = ConfigLines();
  std::vector<std::string> scenes = SceneLines();

  GameFiles() {
    text = {{"Txt\\id.txt", "1\r\n"}, {"Txt\\scene.txt", "a.txt\r\n"}};
    id = {{"ID\\id.txt", "1\r\n"}};
    const std::string png = d3dxtest::SolidPngFile(4, 4, 10, 20, 30);
    res = {{"Res\\id.txt", "1\r\n"}, {"Res\\bgm.ogg", Ogg()}};
    for (const char* name : {"win.png", "bg.png", "go1.png", "go2.png", "go3.png"}) res[std::string("Res\\") + name] = png;
    for (const wchar_t* skin : tav::OverlaySkins()) res[tav::os::WideToMultiByte(L"Res\\" + tav::SkinName(skin))] = png;
  }
  // The scene file with `line` (1-based) replaced, or with `text` put before it when `insert`.
  void Line(size_t line, const std::string& text, bool insert = false) {
    if (insert)
      scenes.insert(scenes.begin() + static_cast<long>(line - 1), text);
    else
      scenes[line - 1] = text;
  }
  Files Text() const {
    Files t = text;
    if (!t.count("Txt\\config.txt")) t["Txt\\config.txt"] = Crlf(config);
    if (!t.count("Txt\\a.txt")) t["Txt\\a.txt"] = Crlf(scenes);
    return t;
  }
};

std::string Pack(const Files& files) {
  return tavtest::BuildArchive(std::vector<std::pair<std::string, std::string>>(files.begin(), files.end()));
}

std::vector<tavlint::Finding> CheckGame(const GameFiles& g) {
  const std::string res = Pack(g.res), text = Pack(g.Text()), id = Pack(g.id);
  tav::ArchiveStore r, t, i;
  auto load = [](tav::ArchiveStore& s, const std::string& bytes) {
    EXPECT_TRUE(tav::ArchiveStore::LoadFromMemory(s, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                                                  L"test"));
  };
  load(r, res);
  load(t, text);
  load(i, id);
  return tavlint::Check({&r, &t, &i});
}

std::string Listed(const std::vector<tavlint::Finding>& findings) {
  std::string out;
  for (const auto& f : findings) out += tavlint::PlainLine(f) + "\n";
  return out;
}

TEST(Tavlint, FindsEachPlantedFaultAtItsPlace) {
  ASSERT_EQ(Listed(CheckGame(GameFiles())), "");  // the unbroken game is clean

  struct Fault {
    const char* what;
    std::function<void(GameFiles&)> plant;
    std::string expected;  // the finding's plain line
    bool alone;            // the only finding
  };
  const Fault faults[] = {
      // Reasons start-up would end.
      {"config short", [](GameFiles& g) { g.config.pop_back(); },
       "Txt.pac: Txt\\config.txt: 16 lines, 17 expected", false},
      {"ids", [](GameFiles& g) { g.id["ID\\id.txt"] = "4\r\n"; }, "id files differ: Txt 1, Res 1, ID 4", true},
      {"scene list", [](GameFiles& g) { g.text.erase("Txt\\scene.txt"); g.text["Txt\\scene.txt"] = "b.txt\r\n"; },
       "Txt.pac: Txt\\b.txt: missing, though Txt\\scene.txt lists it", false},
      {"first scene", [](GameFiles& g) { g.config[16] = "2"; },
       "Txt.pac: Txt\\config.txt:17: the first scene 2 is no scene (the scenario has 2, numbered from 0)", true},
      // Lines the parser ignores.
      {"no separator", [](GameFiles& g) { g.Line(7, "img 0 0 bg.png"); },
       "Txt.pac: Txt\\a.txt:7: \"img 0 0 bg.png\" ignored: the command is not followed by a tab or space", true},
      {"unknown command", [](GameFiles& g) { g.Line(7, "\tpic 0 0 bg.png", true); },
       "Txt.pac: Txt\\a.txt:7: unknown command \"pic\": \"\tpic 0 0 bg.png\" is ignored", true},
      {"too many", [](GameFiles& g) { g.Line(6, "\tsnd bgm.ogg 1 0 9"); },
       "Txt.pac: Txt\\a.txt:6: \"\tsnd bgm.ogg 1 0 9\" ignored: the command takes 1 to 3 arguments", true},
      {"too few", [](GameFiles& g) { g.Line(7, "\timg 0 0", true); },
       "Txt.pac: Txt\\a.txt:7: \"\timg 0 0\" ignored: the command takes 3 to 12 arguments", true},
      {"text", [](GameFiles& g) { g.Line(12, "hello", true); },
       "Txt.pac: Txt\\a.txt:12: text inside a block is ignored: \"hello\"", true},
      {"open block", [](GameFiles& g) { g.scenes.push_back("{"); g.scenes.push_back("\tmsg x"); },
       "Txt.pac: Txt\\a.txt:14: the scene is never closed; it is dropped", true},
      {"no set", [](GameFiles& g) { g.Line(12, "\t[c] 5", true); },
       "Txt.pac: Txt\\a.txt:12: \"\t[c] 5\" ignored: \"[c]\" names no image set: \"5\"", true},
      // Pictures and sounds the archive lacks.
      {"second image", [](GameFiles& g) { g.res.erase("Res\\go2.png"); },
       "Txt.pac: Txt\\a.txt:8: the second image \"go2.png\" is missing from Res.pac", true},
      {"third image", [](GameFiles& g) { g.res.erase("Res\\go3.png"); },
       "Txt.pac: Txt\\a.txt:8: the third image \"go3.png\" is missing from Res.pac", true},
      {"set image", [](GameFiles& g) { g.res.erase("Res\\win.png"); },
       "Txt.pac: Txt\\a.txt:11: the image \"win.png\" is missing from Res.pac", true},
      {"on image", [](GameFiles& g) { g.Line(8, "\timg 0 0 bg.png -1 go2.png -1 24 1 on.png", true); },
       "Txt.pac: Txt\\a.txt:8: the on image \"on.png\" is missing from Res.pac", true},
      {"slider track", [](GameFiles& g) { g.Line(8, "\timg 0 0 bg.png -1 go2.png -1 10 1 track.png", true); },
       "Txt.pac: Txt\\a.txt:8: the slider track \"track.png\" is missing from Res.pac", true},
      {"skin", [](GameFiles& g) { g.res.erase("Res\\Default\\eplay2.dds"); },
       "Res.pac: Res\\Default\\eplay2.dds: missing: a skin of the built-in screens, which would show nothing", true},
      {"sound", [](GameFiles& g) { g.Line(6, "\tsnd bgm2.ogg"); },
       "Txt.pac: Txt\\a.txt:6: the sound \"bgm2.ogg\" is missing from Res.pac", true},
      // Scene numbers out of range.
      {"target", [](GameFiles& g) { g.Line(8, "\timg 0 0 bg.png 7 go2.png", true); },
       "Txt.pac: Txt\\a.txt:8: the target scene 7 is no scene (the scenario has 2, numbered from 0)", true},
      {"header", [](GameFiles& g) { g.Line(5, "{9"); },
       "Txt.pac: Txt\\a.txt:5: the next scene 9 is no scene (the scenario has 2, numbered from 0)", true},
      {"call", [](GameFiles& g) { g.Line(8, "\timg 0 0 bg.png -1 go2.png -1 17 1 8 1", true); },
       "Txt.pac: Txt\\a.txt:8: the call's target 8 is no scene (the scenario has 2, numbered from 0)", true},
      {"show key", [](GameFiles& g) { g.Line(8, "\timg 0 0 bg.png -1 -1 -1 -1 1 -1 -1 0 9", true); },
       "Txt.pac: Txt\\a.txt:8: the show key 9 is no scene (the scenario has 2, numbered from 0)", true},
      {"cancel", [](GameFiles& g) { g.Line(5, "{-2 1 0 6"); },
       "Txt.pac: Txt\\a.txt:5: the cancel scene 6 is no scene (the scenario has 2, numbered from 0)", true},
      {"jump", [](GameFiles& g) { g.Line(5, "{-2 1 0 -1 6"); },
       "Txt.pac: Txt\\a.txt:5: the jump scene 6 is no scene (the scenario has 2, numbered from 0)", true},
      // The rest.
      {"unreachable", [](GameFiles& g) { g.Line(8, "\timg 10 10 go1.png 1"); },  // no second image: no button
       "Txt.pac: Txt\\a.txt:10: scene 1 is reached by no path from the first scene (0)", true},
      {"not ogg", [](GameFiles& g) { g.res["Res\\bgm.ogg"] = "RIFF....WAVEfmt "; },
       "Res.pac: Res\\bgm.ogg: is not Ogg Vorbis", true},
      {"no picture", [](GameFiles& g) { g.res["Res\\bg.png"] = g.res["Res\\bg.png"].substr(0, 40); },
       "Res.pac: Res\\bg.png: does not decode as a picture", true},
      {"speaker split", [](GameFiles& g) { g.Line(12, "\tmsg 【Aoiaoiao】「hi」"); },
       "Txt.pac: Txt\\a.txt:12: the speaker part 【Aoiaoiao】 runs across two message rows of 10 characters; it "
       "would be shown as text", true},
      {"window unused", [](GameFiles& g) { g.config[13] = "frame.png"; },
       "Txt.pac: Txt\\config.txt:14: the message window \"frame.png\" is shown by no scene", true},
  };
  for (const Fault& fault : faults) {
    SCOPED_TRACE(fault.what);
    GameFiles game;
    fault.plant(game);
    const std::string listed = Listed(CheckGame(game));
    if (fault.alone)
      EXPECT_EQ(listed, fault.expected + "\n");
    else
      EXPECT_NE(listed.find(fault.expected + "\n"), std::string::npos) << listed;
  }
}

struct ToolRun {
  int code = -1;
  std::string out;  // stdout
};

ToolRun RunTool(const std::string& command) {
  ToolRun run;
  FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
  if (!pipe) return run;
  char buf[4096];
  for (size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;) run.out.append(buf, n);
  int status = pclose(pipe);
  run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::string Q(const fs::path& p) { return "'" + p.string() + "'"; }

void WriteFolder(const fs::path& root, const Files& files) {
  for (const auto& [name, bytes] : files) {
    std::string path = name;
    for (char& c : path)
      if (c == '\\') c = '/';
    tavtest::WriteFileBytes(root / path, bytes);
  }
}

// The programs: exit 0 clean, 1 with findings, 2 when the game cannot be read;
// JSON on request; tavpack writes nothing when its check finds a fault.
TEST(Tavlint, ToolsReportByExitCodeAndForm) {
  tavtest::TempDir dir;
  GameFiles game;
  tavtest::WriteFileBytes(dir / "Res.pac", Pack(game.res));
  tavtest::WriteFileBytes(dir / "Txt.pac", Pack(game.Text()));
  tavtest::WriteFileBytes(dir / "ID.pac", Pack(game.id));
  const std::string tavlint = TAVLINT_PATH;
  ToolRun clean = RunTool(tavlint + " " + Q(dir.Path()));
  EXPECT_EQ(clean.code, 0);
  EXPECT_EQ(clean.out, "");
  // The three archives in any order.
  EXPECT_EQ(RunTool(tavlint + " " + Q(dir / "ID.pac") + " " + Q(dir / "Txt.pac") + " " + Q(dir / "Res.pac")).code, 0);

  GameFiles broken;
  broken.res.erase("Res\\go2.png");
  tavtest::WriteFileBytes(dir / "Res.pac", Pack(broken.res));
  ToolRun plain = RunTool(tavlint + " " + Q(dir.Path()));
  EXPECT_EQ(plain.code, 1);
  EXPECT_EQ(plain.out, "Txt.pac: Txt\\a.txt:8: the second image \"go2.png\" is missing from Res.pac\n");
  ToolRun json = RunTool(tavlint + " --json " + Q(dir.Path()));
  EXPECT_EQ(json.code, 1);
  EXPECT_NE(json.out.find("\"file\": \"Txt\\\\a.txt\""), std::string::npos) << json.out;
  EXPECT_NE(json.out.find("\"line\": 8"), std::string::npos) << json.out;

  fs::remove(dir / "ID.pac");
  ToolRun unreadable = RunTool(tavlint + " " + Q(dir.Path()));
  EXPECT_EQ(unreadable.code, 2);
  EXPECT_NE(unreadable.out.find("ID.pac: cannot open: No such file or directory"), std::string::npos)
      << unreadable.out;

  // tavpack create --lint checks the scenario against the Res.pac beside it.
  tavtest::WriteFileBytes(dir / "ID.pac", Pack(game.id));
  WriteFolder(dir / "src", broken.Text());
  const std::string tavpack = TAVPACK_PATH;
  EXPECT_EQ(RunTool(tavpack + " create --lint " + Q(dir / "Txt.pac") + " " + Q(dir / "src/Txt")).code, 1);
  EXPECT_EQ(tavtest::ReadFileBytes(dir / "Txt.pac"), Pack(game.Text()));  // left as it was
  tavtest::WriteFileBytes(dir / "Res.pac", Pack(game.res));
  EXPECT_EQ(RunTool(tavpack + " create --lint " + Q(dir / "Txt.pac") + " " + Q(dir / "src/Txt")).code, 0);
  EXPECT_EQ(RunTool(tavlint + " " + Q(dir.Path())).code, 0);
}

}  // namespace
