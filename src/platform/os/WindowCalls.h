#pragma once
// Window classes and windows. A window is an SDL OpenGL window (tav::os::Window)
// that the engine addresses by its HWND. Failures return the usual failure
// value (0, FALSE or null) and set the last error to an errno code:
// EBADF for a handle that is not a live window, EINVAL for bad arguments.
#include "platform/os/WinTypes.h"

namespace tav::os {

// Keeps the class's procedure, name, cursor and icons. The first process that
// registers a class name becomes the single instance for that name (see
// SingleInstance.h). 0 when cbSize is wrong, the procedure or name is missing,
// or the name is taken (EEXIST); a nonzero value otherwise (classes are named
// by their name only, never by this value).
ATOM RegisterClassExW(const WNDCLASSEXW* windowClass);
// FALSE while windows of the class exist (EBUSY) or the class is unknown (ENOENT).
BOOL UnregisterClassW(LPCWSTR className, HINSTANCE instance);

// Makes a hidden window of a registered class (visible with WS_VISIBLE). A size
// of CW_USEDEFAULT or less than 1 becomes 1 x 1 until SetWindowPos sizes it. The
// class's large icon (else the small one) becomes the window icon.
HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR caption, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, void* param);
// Calls the procedure with WM_DESTROY, then closes the SDL window and drops the
// window's queued messages. The handle stays a valid address: every later call
// on it fails with EBADF (and Sdl() on it is null), so it never dangles.
BOOL DestroyWindow(HWND window);

// GWL_STYLE: WS_POPUP makes the window borderless full screen on its display;
// otherwise the window is windowed, with a border when WS_CAPTION is set.
// Returns the previous value; 0 with the last error set on failure (the last
// error is cleared on success, so a previous value of 0 can be told apart).
LONG SetWindowLongW(HWND window, int index, LONG value);
// GWLP_USERDATA only: a value the window keeps for its owner (0 at first).
// Returns the previous value; 0 with the last error set on failure.
LONG_PTR SetWindowLongPtrW(HWND window, int index, LONG_PTR value);
LONG_PTR GetWindowLongPtrW(HWND window, int index);

// SDL sizes and places the client area and the window manager adds the frame
// outside it, so the outer rectangle of a client rectangle is the client
// rectangle itself: `rect` is left as it is.
BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL menu, DWORD exStyle);
// Moves (unless SWP_NOMOVE) and sizes (unless SWP_NOSIZE) the client area,
// shows it with SWP_SHOWWINDOW and hides it with SWP_HIDEWINDOW. HWND_TOPMOST
// and HWND_NOTOPMOST set and clear "always on top"; other z-orders are left to
// the window manager.
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
// SM_CXSCREEN / SM_CYSCREEN: the bounds of the engine window's display;
// SM_CXFULLSCREEN / SM_CYFULLSCREEN: its usable bounds (without panels).
// Display 0 when there is no window. 0 when unknown.
int GetSystemMetrics(int index);

BOOL SetWindowTextW(HWND window, LPCWSTR text);
// Copies at most maxCount - 1 characters and a terminating NUL; returns the
// number of characters copied.
int GetWindowTextW(HWND window, LPWSTR buffer, int maxCount);
// {0, 0, width, height} of the client area.
BOOL GetClientRect(HWND window, RECT* rect);

// Minimised state; for a window of another instance (from FindWindowW) the
// other process is asked.
BOOL IsIconic(HWND window);
// Restores a minimised window.
BOOL OpenIcon(HWND window);
// Raises the window and asks for the keyboard focus.
BOOL SetForegroundWindow(HWND window);
// The engine window that has the keyboard focus, else null.
HWND GetActiveWindow();
// A null context switches text input (the input method) off; any other value
// switches it on. Returns the previous context, which is always null here.
HIMC ImmAssociateContext(HWND window, HIMC context);

// A window of the class: this process's own live window, else a handle for
// the window of another running instance that registered the class first
// (see SingleInstance.h). The window name is not compared. Null when there is
// none.
HWND FindWindowW(LPCWSTR className, LPCWSTR windowName);

}  // namespace tav::os
