#include "OsTestSupport.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

extern char** environ;

namespace ostest {

std::vector<Call>& Calls() {
  static std::vector<Call> calls;
  return calls;
}

LRESULT RecordingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Calls().push_back(Call{window, message, wParam, lParam});
  return message >= WM_APP ? lParam + 1 : 0;
}

std::vector<MSG> DrainMessages(HWND window) {
  std::vector<MSG> messages;
  MSG msg;
  while (tav::os::PeekMessageW(&msg, window, 0, 0, PM_REMOVE)) messages.push_back(msg);
  return messages;
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name) {
  const char* old = std::getenv(name);
  had_ = old != nullptr;
  if (old) old_ = old;
  if (value)
    setenv(name, value, 1);
  else
    unsetenv(name);
}

ScopedEnv::~ScopedEnv() {
  if (had_)
    setenv(name_.c_str(), old_.c_str(), 1);
  else
    unsetenv(name_.c_str());
}

void WindowFixture::SetUp() {
  runtimeEnv_ = std::make_unique<ScopedEnv>("XDG_RUNTIME_DIR", runtime_.Path().c_str());
  const auto* info = testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string("OsTest.") + info->test_suite_name() + "." + info->name();
  className_.assign(name.begin(), name.end());
  Calls().clear();
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = RecordingProcedure;
  wc.lpszClassName = className_.c_str();
  ASSERT_NE(tav::os::RegisterClassExW(&wc), 0);
  window_ = tav::os::CreateWindowExW(0, className_.c_str(), L"Os test", WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                     CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window_, nullptr) << tav::os::GetLastError();
  DrainMessages();
  Calls().clear();
}

void WindowFixture::TearDown() {
  tav::os::InstallInput(nullptr);
  tav::os::InstallClock(nullptr);
  if (window_) tav::os::DestroyWindow(window_);
  tav::os::UnregisterClassW(className_.c_str(), nullptr);
  DrainMessages();
  runtimeEnv_.reset();
}

pid_t SpawnChild(const std::string& mode, const std::map<std::string, std::string>& env) {
  // Everything the child needs is prepared before fork: the parent may have
  // threads, so the child only calls execve.
  std::vector<std::string> entries;
  for (char** e = environ; *e; ++e) {
    std::string entry = *e;
    std::string name = entry.substr(0, entry.find('='));
    if (name != "TAVRI_OS_CHILD" && !env.count(name)) entries.push_back(entry);
  }
  entries.push_back("TAVRI_OS_CHILD=" + mode);
  for (const auto& [name, value] : env)
    if (!value.empty()) entries.push_back(name + "=" + value);  // an empty value removes the variable
  std::vector<char*> envp;
  for (std::string& entry : entries) envp.push_back(entry.data());
  envp.push_back(nullptr);
  char program[] = "tavri_tests";
  char* argv[] = {program, nullptr};
  pid_t pid = fork();
  if (pid == 0) {
    execve("/proc/self/exe", argv, envp.data());
    _exit(127);
  }
  return pid;
}

int WaitChild(pid_t pid, int timeoutMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  int status = 0;
  while (std::chrono::steady_clock::now() < deadline) {
    pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
  return -1;
}

bool WaitForText(const std::filesystem::path& file, const std::string& text, int timeoutMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  do {
    if (tavtest::ReadFileBytes(file).find(text) != std::string::npos) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  } while (std::chrono::steady_clock::now() < deadline);
  return false;
}

}  // namespace ostest
