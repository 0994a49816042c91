// The message queue: SDL events and scripted input turned into messages, the
// order and filters of posted messages, dispatch to the class procedure, and
// what happens to a destroyed window's handle.
#include <SDL.h>

#include <cerrno>

#include "OsTestSupport.h"
#include "platform/fake/ScriptedInput.h"

namespace {

using namespace tav::os;
using ostest::Calls;
using ostest::DrainMessages;

class OsMessages : public ostest::WindowFixture {
 protected:
  Uint32 WindowId() { return SDL_GetWindowID(window_->Sdl()); }

  void PushWindowEvent(SDL_WindowEventID what) {
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = WindowId();
    event.window.event = Uint8(what);
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
  }

  void PushWheel(int y, bool flipped = false) {
    SDL_Event event{};
    event.type = SDL_MOUSEWHEEL;
    event.wheel.windowID = WindowId();
    event.wheel.y = y;
    event.wheel.direction = flipped ? SDL_MOUSEWHEEL_FLIPPED : SDL_MOUSEWHEEL_NORMAL;
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
  }

  void PushButton(Uint8 button, bool down) {
    SDL_Event event{};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.windowID = WindowId();
    event.button.button = button;
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
  }

  static bool Down(int vk) { return (GetAsyncKeyState(vk) & 0x8000) != 0; }

  void PushKey(SDL_Scancode code, SDL_Keycode sym, bool down, Uint16 mod) {
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.windowID = WindowId();
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.scancode = code;
    event.key.keysym.sym = sym;
    event.key.keysym.mod = mod;
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
  }
};

TEST_F(OsMessages, SdlEventsBecomeWindowMessagesInTheOrderTheyHappened) {
  PushWindowEvent(SDL_WINDOWEVENT_CLOSE);
  PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
  PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
  PushWheel(1);
  PushWheel(-2);
  PushWheel(1, true);  // "natural" scrolling reports the other direction
  PushWindowEvent(SDL_WINDOWEVENT_EXPOSED);  // uncovered: drawn again
  PushWindowEvent(SDL_WINDOWEVENT_MOVED);    // nothing the engine handles

  std::vector<MSG> messages = DrainMessages();
  ASSERT_EQ(messages.size(), 7u);
  for (const MSG& m : messages) EXPECT_EQ(m.hwnd, window_);
  EXPECT_EQ(messages[0].message, WM_CLOSE);
  EXPECT_EQ(messages[1].message, WM_ACTIVATE);
  EXPECT_EQ(messages[1].wParam, WPARAM(WA_INACTIVE));
  EXPECT_EQ(messages[2].message, WM_ACTIVATE);
  EXPECT_EQ(messages[2].wParam, WPARAM(WA_ACTIVE));
  EXPECT_EQ(messages[3].message, WM_MOUSEWHEEL);
  EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(messages[3].wParam), 120);
  EXPECT_EQ(LOWORD(messages[3].wParam), 0);
  EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(messages[4].wParam), -240);
  EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(messages[5].wParam), -120);
  EXPECT_EQ(messages[6].message, WM_PAINT);
}

TEST_F(OsMessages, KeysReachTheProcedureOnlyAsSystemKeys) {
  PushKey(SDL_SCANCODE_A, SDLK_a, true, KMOD_NONE);  // a plain key: polled, never a message
  PushKey(SDL_SCANCODE_LALT, SDLK_LALT, true, KMOD_LALT);
  PushKey(SDL_SCANCODE_F4, SDLK_F4, true, KMOD_LALT);
  PushKey(SDL_SCANCODE_F4, SDLK_F4, false, KMOD_LALT);
  PushKey(SDL_SCANCODE_LALT, SDLK_LALT, false, KMOD_NONE);
  PushKey(SDL_SCANCODE_A, SDLK_a, false, KMOD_NONE);

  std::vector<MSG> m = DrainMessages();
  ASSERT_EQ(m.size(), 4u);
  EXPECT_EQ(m[0].message, WM_SYSKEYDOWN);
  EXPECT_EQ(m[0].wParam, WPARAM(VK_MENU));
  EXPECT_EQ(m[1].message, WM_SYSKEYDOWN);
  EXPECT_EQ(m[1].wParam, WPARAM(VK_F4));
  EXPECT_TRUE(m[1].lParam & (LPARAM(1) << 29)) << "Alt held";
  EXPECT_FALSE(m[1].lParam & (LPARAM(1) << 31)) << "going down";
  EXPECT_EQ(m[2].message, WM_SYSKEYUP);
  EXPECT_EQ(m[2].wParam, WPARAM(VK_F4));
  EXPECT_TRUE(m[2].lParam & (LPARAM(1) << 31)) << "going up";
  EXPECT_EQ(m[3].message, WM_SYSKEYUP);
  EXPECT_EQ(m[3].wParam, WPARAM(VK_MENU));

  // Passed on unhandled, Alt+F4 closes the window; the key going up does not.
  DefWindowProcW(window_, m[2].message, m[2].wParam, m[2].lParam);
  EXPECT_TRUE(DrainMessages().empty());
  EXPECT_EQ(DefWindowProcW(window_, m[1].message, m[1].wParam, m[1].lParam), 0);
  std::vector<MSG> after = DrainMessages();
  ASSERT_EQ(after.size(), 1u);
  EXPECT_EQ(after[0].message, WM_CLOSE);
  EXPECT_EQ(after[0].hwnd, window_);
}

