// Start-up from a folder of archives: the whole way to a running loop in this
// process, and the quiet ways out in a process of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <csignal>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>
#include <unistd.h>

#include "app/Config.h"
#include "app/Game.h"
#include "audio/AudioEngine.h"
#include "app/GameWindow.h"
#include "entry/StartUp.h"
#include "platform/os/Messages.h"
#include "platform/os/WindowCalls.h"
#include "support/PacBuilder.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

struct GameFiles {
  std::string config =
      "// Start-up test\r\nStartUp Test\r\nst_\r\n320\r\n240\r\n20\r\nFFFFFFFF\r\n16\r\n10\r\n10\r\n10\r\n-20\r\n"
      "300\r\n5\r\nwindow\r\n100\r\n2000\r\n0\r\n";
  std::string textId = "7\r\n", resId = "7\r\n", idId = "7\r\n";
  bool withIdArchive = true;
};

void WriteGame(const fs::path& dir, const GameFiles& files) {
  tavtest::WriteFileBytes(dir / "Txt.pac", tavtest::BuildArchive({{"Txt\\config.txt", files.config},
                                                                   {"Txt\\id.txt", files.textId},
                                                                   {"Txt\\scene.txt", "menu.txt\r\n"},
                                                                   {"Txt\\menu.txt", "{-2\r\n\tmsg hello\r\n}\r\n"}}));
  tavtest::WriteFileBytes(dir / "Res.pac", tavtest::BuildArchive({{"Res\\id.txt", files.resId}}));
  if (files.withIdArchive)
    tavtest::WriteFileBytes(dir / "ID.pac", tavtest::BuildArchive({{"ID\\id.txt", files.idId}}));
}

