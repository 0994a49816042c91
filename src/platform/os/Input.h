#pragma once
// Keyboard and mouse state by virtual-key code, the cursor position and the
// cursor shape. The real state comes from SDL; an installed input source
// (scripted input of tests and the replay harness) replaces it completely.
#include <string_view>

#include "platform/os/WinTypes.h"

namespace tav::os {

// 0x8000 while the key or mouse button is down, and for the whole frame after
// a press that was already released again (PressLatch.h); else 0. Keyboard keys are read
// from SDL's keyboard state (which follows the focused window and is updated by
// PeekMessageW); VK_SHIFT, VK_CONTROL and VK_MENU cover both sides; mouse buttons
// are read from the global mouse state.
SHORT GetAsyncKeyState(int vk);

// Cursor position in screen coordinates. FALSE when `point` is null.
BOOL GetCursorPos(POINT* point);
// Moves the cursor to a point in screen coordinates.
BOOL SetCursorPos(int x, int y);
// Converts between screen coordinates and the client area of a window.
BOOL ScreenToClient(HWND window, POINT* point);
BOOL ClientToScreen(HWND window, POINT* point);

// The system cursors IDC_ARROW, IDC_WAIT, IDC_SIZEALL, ... (instance null). The
// handle stays valid for the life of the process. Where the video driver has no
// cursors (headless runs) the handle still works and SetCursor only records it.
HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name);
// Shows `cursor` (null hides it) and returns the previous one.
HCURSOR SetCursor(HCURSOR cursor);

// Input that does not come from SDL. While one is installed, the real
// keyboard, mouse, focus, wheel and close events are ignored, so a run depends
// only on its script.
struct InputEvent {
  enum class Kind { Close, Activate, Deactivate, Wheel, KeyDown, KeyUp };
  Kind kind = Kind::Close;
  int value = 0;         // wheel notches (positive: away from the user) or a virtual key
  bool altHeld = false;  // for keys: Alt was down once the key changed
};

class InputSource {
 public:
  virtual ~InputSource() = default;
  virtual bool KeyDown(int vk) = 0;
  // Cursor in client coordinates of the engine window.
  virtual POINT Cursor() = 0;
  virtual void MoveCursor(POINT client) = 0;
  // Whether the engine window has the keyboard focus.
  virtual bool Active() = 0;
  // The next event for the message queue, in the order they happened.
  virtual bool NextEvent(InputEvent& event) = 0;
  // The button the user picks in a message box (IDYES, IDNO, ...).
  virtual int AnswerMessageBox(std::wstring_view text, std::wstring_view caption, UINT type) = 0;
  // Takes a request to open an address in the browser; false refuses it.
  virtual bool OpenUrl(std::wstring_view url) = 0;
};

// Makes the input calls, the message queue and the shell dialogs use `source`
// (null: the real devices). Install and remove it on the engine's thread.
void InstallInput(InputSource* source);
InputSource* InstalledInput();

namespace detail {
// The pointer's position and buttons on the screen are asked of the display
// server once a frame; the pump calls this as a new frame's events come in.
void ForgetGlobalMouse();
}  // namespace detail

}  // namespace tav::os
