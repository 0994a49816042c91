// One running copy per game, with real second processes (see ChildProcess.cpp):
// finding the first copy, asking it to restore and raise itself, and starting
// cleanly after a copy crashed.
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>

#include "OsTestSupport.h"

namespace {

using namespace tav::os;

class OsSingleInstance : public testing::Test {
 protected:
  void SetUp() override {
    runtimeEnv_ = std::make_unique<ostest::ScopedEnv>("XDG_RUNTIME_DIR", runtime_.Path().c_str());
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    className_ = std::string("Tavri Os ") + info->name();
    wideName_.assign(className_.begin(), className_.end());
  }
  void TearDown() override {
    if (child_ > 0) ostest::WaitChild(child_, 0);
    UnregisterClassW(wideName_.c_str(), nullptr);
  }

  // A child that holds the class with a window and logs the requests it serves.
  void StartFirstCopy() {
    child_ = ostest::SpawnChild("instance", {{"TAVRI_OS_CHILD_CLASS", className_},
                                             {"TAVRI_OS_CHILD_LOG", (log_.Path() / "log").string()}});
    ASSERT_GT(child_, 0);
    ASSERT_TRUE(ostest::WaitForText(log_.Path() / "log", "ready", 20000)) << tavtest::ReadFileBytes(log_.Path() / "log");
  }

  bool Logged(const std::string& line) { return ostest::WaitForText(log_.Path() / "log", line, 10000); }

  static bool Accepts(const std::string& socketPath) {
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    socketPath.copy(address.sun_path, sizeof address.sun_path - 1);
    bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return ok;
  }

  tavtest::TempDir runtime_;
  tavtest::TempDir log_;
  std::unique_ptr<ostest::ScopedEnv> runtimeEnv_;
  std::string className_;
  std::wstring wideName_;
  pid_t child_ = -1;
};

TEST_F(OsSingleInstance, ASecondCopyFindsTheFirstAndAsksItToComeForward) {
  EXPECT_EQ(FindWindowW(wideName_.c_str(), nullptr), nullptr) << "nothing runs yet";
  StartFirstCopy();

  HWND first = FindWindowW(wideName_.c_str(), nullptr);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(FindWindowW(wideName_.c_str(), nullptr), first) << "one handle stands for the other copy";
  EXPECT_EQ(first->Sdl(), nullptr) << "it is no window of this process";

  EXPECT_FALSE(IsIconic(first));
  EXPECT_TRUE(Logged("query own-window"));
  EXPECT_TRUE(OpenIcon(first));
  EXPECT_TRUE(Logged("restore own-window"));
  EXPECT_TRUE(SetForegroundWindow(first));
  EXPECT_TRUE(Logged("raise own-window"));

  // What only the owner may do fails safely.
  RECT rect{};
  EXPECT_FALSE(DestroyWindow(first));
  EXPECT_EQ(GetLastError(), EPERM);
  EXPECT_FALSE(GetClientRect(first, &rect));
  EXPECT_FALSE(PostMessageW(first, WM_APP, 0, 0));

  // This copy cannot take the lock meanwhile.
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = ostest::RecordingProcedure;
  wc.lpszClassName = wideName_.c_str();
  ASSERT_NE(RegisterClassExW(&wc), 0);
  EXPECT_FALSE(detail::HoldsInstance(wideName_));
  UnregisterClassW(wideName_.c_str(), nullptr);

  // The first copy crashes, leaving its lock file and socket behind.
  kill(child_, SIGKILL);
  EXPECT_EQ(ostest::WaitChild(child_, 10000), 128 + SIGKILL);
  child_ = -1;
  InstancePaths paths = InstancePathsFor(wideName_);
  EXPECT_TRUE(std::filesystem::exists(paths.lock));
  EXPECT_TRUE(std::filesystem::exists(paths.socket));
  EXPECT_EQ(FindWindowW(wideName_.c_str(), nullptr), nullptr);
  EXPECT_FALSE(SetForegroundWindow(first)) << "the old handle reaches nobody";

  // The next copy starts as the first one and serves on a fresh socket.
  ASSERT_NE(RegisterClassExW(&wc), 0);
  EXPECT_TRUE(detail::HoldsInstance(wideName_));
  EXPECT_TRUE(Accepts(paths.socket));
  EXPECT_TRUE(UnregisterClassW(wideName_.c_str(), nullptr));
  EXPECT_FALSE(std::filesystem::exists(paths.socket));
}

TEST_F(OsSingleInstance, LeftoverFilesOfADeadCopyDoNotCountAsARunningCopy) {
  InstancePaths paths = InstancePathsFor(wideName_);
  tavtest::WriteFileBytes(paths.lock, "12345\n");
  int stale = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  paths.socket.copy(address.sun_path, sizeof address.sun_path - 1);
  ASSERT_EQ(bind(stale, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  close(stale);  // the socket file stays, with nobody listening
  ASSERT_TRUE(std::filesystem::exists(paths.socket));

  EXPECT_EQ(FindWindowW(wideName_.c_str(), nullptr), nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = ostest::RecordingProcedure;
  wc.lpszClassName = wideName_.c_str();
  ASSERT_NE(RegisterClassExW(&wc), 0);
  EXPECT_TRUE(detail::HoldsInstance(wideName_));
  EXPECT_TRUE(Accepts(paths.socket));
  // The holder does not find itself through the lock: it has no window yet.
  EXPECT_EQ(FindWindowW(wideName_.c_str(), nullptr), nullptr);
  EXPECT_TRUE(detail::HoldsInstance(wideName_)) << "looking did not drop the lock";
}

TEST_F(OsSingleInstance, NamesAreMadeSafeShortAndDistinct) {
  std::string folder = runtime_.Path().string();
  std::vector<std::wstring> names = {L"../../etc/passwd", L"ゲーム", L"ゲーヌ", L"a b", L"a_b",
                                     std::wstring(400, L'x'), std::wstring(400, L'x') + L"y"};
  std::set<std::string> seen;
  for (const std::wstring& name : names) {
    InstancePaths paths = InstancePathsFor(name);
    EXPECT_EQ(paths.lock.rfind(folder + "/", 0), 0u) << paths.lock;
    EXPECT_EQ(paths.lock.find('/', folder.size() + 1), std::string::npos) << paths.lock;
    EXPECT_LT(paths.socket.size(), sizeof(sockaddr_un::sun_path));
    EXPECT_TRUE(seen.insert(paths.socket).second) << paths.socket;
  }
  // Without a usable runtime folder the user's id keeps users apart in /tmp.
  ostest::ScopedEnv relative("XDG_RUNTIME_DIR", "relative/dir");
  InstancePaths paths = InstancePathsFor(L"game");
  EXPECT_EQ(paths.lock.rfind("/tmp/tavri-" + std::to_string(getuid()) + "-", 0), 0u) << paths.lock;
}

}  // namespace