// Runs the game in `dir` and returns its exit code (-1 if it had to be
// stopped); what it writes on stderr goes to `errors` when given.
int RunGame(const fs::path& dir, int seconds = 20, std::string* errors = nullptr) {
  const fs::path errorFile = dir / "stderr.txt";
  pid_t child = fork();
  if (child == 0) {
    if (chdir(dir.c_str()) != 0) _exit(99);
    if (errors && !freopen(errorFile.c_str(), "w", stderr)) _exit(97);
    execl(TAVRI_PATH, TAVRI_PATH, nullptr);
    _exit(98);
  }
  int code = -1;
  for (int waited = 0; waited < seconds * 20 && code == -1; ++waited) {
    int status = 0;
    if (waitpid(child, &status, WNOHANG) == child) {
      code = WIFEXITED(status) ? WEXITSTATUS(status) : -2;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  if (code == -1) {
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
  }
  if (errors) {
    *errors = tavtest::ReadFileBytes(errorFile);
    fs::remove(errorFile);
  }
  return code;
}

std::string TavriLog() {
  return tavtest::ReadFileBytes(fs::path(std::getenv("XDG_DATA_HOME")) / "Tavri" / "Err.txt");
}

class StartUpTest : public testing::Test {
 protected:
  void SetUp() override { fs::remove_all(fs::path(std::getenv("XDG_DATA_HOME")) / "Tavri"); }
  tavtest::TempDir dir_;
};

// Each way start-up ends says why in one line, on stderr and in the log, and
// ends with 1: before any window (no archives at all, a missing archive) and
// after all three archives were read (the configuration, the ids).
TEST_F(StartUpTest, FailuresSayWhyInOneLineAndEndWithCodeOne) {
  struct Case {
    const char* what;
    GameFiles files;
    bool writeGame;
    std::string line;
  };
  GameFiles missingId, unequal, shortConfig;
  missingId.withIdArchive = false;
  unequal.idId = "8\r\n";
  shortConfig.config = shortConfig.config.substr(0, shortConfig.config.rfind("0\r\n"));
  const Case cases[] = {
      {"empty folder", GameFiles(), false, "Res.pac: cannot open: No such file or directory"},
      {"no ID.pac", missingId, true, "ID.pac: cannot open: No such file or directory"},
      {"unequal ids", unequal, true, "id files differ: Txt 7, Res 7, ID 8"},
      {"16 lines", shortConfig, true, "Txt\\config.txt: 16 lines, 17 expected"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(fs::path(std::getenv("XDG_DATA_HOME")) / "Tavri");
    tavtest::TempDir dir;
    if (c.writeGame) WriteGame(dir.Path(), c.files);
    std::string errors;
    EXPECT_EQ(RunGame(dir.Path(), 20, &errors), 1);
    EXPECT_EQ(errors, c.line + "\n");
    std::string log = TavriLog();
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    EXPECT_NE(log.find(" " + c.line + "\n"), std::string::npos) << log;
  }
}

TEST_F(StartUpTest, ASecondCopyEndsWhileTheFirstKeepsRunning) {
  WriteGame(dir_.Path(), GameFiles());
  pid_t first = fork();
  if (first == 0) {
    if (chdir(dir_.Path().c_str()) != 0) _exit(99);
    execl(TAVRI_PATH, TAVRI_PATH, nullptr);
    _exit(98);
  }
  // Give the first copy time to come up and claim the game.
  std::this_thread::sleep_for(std::chrono::seconds(3));
  std::string errors;
  EXPECT_EQ(RunGame(dir_.Path(), 20, &errors), 0);
  EXPECT_EQ(TavriLog(), "");  // it ended by finding the first, not by failing
  EXPECT_EQ(errors, "");
  int status = 0;
  EXPECT_EQ(waitpid(first, &status, WNOHANG), 0);  // the first one is still running
  // A termination signal (a logout) ends the game, keeping the player's
  // settings and seen scenes first; it is no close box that opens the quit
  // dialog.
  kill(first, SIGTERM);
  bool ended = false;
  for (int waited = 0; waited < 300 && !ended; ++waited) {
    ended = waitpid(first, &status, WNOHANG) == first;
    if (!ended) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_TRUE(ended);
  if (ended) {
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    const fs::path data = fs::path(std::getenv("XDG_DATA_HOME")) / "Tavri";
    EXPECT_EQ(fs::file_size(data / "st_Config.dat"), 68u);
    EXPECT_TRUE(fs::exists(data / "st_Unlocked.dat"));
  } else {
    kill(first, SIGKILL);
    waitpid(first, nullptr, 0);
  }
}

TEST_F(StartUpTest, StartsTheWindowWithTheLoadingCaptionAndClosesOnTheDestroyMessage) {
  WriteGame(dir_.Path(), GameFiles());
  fs::path saved = fs::current_path();
  fs::current_path(dir_.Path());
  // A cache folder that does not exist yet is made, private, for the
  // driver's shader cache; every step is reported as it ends.
  const char* cacheBefore = std::getenv("XDG_CACHE_HOME");
  const std::string savedCache = cacheBefore ? cacheBefore : "";
  const fs::path cache = dir_.Path() / "new-cache";
  setenv("XDG_CACHE_HOME", cache.c_str(), 1);
  std::vector<std::string> steps;
  bool started = tav::StartUp(nullptr, [&steps](const char* step) { steps.push_back(step); });
  if (cacheBefore)
    setenv("XDG_CACHE_HOME", savedCache.c_str(), 1);
  else
    unsetenv("XDG_CACHE_HOME");
  fs::current_path(saved);
  ASSERT_TRUE(started) << TavriLog();
  ASSERT_TRUE(fs::is_directory(cache));
  EXPECT_EQ(fs::status(cache).permissions() & fs::perms::all, fs::perms::owner_all);
  ASSERT_EQ(steps.size(), 6u);
  EXPECT_EQ(steps.front(), "graphics probe");
  EXPECT_EQ(steps.back(), "title scene: images, fonts, text");

  tav::CGame& game = tav::GetGame();
  wchar_t caption[64] = {};
  tav::os::GetWindowTextW(game.window, caption, 64);
  // The loading caption gave way to the game title once the title scene was set up.
  EXPECT_EQ(std::wstring(caption), L"StartUp Test");
  ASSERT_EQ(game.scenes.count(L"TITLE"), 1u);
  RECT client{};
  ASSERT_TRUE(tav::os::GetClientRect(game.window, &client));
  EXPECT_EQ(client.right - client.left, 320);
  EXPECT_EQ(client.bottom - client.top, 240);
  EXPECT_EQ(tav::config.gameTitle, L"StartUp Test");

  // A few frames run, then the quit dialog's message ends the loop with 0.
  int frames = 0;
  auto frame = game.frame;
  game.SetFrame([&] {
    if (++frames == 3) tav::os::PostMessageW(game.window, tav::kDestroyGameWindow, 0, 0);
    return frame();
  });
  EXPECT_EQ(tav::RunMessageLoop(game), 0);
  EXPECT_EQ(frames, 3);
  tav::ShutDownAudio();  // as the game does when its loop ends
  EXPECT_EQ(TavriLog(), "");
}

}  // namespace

#include "platform/fake/ScriptedInput.h"

namespace {

TEST(GraphicsRuntimeCheck, TheMessageOffersADriverPageOnlyWhenTheAnswerIsYes) {
  tav::fake::ScriptedInput input;
  input.Install();
  input.AnswerMessageBoxes({IDNO, IDYES});
  tav::OfferGraphicsDriverHelp();
  EXPECT_TRUE(input.OpenedUrls().empty());
  tav::OfferGraphicsDriverHelp();
  ASSERT_EQ(input.OpenedUrls().size(), 1u);
  EXPECT_EQ(input.OpenedUrls()[0].rfind(L"https://", 0), 0u);
  ASSERT_EQ(input.MessageBoxTexts().size(), 2u);
  EXPECT_EQ(input.MessageBoxTexts()[0],
            L"最新のDirectXが見つからなかったため起動できません。\nDirectXをインストールしますか？");
  input.Uninstall();
  EXPECT_TRUE(tav::GraphicsRuntimeAvailable());  // this machine has OpenGL 4.1 and the compiler
}

}  // namespace
