// Window classes and windows on the offscreen video driver: registration
// rules, geometry, styles, caption, focus, text input and cursors.
#include <SDL.h>

#include <cerrno>

#include "OsTestSupport.h"
#include "platform/fake/ScriptedInput.h"

namespace {

using namespace tav::os;

class OsWindow : public ostest::WindowFixture {};

TEST_F(OsWindow, ClassesAreFoundByNameAndBadRecordsAreRefused) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = ostest::RecordingProcedure;
  wc.lpszClassName = className_.c_str();
  EXPECT_EQ(RegisterClassExW(&wc), 0) << "the name is taken";
  EXPECT_EQ(GetLastError(), EEXIST);

  std::wstring other = className_ + L".other";
  wc.lpszClassName = other.c_str();
  wc.cbSize = sizeof wc - 1;
  EXPECT_EQ(RegisterClassExW(&wc), 0);
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = nullptr;
  EXPECT_EQ(RegisterClassExW(&wc), 0);
  EXPECT_EQ(GetLastError(), EINVAL);
  EXPECT_EQ(RegisterClassExW(nullptr), 0);

  // A class with windows stays; an unknown one cannot go.
  EXPECT_FALSE(UnregisterClassW(className_.c_str(), nullptr));
  EXPECT_EQ(GetLastError(), EBUSY);
  EXPECT_FALSE(UnregisterClassW(other.c_str(), nullptr));
  EXPECT_EQ(GetLastError(), ENOENT);
  EXPECT_EQ(CreateWindowExW(0, other.c_str(), L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ENOENT);

  HWND second = CreateWindowExW(0, className_.c_str(), L"second", 0, 0, 0, 8, 8, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(FindWindowW(className_.c_str(), nullptr), window_) << "the oldest window of the class";
  EXPECT_TRUE(DestroyWindow(second));
  EXPECT_EQ(FindWindowW(MAKEINTRESOURCEW(1), nullptr), nullptr);
}

TEST_F(OsWindow, PositionSizeAndClientAreaRoundTrip) {
  int usableWidth = GetSystemMetrics(SM_CXFULLSCREEN);
  int usableHeight = GetSystemMetrics(SM_CYFULLSCREEN);
  SDL_Rect usable{};
  ASSERT_EQ(SDL_GetDisplayUsableBounds(SDL_GetWindowDisplayIndex(window_->Sdl()), &usable), 0);
  EXPECT_EQ(usableWidth, usable.w);
  EXPECT_EQ(usableHeight, usable.h);
  EXPECT_GT(GetSystemMetrics(SM_CXSCREEN), 0);
  EXPECT_EQ(GetSystemMetrics(12345), 0);

  // The client area is what the engine asks for: the frame is added outside.
  RECT wanted{0, 0, 640, 480};
  ASSERT_TRUE(AdjustWindowRectEx(&wanted, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, FALSE, 0));
  EXPECT_EQ(wanted.right, 640);
  EXPECT_EQ(wanted.bottom, 480);
  EXPECT_TRUE(window_->IsHidden());
  ASSERT_TRUE(SetWindowPos(window_, HWND_NOTOPMOST, 40, 30, wanted.right - wanted.left, wanted.bottom - wanted.top,
                           SWP_SHOWWINDOW | SWP_FRAMECHANGED));
  EXPECT_FALSE(window_->IsHidden());
  RECT client{};
  ASSERT_TRUE(GetClientRect(window_, &client));
  EXPECT_EQ(client.left, 0);
  EXPECT_EQ(client.top, 0);
  EXPECT_EQ(client.right, 640);
  EXPECT_EQ(client.bottom, 480);

  POINT point{45, 37};
  ASSERT_TRUE(ScreenToClient(window_, &point));
  EXPECT_EQ(point.x, 5);
  EXPECT_EQ(point.y, 7);
  ASSERT_TRUE(ClientToScreen(window_, &point));
  EXPECT_EQ(point.x, 45);
  EXPECT_EQ(point.y, 37);

  // Moving alone keeps the size; sizing alone keeps the place.
  ASSERT_TRUE(SetWindowPos(window_, nullptr, 0, 0, 320, 200, SWP_NOMOVE | SWP_NOZORDER));
  ASSERT_TRUE(GetClientRect(window_, &client));
  EXPECT_EQ(client.right, 320);
  EXPECT_EQ(client.bottom, 200);
  point = POINT{40, 30};
  ASSERT_TRUE(ScreenToClient(window_, &point));
  EXPECT_EQ(point.x, 0);
  EXPECT_EQ(point.y, 0);
  ASSERT_TRUE(SetWindowPos(window_, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_HIDEWINDOW));
  EXPECT_TRUE(window_->IsHidden());
  EXPECT_FALSE(GetClientRect(window_, nullptr));
  EXPECT_FALSE(AdjustWindowRectEx(nullptr, 0, FALSE, 0));
}

TEST_F(OsWindow, PopupStyleIsFullScreenAndTheCaptionStyleIsWindowed) {
  const LONG windowed = LONG(WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
  ASSERT_TRUE(SetWindowPos(window_, nullptr, 0, 0, 320, 240, SWP_SHOWWINDOW));
  EXPECT_EQ(SetWindowLongW(window_, GWL_STYLE, LONG(WS_POPUP)), windowed);
  EXPECT_EQ(GetLastError(), 0);
  Uint32 flags = SDL_GetWindowFlags(window_->Sdl());
  EXPECT_EQ(flags & SDL_WINDOW_FULLSCREEN_DESKTOP, Uint32(SDL_WINDOW_FULLSCREEN_DESKTOP));

  EXPECT_EQ(DWORD(SetWindowLongW(window_, GWL_STYLE, windowed)), WS_POPUP);
  flags = SDL_GetWindowFlags(window_->Sdl());
  EXPECT_EQ(flags & SDL_WINDOW_FULLSCREEN, 0u);
  EXPECT_EQ(SetWindowLongW(window_, 12345, 0), 0);
  EXPECT_EQ(GetLastError(), EINVAL);
}

TEST_F(OsWindow, CaptionRoundTripsAndIsCutToTheBuffer) {
  const std::wstring caption = L"タヴリ — demo";
  ASSERT_TRUE(SetWindowTextW(window_, caption.c_str()));
  wchar_t buffer[64];
  EXPECT_EQ(GetWindowTextW(window_, buffer, 64), int(caption.size()));
  EXPECT_EQ(std::wstring(buffer), caption);
  EXPECT_STREQ(SDL_GetWindowTitle(window_->Sdl()), "タヴリ — demo") << "SDL takes UTF-8";

  wchar_t small[4] = {L'x', L'x', L'x', L'x'};
  EXPECT_EQ(GetWindowTextW(window_, small, 4), 3);
  EXPECT_EQ(std::wstring(small), caption.substr(0, 3));
  EXPECT_EQ(GetWindowTextW(window_, small, 0), 0);
  ASSERT_TRUE(SetWindowTextW(window_, nullptr));
  EXPECT_EQ(GetWindowTextW(window_, buffer, 64), 0);
}

TEST_F(OsWindow, TheActiveWindowFollowsScriptedFocus) {
  tav::fake::ScriptedInput input;
  input.Install();
  EXPECT_EQ(GetActiveWindow(), window_);
  input.Deactivate();
  EXPECT_EQ(GetActiveWindow(), nullptr);
  input.Activate();
  EXPECT_EQ(GetActiveWindow(), window_);
  input.Uninstall();
  // The real answer is a window of this process or none.
  HWND active = GetActiveWindow();
  EXPECT_TRUE(active == nullptr || active == window_);
}

TEST_F(OsWindow, ImmAssociateContextSwitchesTextInputAndGivesTheOldStateBack) {
  SDL_StartTextInput();
  HIMC previous = ImmAssociateContext(window_, nullptr);
  EXPECT_NE(previous, nullptr);
  EXPECT_FALSE(SDL_IsTextInputActive());
  EXPECT_EQ(ImmAssociateContext(window_, nullptr), nullptr) << "already off";
  ImmAssociateContext(window_, previous);
  EXPECT_TRUE(SDL_IsTextInputActive());
  ImmAssociateContext(window_, nullptr);
}

TEST_F(OsWindow, SystemCursorsAreStableHandlesAndUnknownOnesFail) {
  HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  HCURSOR wait = LoadCursorW(nullptr, IDC_WAIT);
  HCURSOR sizeAll = LoadCursorW(nullptr, IDC_SIZEALL);
  ASSERT_NE(arrow, nullptr);
  ASSERT_NE(wait, nullptr);
  ASSERT_NE(sizeAll, nullptr);
  EXPECT_NE(arrow, wait);
  EXPECT_EQ(LoadCursorW(nullptr, IDC_ARROW), arrow);
  EXPECT_EQ(LoadCursorW(nullptr, MAKEINTRESOURCEW(1)), nullptr);
  EXPECT_EQ(LoadCursorW(nullptr, L"custom"), nullptr);
  EXPECT_EQ(GetLastError(), ENOENT);

  SetCursor(arrow);
  EXPECT_EQ(SetCursor(wait), arrow);
  EXPECT_EQ(SetCursor(sizeAll), wait);
  int notACursor = 0;
  EXPECT_EQ(SetCursor(reinterpret_cast<HCURSOR>(&notACursor)), nullptr);
  EXPECT_EQ(SetCursor(arrow), sizeAll) << "a bad handle changes nothing";
}

}  // namespace