TEST_F(OsMessages, PostedMessagesKeepTheirOrderAndObeyTheFilters) {
  ASSERT_TRUE(PostMessageW(window_, WM_APP + 1, 10, 11));
  ASSERT_TRUE(PostMessageW(window_, WM_APP + 2, 20, 21));
  ASSERT_TRUE(PostMessageW(nullptr, WM_APP + 3, 30, 31));
  PostQuitMessage(7);

  MSG msg{};
  // A number filter skips earlier messages without losing them; WM_QUIT
  // passes any number filter.
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_APP + 2, WM_APP + 2, PM_NOREMOVE));
  EXPECT_EQ(msg.message, WM_APP + 2);
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_APP + 2, WM_APP + 2, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 20u);
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_APP + 2, WM_APP + 2, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 7u);
  EXPECT_EQ(msg.hwnd, nullptr);

  // A window filter leaves the thread's own messages.
  ASSERT_TRUE(PeekMessageW(&msg, window_, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_APP + 1);
  EXPECT_FALSE(PeekMessageW(&msg, window_, 0, 0, PM_REMOVE));
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_APP + 3);
  EXPECT_EQ(msg.lParam, 31);
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_FALSE(PeekMessageW(nullptr, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(OsMessages, TheQueueRefusesMessagesBeyondItsLimit) {
  int posted = 0;
  while (posted < 20000 && PostMessageW(window_, WM_APP, 0, posted)) ++posted;
  EXPECT_EQ(posted, 10000);
  EXPECT_EQ(GetLastError(), EAGAIN);
  // The queue still works, from the oldest message on.
  MSG msg{};
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.lParam, 0);
  EXPECT_TRUE(PostMessageW(window_, WM_APP, 0, 0));
}

TEST_F(OsMessages, DispatchCallsTheClassProcedureButNeverForQuit) {
  ASSERT_TRUE(PostMessageW(window_, WM_APP + 5, 3, 41));
  PostQuitMessage(0);
  MSG msg{};
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(DispatchMessageW(&msg), 42) << "the procedure's result";
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(DispatchMessageW(&msg), 0);

  ASSERT_EQ(Calls().size(), 1u);
  EXPECT_EQ(Calls()[0].window, window_);
  EXPECT_EQ(Calls()[0].message, WM_APP + 5);
  EXPECT_EQ(Calls()[0].wParam, 3u);
  EXPECT_EQ(Calls()[0].lParam, 41);
}

TEST_F(OsMessages, ADestroyedWindowGetsWmDestroyAndItsHandleFailsSafelyAfterwards) {
  ASSERT_TRUE(PostMessageW(window_, WM_APP, 0, 0));
  ASSERT_TRUE(DestroyWindow(window_));
  ASSERT_EQ(Calls().size(), 1u);
  EXPECT_EQ(Calls()[0].message, WM_DESTROY);
  EXPECT_EQ(Calls()[0].window, window_);

  // Its queued messages went with it, and the handle no longer reaches a window.
  EXPECT_TRUE(DrainMessages().empty());
  EXPECT_EQ(window_->Sdl(), nullptr);
  MSG msg{window_, WM_APP, 0, 0, 0};
  EXPECT_EQ(DispatchMessageW(&msg), 0);
  EXPECT_EQ(Calls().size(), 1u);
  RECT rect{};
  POINT point{};
  wchar_t text[8];
  EXPECT_FALSE(PostMessageW(window_, WM_APP, 0, 0));
  EXPECT_EQ(GetLastError(), EBADF);
  EXPECT_FALSE(PeekMessageW(&msg, window_, 0, 0, PM_REMOVE));
  EXPECT_FALSE(GetClientRect(window_, &rect));
  EXPECT_FALSE(SetWindowPos(window_, nullptr, 0, 0, 10, 10, SWP_SHOWWINDOW));
  EXPECT_FALSE(ScreenToClient(window_, &point));
  EXPECT_EQ(SetWindowLongW(window_, GWL_STYLE, LONG(WS_POPUP)), 0);
  EXPECT_EQ(GetWindowTextW(window_, text, 8), 0);
  EXPECT_FALSE(IsIconic(window_));
  EXPECT_FALSE(SetForegroundWindow(window_));
  EXPECT_FALSE(DestroyWindow(window_));
  EXPECT_EQ(GetLastError(), EBADF);
  EXPECT_EQ(Calls().size(), 1u) << "WM_DESTROY only once";
  EXPECT_EQ(FindWindowW(className_.c_str(), nullptr), nullptr);
  // The class is free to go now.
  EXPECT_TRUE(UnregisterClassW(className_.c_str(), nullptr));
  window_ = nullptr;
}

TEST_F(OsMessages, ScriptedInputIsTheOnlyInputWhileInstalled) {
  tav::fake::ScriptedInput input;
  input.Install();
  ASSERT_TRUE(SetWindowPos(window_, nullptr, 300, 200, 64, 64, 0));
  input.MoveCursor(5, 6);
  input.Deactivate();
  input.Wheel(-1);
  PushWindowEvent(SDL_WINDOWEVENT_CLOSE);  // a real event: ignored
  input.Press(VK_RETURN);                  // no Alt: no message
  input.Press(VK_LMENU);
  input.Press(VK_RETURN);
  input.Release(VK_LMENU);
  input.Activate();
  input.Close();

  std::vector<MSG> m = DrainMessages();
  ASSERT_EQ(m.size(), 7u);
  EXPECT_EQ(m[0].message, WM_ACTIVATE);
  EXPECT_EQ(m[0].wParam, WPARAM(WA_INACTIVE));
  EXPECT_EQ(m[1].message, WM_MOUSEWHEEL);
  EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(m[1].wParam), -120);
  EXPECT_EQ(m[1].lParam, MAKELPARAM(305, 206)) << "cursor on the screen";
  EXPECT_EQ(m[2].message, WM_SYSKEYDOWN);
  EXPECT_EQ(m[2].wParam, WPARAM(VK_MENU));
  EXPECT_EQ(m[3].message, WM_SYSKEYDOWN);
  EXPECT_EQ(m[3].wParam, WPARAM(VK_RETURN));
  EXPECT_EQ(m[4].message, WM_SYSKEYUP);
  EXPECT_EQ(m[4].wParam, WPARAM(VK_MENU));
  EXPECT_EQ(m[5].message, WM_ACTIVATE);
  EXPECT_EQ(m[5].wParam, WPARAM(WA_ACTIVE));
  EXPECT_EQ(m[6].message, WM_CLOSE);
  for (const MSG& msg : m) EXPECT_EQ(msg.hwnd, window_);
}

