// A present that names the changed rectangle copies only that rectangle to
// the screen. Checked in a real X server: the test runs itself again under
// xvfb-run and reads the server's screen from its frame-buffer file.
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "gpu/GlTestSupport.h"
#include "support/TempDir.h"

namespace tavtest::gl {
namespace {

constexpr const char* kScreenFile = "TAVRI_X_SCREEN_FILE";

// Pixel (x, y) of the screen dump Xvfb keeps in `file` (XWD, 32 bits a pixel),
// as 0xRRGGBB; 0xFFFFFFFF when it cannot be read.
uint32_t ScreenPixel(const std::string& file, int x, int y) {
  const std::string data = ReadFileBytes(file);
  auto field = [&](int i) {
    const auto* b = reinterpret_cast<const unsigned char*>(data.data()) + i * 4;
    return uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3];
  };
  if (data.size() < 100 || field(11) != 32) return 0xFFFFFFFF;
  const size_t at = field(0) + size_t(field(19)) * 12 + size_t(y) * field(12) + size_t(x) * 4;
  if (at + 4 > data.size()) return 0xFFFFFFFF;
  const auto* p = reinterpret_cast<const unsigned char*>(data.data()) + at;
  return field(7) == 0 ? uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]
                       : uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

class PartialPresentInX : public GlTest {
 protected:
  void SetUp() override {
    if (!std::getenv(kScreenFile)) GTEST_SKIP() << "runs inside the X server of PartialPresent.OnlyTheDirtyRectangle";
    visible_ = true;
    GlTest::SetUp();
  }
  // Clears the back buffer to `colour` and presents, naming `dirty` if given.
  void Frame(uint32_t colour, const RECT* dirty) {
    struct {
      RGNDATAHEADER rdh;
      RECT rect;
    } region{};
    if (dirty) region = {{sizeof(RGNDATAHEADER), RDH_RECTANGLES, 1, sizeof(RECT), *dirty}, *dirty};
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, colour, 1.0f, 0), S_OK);
    ASSERT_EQ(device_->PresentEx(nullptr, nullptr, nullptr, dirty ? &region : nullptr, 0), S_OK);
    // Let the server take the image in before the dump is read.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
  }
  uint32_t Screen(int x, int y) {
    int left = 0, top = 0;
    SDL_GetWindowPosition(window_->Sdl(), &left, &top);
    return ScreenPixel(std::getenv(kScreenFile), left + x, top + y);
  }
};

TEST_F(PartialPresentInX, ShowsTheDirtyRectangleAndKeepsTheRest) {
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the window is mapped
  Frame(0xFFFF0000, nullptr);
  EXPECT_EQ(Screen(5, 5), 0xFF0000u);
  EXPECT_EQ(Screen(20, 15), 0xFF0000u);
  const RECT changed{10, 10, 30, 20};
  Frame(0xFF00FF00, &changed);
  EXPECT_EQ(Screen(10, 10), 0x00FF00u);
  EXPECT_EQ(Screen(29, 19), 0x00FF00u);
  for (auto [x, y] : {std::pair{9, 10}, {30, 10}, {10, 9}, {10, 20}, {5, 40}})
    EXPECT_EQ(Screen(x, y), 0xFF0000u) << x << "," << y;
  // Without a dirty region the whole frame is shown.
  Frame(0xFF0000FF, nullptr);
  EXPECT_EQ(Screen(5, 40), 0x0000FFu);
  EXPECT_EQ(Screen(20, 15), 0x0000FFu);
}

// Starts an X server with xvfb-run and the test above inside it.
TEST(PartialPresent, OnlyTheDirtyRectangle) {
  if (std::getenv(kScreenFile)) GTEST_SKIP() << "already inside";
  if (system("command -v xvfb-run >/dev/null 2>&1") != 0) GTEST_SKIP() << "xvfb-run is not installed";
  TempDir dir;
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  const std::string screen = (dir / "Xvfb_screen0").string();
  const pid_t child = fork();
  if (child == 0) {
    setenv(kScreenFile, screen.c_str(), 1);
    setenv("SDL_VIDEODRIVER", "x11", 1);
    const std::string server = "-screen 0 160x120x24 -fbdir " + dir.Path().string();
    execlp("xvfb-run", "xvfb-run", "-a", "-s", server.c_str(), self.c_str(),
           "--gtest_filter=PartialPresentInX.ShowsTheDirtyRectangleAndKeepsTheRest", static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the run inside the X server failed";
}

}  // namespace
}  // namespace tavtest::gl
