#pragma once
// The one game window: creation with the single-instance check, its windowed
// and full-screen shapes, the window procedure and the message loop.
#include <string>

#include "platform/os/WinTypes.h"

namespace tav {

class CGame;

// The message that destroys the game window; the quit dialog posts it.
inline constexpr UINT kDestroyGameWindow = WM_APP + 1;

inline constexpr LONG kWindowedStyle = LONG(WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);

// Writes what it learns into the input record of the game that made the window.
LRESULT GameWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// False when another copy runs (it is brought forward) or the window or the
// device cannot be made.
bool CreateGameWindow(HICON smallIcon, const std::wstring& title, CGame& game, int width, int height, bool windowed,
                      HICON largeIcon);

// Switches between window and full screen.
bool ApplyWindowMode(CGame& game);
// The wait cursor while something slow runs, the arrow again after.
void ShowWaitCursor(bool wait);

// Drains messages, runs one frame, sleeps 1 ms; returns WM_QUIT's code.
int RunMessageLoop(CGame& game);

}  // namespace tav
