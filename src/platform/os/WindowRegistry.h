#pragma once
// The window classes and windows this process made, shared by the window,
// message, input and single-instance calls. Handles are looked up by address
// before anything is read through them, so a stale or foreign HWND is
// refused instead of followed. Records are kept for the life of the process:
// a destroyed window keeps its (empty) Window object, so its address is never
// reused for another window.
#include <SDL.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/os/WinTypes.h"

namespace tav::os::detail {

// What a call needs to know about a live window, copied out of the registry so
// the procedure can be called without holding its lock.
struct WindowInfo {
  SDL_Window* sdl = nullptr;  // null for a window of another instance
  WNDPROC procedure = nullptr;
  std::wstring className;
  bool proxy = false;  // stands for the window of another instance
};

// Fills `info` for a live window or proxy; otherwise sets EBADF and returns false.
bool LookUp(HWND window, WindowInfo& info);
// Like LookUp, but only for this process's own live windows (EBADF otherwise,
// EPERM for a proxy).
bool LookUpOwn(HWND window, WindowInfo& info);
// The own live window shown by an SDL window id, else null.
HWND FromSdlId(Uint32 id);
HWND FromSdl(SDL_Window* window);
// The first created own live window: where scripted input goes.
HWND EngineWindow();
// Own live windows of a class, oldest first.
std::vector<HWND> WindowsOfClass(std::wstring_view className);

// The class name a window call was given; false (EINVAL) for null or a
// number in place of a name (classes are known by name only).
bool ClassNameOf(LPCWSTR className, std::wstring& name);

}  // namespace tav::os::detail
