#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

#include "core/ErrorLog.h"
#include "platform/os/ErrorText.h"
#include "platform/os/LastError.h"
#include "core/UserFolder.h"
#include "support/TempDir.h"

namespace {

class ErrorLogTest : public testing::Test {
 protected:
  void SetUp() override { tavtest::ClearErrorLog(); }
};

std::vector<std::string> LogLines() {
  std::vector<std::string> lines;
  std::istringstream in(tavtest::ReadErrorLog());
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The date prefix of today, as a log line carries it.
std::string TodayPrefix() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  std::string line = tav::FormatLogLine(local, L"");
  return line.substr(0, line.size() - 2);
}

TEST(LogLine, IsDateBlankMessageNewline) {
  std::tm date{};
  date.tm_year = 2024 - 1900;
  date.tm_mon = 2;
  date.tm_mday = 5;
  EXPECT_EQ(tav::FormatLogLine(date, L"CreateDevice failed"), "2024/03/05 CreateDevice failed\n");
  date.tm_year = 999 - 1900;
  date.tm_mon = 11;
  date.tm_mday = 31;
  EXPECT_EQ(tav::FormatLogLine(date, L"\u97F3"), "0999/12/31 \xE9\x9F\xB3\n");
}

TEST_F(ErrorLogTest, AppendsDatedLinesToErrTxtInThePerUserFolder) {
  tav::LogError(L"first");
  tav::LogError(L"second \u3042");
  EXPECT_EQ(LogLines(), (std::vector<std::string>{TodayPrefix() + " first", TodayPrefix() + " second \xE3\x81\x82"}));
}

TEST_F(ErrorLogTest, EachEntryPointFormatsItsMessage) {
  tav::os::SetLastError(0);
  tav::LogLastError();  // no error: nothing to log
  tav::os::SetLastError(ENOENT);
  tav::LogLastError();
  errno = EACCES;
  tav::LogErrno();
  tav::LogException("std::bad_alloc");
  tav::LogException("\xFF not text");  // does not convert: nothing logged
  tav::LogHResult(D3DERR_DEVICELOST, L"Present");
  tav::LogHResult(static_cast<HRESULT>(0x80001234), L"Mystery");
  const std::string p = TodayPrefix() + " ";
  EXPECT_EQ(LogLines(), (std::vector<std::string>{
                            p + "No such file or directory",
                            p + "Permission denied",
                            p + "std::bad_alloc",
                            p + "Present D3DERR_DEVICELOST " + "The device is lost and cannot be reset yet; nothing can be drawn.",
                            p + "Mystery 0x80001234 Unknown error.",
                        }));
}

TEST(ErrorText, NamesTheCodesTheEngineUses) {
  EXPECT_EQ(tav::os::DXGetErrorStringW(S_PRESENT_OCCLUDED), L"S_PRESENT_OCCLUDED");
  EXPECT_EQ(tav::os::DXGetErrorStringW(D3DERR_INVALIDCALL), L"D3DERR_INVALIDCALL");
  EXPECT_EQ(tav::os::DXGetErrorStringW(D3DXERR_INVALIDDATA), L"D3DXERR_INVALIDDATA");
  EXPECT_EQ(tav::os::DXGetErrorStringW(XAUDIO2_E_DEVICE_INVALIDATED), L"XAUDIO2_E_DEVICE_INVALIDATED");
  EXPECT_EQ(tav::os::DXGetErrorStringW(E_OUTOFMEMORY), L"E_OUTOFMEMORY");
  EXPECT_EQ(static_cast<uint32_t>(D3DERR_DEVICENOTRESET), 0x88760869u);
  EXPECT_EQ(static_cast<uint32_t>(S_PRESENT_OCCLUDED), 0x08760878u);
  EXPECT_TRUE(SUCCEEDED(S_PRESENT_OCCLUDED));
  EXPECT_TRUE(FAILED(D3DERR_DEVICEHUNG));
}

TEST_F(ErrorLogTest, ConcurrentLinesNeverInterleave) {
  constexpr int kThreads = 8, kLines = 200;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      std::wstring text(300, static_cast<wchar_t>(L'a' + t));
      for (int i = 0; i < kLines; ++i) tav::LogError(text);
    });
  }
  for (auto& t : threads) t.join();
  std::vector<std::string> lines = LogLines();
  ASSERT_EQ(lines.size(), size_t{kThreads * kLines});
  for (const std::string& line : lines) {
    std::string text = line.substr(TodayPrefix().size() + 1);
    ASSERT_EQ(text, std::string(300, text[0]));
  }
}

TEST(ErrorLogFolder, FollowsTheEngineFolderNameAndCreatesMissingBaseFolders) {
  tavtest::TempDir dir;
  std::string saved = std::getenv("XDG_DATA_HOME");
  std::wstring savedName = tav::EngineFolderName;
  setenv("XDG_DATA_HOME", (dir.Path() / "deep/share").c_str(), 1);

  tav::EngineFolderName = L"_TavErr";
  tav::LogError(L"early");
  tav::EngineFolderName = L"Tavri";
  tav::LogError(L"late");
  EXPECT_NE(tavtest::ReadFileBytes(dir.Path() / "deep/share/_TavErr/Err.txt").find(" early\n"), std::string::npos);
  EXPECT_NE(tavtest::ReadFileBytes(dir.Path() / "deep/share/Tavri/Err.txt").find(" late\n"), std::string::npos);

  // A relative XDG_DATA_HOME is ignored, as the standard asks; the log then
  // goes under $HOME.
  std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
  setenv("XDG_DATA_HOME", "relative/share", 1);
  setenv("HOME", (dir.Path() / "home").c_str(), 1);
  tav::LogError(L"home");
  EXPECT_NE(tavtest::ReadFileBytes(dir.Path() / "home/.local/share/Tavri/Err.txt").find(" home\n"), std::string::npos);

  // An unwritable folder loses the line quietly.
  setenv("XDG_DATA_HOME", "/proc/forbidden", 1);
  tav::LogError(L"lost");

  setenv("HOME", savedHome.c_str(), 1);
  setenv("XDG_DATA_HOME", saved.c_str(), 1);
  tav::EngineFolderName = savedName;
}

}  // namespace
