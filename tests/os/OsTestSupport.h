#pragma once
// Helpers of the platform-layer tests: a window class whose procedure records
// what it receives, a fixture with one such window on the offscreen video
// driver, and child processes for what needs a second process.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/os/WinApi.h"
#include "platform/os/Window.h"
#include "support/TempDir.h"

namespace ostest {

struct Call {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// Everything RecordingProcedure received, oldest first.
std::vector<Call>& Calls();
// Records the call; returns lParam + 1 for WM_APP messages so a test can see
// the result come back, 0 otherwise.
LRESULT RecordingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Every queued message, taken out of the queue.
std::vector<MSG> DrainMessages(HWND window = nullptr);

// Sets an environment variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  bool had_;
  std::string old_;
};

// A registered class (named after the running test) with one hidden window,
// and a private runtime folder for the single-instance files.
class WindowFixture : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  tavtest::TempDir runtime_;
  std::unique_ptr<ScopedEnv> runtimeEnv_;
  std::wstring className_;
  HWND window_ = nullptr;
};

// Runs this test program again as a child (see ChildProcess.cpp), with the
// extra environment variables; returns its process id, or -1.
pid_t SpawnChild(const std::string& mode, const std::map<std::string, std::string>& env);
// The child's exit status, or -1 when it did not end within the time (it is
// then killed).
int WaitChild(pid_t pid, int timeoutMs);
// Waits until the file contains `text`.
bool WaitForText(const std::filesystem::path& file, const std::string& text, int timeoutMs);

}  // namespace ostest
