// The clock and its double, and key and cursor state through scripted input.
#include <chrono>
#include <thread>

#include "OsTestSupport.h"
#include "platform/fake/FakeClock.h"
#include "platform/fake/ScriptedInput.h"

namespace {

using namespace tav::os;

TEST(OsClock, TheFakeClockWrapsLikeTheRealOne) {
  tav::fake::FakeClock clock(0xFFFFFFF0u);
  clock.Install();
  EXPECT_EQ(timeGetTime(), 0xFFFFFFF0u);
  clock.Advance(32);
  EXPECT_EQ(timeGetTime(), 16u);
  // Intervals measured as unsigned differences survive the wrap.
  EXPECT_EQ(DWORD(timeGetTime() - 0xFFFFFFF0u), 32u);
  clock.Set(5);
  EXPECT_EQ(timeGetTime(), 5u);
  clock.Uninstall();
  EXPECT_EQ(InstalledClock(), nullptr);
}

TEST(OsClock, SleepAdvancesTheFakeClockOnlyOnItsOwnThread) {
  tav::fake::FakeClock clock(1000);
  clock.Install();
  auto start = std::chrono::steady_clock::now();
  Sleep(60000);  // a minute of game time, at once
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(timeGetTime(), 61000u);

  std::thread other([] { Sleep(20); });
  other.join();
  EXPECT_EQ(timeGetTime(), 61000u) << "another thread's sleep does not move game time";
}

TEST(OsClock, ADestroyedFakeLeavesTheRealClockWhichSleeps) {
  {
    tav::fake::FakeClock clock(7);
    clock.Install();
  }
  EXPECT_EQ(InstalledClock(), nullptr);
  DWORD before = timeGetTime();
  auto start = std::chrono::steady_clock::now();
  Sleep(30);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
  EXPECT_GE(DWORD(timeGetTime() - before), 29u);
}

class OsInput : public ostest::WindowFixture {};

TEST_F(OsInput, KeyStatesComeFromTheScriptByVirtualKey) {
  tav::fake::ScriptedInput input;
  input.Install();
  EXPECT_EQ(GetAsyncKeyState(VK_RETURN), 0);
  input.SetKey(VK_RETURN, true);
  input.SetKey(VK_RSHIFT, true);
  input.SetKey(VK_LBUTTON, true);
  input.SetKey('A', true);
  EXPECT_TRUE(GetAsyncKeyState(VK_RETURN) & 0x8000);
  EXPECT_TRUE(GetAsyncKeyState(VK_SHIFT) & 0x8000) << "either side counts";
  EXPECT_TRUE(GetAsyncKeyState(VK_RSHIFT) & 0x8000);
  EXPECT_FALSE(GetAsyncKeyState(VK_LSHIFT) & 0x8000);
  EXPECT_TRUE(GetAsyncKeyState(VK_LBUTTON) & 0x8000);
  EXPECT_FALSE(GetAsyncKeyState(VK_RBUTTON) & 0x8000);
  EXPECT_TRUE(GetAsyncKeyState('A') & 0x8000);
  EXPECT_FALSE(GetAsyncKeyState('B') & 0x8000);
  input.SetKey(VK_RETURN, false);
  EXPECT_EQ(GetAsyncKeyState(VK_RETURN), 0);
  // Key state alone makes no messages.
  EXPECT_TRUE(ostest::DrainMessages().empty());

  input.Uninstall();
  // The real keyboard of the offscreen driver has nothing pressed.
  EXPECT_EQ(GetAsyncKeyState(VK_RSHIFT), 0);
  EXPECT_EQ(GetAsyncKeyState('A'), 0);
}

TEST_F(OsInput, TheScriptedCursorIsInClientCoordinatesOfTheEngineWindow) {
  tav::fake::ScriptedInput input;
  input.Install();
  ASSERT_TRUE(SetWindowPos(window_, nullptr, 100, 200, 320, 240, SWP_SHOWWINDOW));
  input.MoveCursor(5, 7);
  POINT point{};
  ASSERT_TRUE(GetCursorPos(&point));
  EXPECT_EQ(point.x, 105);
  EXPECT_EQ(point.y, 207);
  ASSERT_TRUE(ScreenToClient(window_, &point));
  EXPECT_EQ(point.x, 5);
  EXPECT_EQ(point.y, 7);

  ASSERT_TRUE(SetCursorPos(160, 220));
  EXPECT_EQ(input.Cursor().x, 60);
  EXPECT_EQ(input.Cursor().y, 20);
  EXPECT_FALSE(GetCursorPos(nullptr));
}

TEST_F(OsInput, TheRealCursorCanBePlacedAndReadBack) {
  ASSERT_TRUE(SetWindowPos(window_, nullptr, 50, 60, 200, 100, SWP_SHOWWINDOW));
  ASSERT_TRUE(SetCursorPos(70, 90));
  ostest::DrainMessages();
  POINT point{};
  ASSERT_TRUE(GetCursorPos(&point));
  EXPECT_EQ(point.x, 70);
  EXPECT_EQ(point.y, 90);
}

}  // namespace
