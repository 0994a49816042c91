// The child side of tests that need a second process. SpawnChild runs this
// test program again with TAVRI_OS_CHILD set; the check below runs before
// main, does the child's part and ends the process, so the child never runs
// any test. The platform layer's state is all made on first use, so it is
// ready this early.
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/os/LastError.h"
#include "platform/os/Locale.h"
#include "platform/os/WinApi.h"

namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

void Log(const std::string& line) {
  int fd = open(Env("TAVRI_OS_CHILD_LOG").c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return;
  std::string text = line + "\n";
  (void)!write(fd, text.data(), text.size());
  close(fd);
}

LRESULT QuietProcedure(HWND, UINT, WPARAM, LPARAM) { return 0; }

// Holds the class's instance with a window and serves requests for 30 s,
// logging each one.
int ServeInstance() {
  using namespace tav::os;
  std::string name = Env("TAVRI_OS_CHILD_CLASS");
  std::wstring className(name.begin(), name.end());
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = QuietProcedure;
  wc.lpszClassName = className.c_str();
  if (!RegisterClassExW(&wc)) return 2;
  HWND window = CreateWindowExW(0, className.c_str(), L"child", WS_CAPTION, 0, 0, 64, 64, nullptr, nullptr,
                                nullptr, nullptr);
  if (!window) return 3;
  SetInstanceRequestObserver([window](HWND about, InstanceRequest request) {
    const char* what = request == InstanceRequest::QueryIconic ? "query" :
                       request == InstanceRequest::Restore     ? "restore" :
                                                                 "raise";
    Log(std::string(what) + (about == window ? " own-window" : " other-window"));
  });
  Log("ready");
  DWORD start = timeGetTime();
  MSG msg;
  while (timeGetTime() - start < 30000) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(5);
  }
  return 0;
}

// Shows an error box the way the engine does at start-up, where no display
// can show it.
int ShowMessageBox() {
  using namespace tav::os;
  int answer = MessageBoxW(nullptr, L"The game cannot start.", nullptr, MB_ICONERROR | MB_YESNO);
  Log("answer=" + std::to_string(answer) + " error=" + std::to_string(GetLastError()));
  return 0;
}

bool RunChildIfAsked() {
  std::string mode = Env("TAVRI_OS_CHILD");
  if (mode.empty()) return false;
  tav::os::SetUserLocale();
  int status = mode == "instance" ? ServeInstance() : mode == "messagebox" ? ShowMessageBox() : 100;
  _exit(status);
}

const bool childRan = RunChildIfAsked();

}  // namespace