// A tap shorter than a frame: pressed and released between two polls.
TEST_F(OsMessages, APressReleasedBeforeThePollCountsAsDownForOneFrame) {
  PushButton(SDL_BUTTON_LEFT, true);
  PushButton(SDL_BUTTON_LEFT, false);
  PushKey(SDL_SCANCODE_SPACE, SDLK_SPACE, true, KMOD_NONE);
  PushKey(SDL_SCANCODE_SPACE, SDLK_SPACE, false, KMOD_NONE);
  PushKey(SDL_SCANCODE_F1, SDLK_F1, true, KMOD_NONE);  // a tap nobody reads
  PushKey(SDL_SCANCODE_F1, SDLK_F1, false, KMOD_NONE);
  DrainMessages();
  // The whole frame sees both, however often it reads them.
  for (int read = 0; read < 2; ++read) {
    EXPECT_TRUE(Down(VK_LBUTTON)) << read;
    EXPECT_TRUE(Down(VK_SPACE)) << read;
    EXPECT_FALSE(Down(VK_RBUTTON));
  }
  DrainMessages();
  EXPECT_FALSE(Down(VK_LBUTTON)) << "the next frame sees the button up";
  EXPECT_FALSE(Down(VK_SPACE));
  EXPECT_FALSE(Down(VK_F1)) << "a press unread for a frame does not act later";

  // Several pumps before a frame reads anything keep the press.
  PushButton(SDL_BUTTON_MIDDLE, true);
  PushButton(SDL_BUTTON_MIDDLE, false);
  DrainMessages();
  DrainMessages();
  EXPECT_TRUE(Down(VK_MBUTTON));

  // Scripted presses take the same road; a key held across frames stays down.
  tav::fake::ScriptedInput input;
  input.Install();
  input.Press(VK_LBUTTON);
  input.Release(VK_LBUTTON);
  input.Press(VK_RETURN);
  DrainMessages();
  EXPECT_TRUE(Down(VK_LBUTTON));
  EXPECT_TRUE(Down(VK_RETURN));
  for (int frame = 0; frame < 3; ++frame) {
    DrainMessages();
    EXPECT_FALSE(Down(VK_LBUTTON)) << frame;
    EXPECT_TRUE(Down(VK_RETURN)) << frame;
  }
  input.Release(VK_RETURN);
  DrainMessages();
  EXPECT_FALSE(Down(VK_RETURN));
}

}  // namespace
