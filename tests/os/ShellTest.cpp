// Message boxes and opening addresses: scripted answers, and a box with no
// display to show it on (in a child process, so a hang cannot stop the tests).
#include <cerrno>

#include "OsTestSupport.h"
#include "platform/fake/ScriptedInput.h"

namespace {

using namespace tav::os;

TEST(OsShell, WithoutADisplayAMessageBoxAnswersNoAtOnce) {
  tavtest::TempDir dir;
  pid_t child = ostest::SpawnChild("messagebox", {{"TAVRI_OS_CHILD_LOG", (dir.Path() / "log").string()},
                                                  {"DISPLAY", ""},
                                                  {"WAYLAND_DISPLAY", ""},
                                                  {"SDL_VIDEODRIVER", "offscreen"}});
  ASSERT_GT(child, 0);
  ASSERT_EQ(ostest::WaitChild(child, 30000), 0) << "the box must not wait for anybody";
  EXPECT_EQ(tavtest::ReadFileBytes(dir.Path() / "log"), "answer=" + std::to_string(IDNO) +
                                                            " error=" + std::to_string(ENODEV) + "\n");
}

TEST(OsShell, ScriptedInputAnswersMessageBoxesAndTakesAddresses) {
  tav::fake::ScriptedInput input;
  input.Install();
  input.AnswerMessageBoxes({IDYES});
  EXPECT_EQ(MessageBoxW(nullptr, L"Open the support page?", nullptr, MB_ICONERROR | MB_YESNO), IDYES);
  EXPECT_EQ(MessageBoxW(nullptr, L"Again?", L"Title", MB_YESNO), IDNO) << "answers ran out";
  EXPECT_EQ(input.MessageBoxTexts().size(), 2u);

  auto open = [](LPCWSTR operation, LPCWSTR url) {
    return reinterpret_cast<intptr_t>(ShellExecuteW(nullptr, operation, url, nullptr, nullptr, SW_SHOWNORMAL));
  };
  EXPECT_GT(open(nullptr, L"https://example.com/support"), 32);
  EXPECT_GT(open(L"open", L"https://example.com/2"), 32);
  input.RefuseUrls(true);
  EXPECT_EQ(open(nullptr, L"https://example.com/3"), SE_ERR_NOASSOC);
  input.RefuseUrls(false);
  // Other operations, and no address at all, fail before anything is asked.
  EXPECT_LE(open(L"print", L"x"), 32);
  EXPECT_LE(open(nullptr, nullptr), 32);
  EXPECT_EQ(GetLastError(), EINVAL);
  EXPECT_EQ(input.OpenedUrls(), (std::vector<std::wstring>{L"https://example.com/support", L"https://example.com/2"}));
}

}  // namespace
