#pragma once
// The message queue. There is one queue for the process (the engine runs its
// window on one thread); it holds posted messages and the messages translated
// from SDL events, in the order they arrived:
//   close request of the window (close box; Alt+F4 from the window manager),
//   also SDL_QUIT (a terminal's Ctrl+C)           -> WM_CLOSE
//   keyboard focus gained / lost                  -> WM_ACTIVATE, WA_ACTIVE / WA_INACTIVE
//   mouse wheel                                    -> WM_MOUSEWHEEL, wParam high word = notches * 120
//                                                    (signed), lParam = cursor in screen coordinates
//   key down / up while Alt is held, Alt, F10     -> WM_SYSKEYDOWN / WM_SYSKEYUP with the virtual key
//   window uncovered, shown, restored or resized  -> WM_PAINT
// The minimised state is not reported in WM_ACTIVATE (its high word is 0).
#include "platform/os/WinTypes.h"

namespace tav::os {

// Pumps SDL events and serves requests of other instances, then takes the first
// message for `window` (null: any) whose number is in [filterMin, filterMax]
// (both 0: any). WM_QUIT passes every number filter. With PM_REMOVE the
// message leaves the queue. FALSE when there is none.
BOOL PeekMessageW(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags);
// Appends a message for a window of this process (null: for the thread).
// FALSE for a handle that is not a live window (EBADF) or a full queue
// (EAGAIN, 10000 messages).
BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Appends WM_QUIT with wParam = exitCode.
void PostQuitMessage(int exitCode);
// Calls the window procedure of the message's window and returns its result.
// WM_QUIT and messages without a window are not dispatched (0).
LRESULT DispatchMessageW(const MSG* message);
// What the procedure does not handle: Alt+F4 (WM_SYSKEYDOWN with VK_F4) posts
// WM_CLOSE to the window; every message returns 0.
LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace tav::os
