#include "platform/os/Input.h"

#include <SDL.h>

#include <atomic>
#include <cerrno>
#include <iterator>
#include <mutex>

#include "platform/os/KeyMap.h"
#include "platform/os/LastError.h"
#include "platform/os/PressLatch.h"
#include "platform/os/WindowRegistry.h"

namespace tav::os {

struct CursorObject {
  WORD id;
  SDL_SystemCursor shape;
  SDL_Cursor* sdl;  // made on first use; stays null where the driver has no cursors
};

namespace {

std::atomic<InputSource*> installedInput{nullptr};

CursorObject systemCursors[] = {
    {32512, SDL_SYSTEM_CURSOR_ARROW, nullptr},     {32513, SDL_SYSTEM_CURSOR_IBEAM, nullptr},
    {32514, SDL_SYSTEM_CURSOR_WAIT, nullptr},      {32515, SDL_SYSTEM_CURSOR_CROSSHAIR, nullptr},
    {32646, SDL_SYSTEM_CURSOR_SIZEALL, nullptr},   {32648, SDL_SYSTEM_CURSOR_NO, nullptr},
    {32649, SDL_SYSTEM_CURSOR_HAND, nullptr},
};
std::mutex cursorMutex;
HCURSOR currentCursor = nullptr;

// The window SetCursorPos last placed the cursor in, on a driver that cannot
// place it on the screen: until the mouse enters a window, SDL's position is
// relative to that window.
std::atomic<SDL_Window*> warpedInto{nullptr};

bool IsSystemCursor(HCURSOR cursor) {
  for (CursorObject& object : systemCursors)
    if (&object == cursor) return true;
  return false;
}

// The top-left corner of a window's client area on the screen, (0, 0) without
// a window.
POINT ClientOrigin(HWND window) {
  POINT origin{0, 0};
  detail::WindowInfo info;
  if (window && detail::LookUpOwn(window, info)) SDL_GetWindowPosition(info.sdl, &origin.x, &origin.y);
  return origin;
}

// The pointer as the display server last gave it. Each question is a round
// trip to the server, and a frame asks for several buttons and the position,
// so between two pumps of the message queue it is asked once.
struct GlobalMouse {
  bool known = false;
  int x = 0, y = 0;
  Uint32 buttons = 0;
};
std::mutex globalMouseMutex;
GlobalMouse globalMouse;

Uint32 GlobalMouseState(int* x, int* y) {
  std::lock_guard lock(globalMouseMutex);
  if (!globalMouse.known) {
    globalMouse.buttons = SDL_GetGlobalMouseState(&globalMouse.x, &globalMouse.y);
    globalMouse.known = true;
  }
  if (x) *x = globalMouse.x;
  if (y) *y = globalMouse.y;
  return globalMouse.buttons;
}

bool IsMouseButton(int vk) {
  return vk == VK_LBUTTON || vk == VK_RBUTTON || vk == VK_MBUTTON || vk == VK_XBUTTON1 || vk == VK_XBUTTON2;
}

Uint32 ButtonMask(int vk) {
  switch (vk) {
    case VK_LBUTTON: return SDL_BUTTON_LMASK;
    case VK_RBUTTON: return SDL_BUTTON_RMASK;
    case VK_MBUTTON: return SDL_BUTTON_MMASK;
    case VK_XBUTTON1: return SDL_BUTTON_X1MASK;
    default: return SDL_BUTTON_X2MASK;
  }
}

}  // namespace

void InstallInput(InputSource* source) { installedInput.store(source); }
InputSource* InstalledInput() { return installedInput.load(); }

SHORT GetAsyncKeyState(int vk) {
  constexpr SHORT kDown = SHORT(0x8000);
  // A press that came and went since the last poll counts as down for the
  // frame that reads it, so that no click is lost between two frames.
  if (detail::PressNoted(vk)) return kDown;
  if (InputSource* input = installedInput.load()) return input->KeyDown(vk) ? kDown : 0;
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return 0;
  if (IsMouseButton(vk)) return (GlobalMouseState(nullptr, nullptr) & ButtonMask(vk)) ? kDown : 0;
  int count = 0;
  const Uint8* state = SDL_GetKeyboardState(&count);
  return detail::KeyboardKeyDown(vk, state, count) ? kDown : 0;
}

BOOL GetCursorPos(POINT* point) {
  if (!point) {
    SetLastError(EINVAL);
    return FALSE;
  }
  if (InputSource* input = installedInput.load()) {
    POINT client = input->Cursor();
    POINT origin = ClientOrigin(detail::EngineWindow());
    *point = POINT{client.x + origin.x, client.y + origin.y};
    return TRUE;
  }
  if (!SDL_WasInit(SDL_INIT_VIDEO)) {
    SetLastError(ENODEV);
    return FALSE;
  }
  // Over one of the process's windows SDL knows the position within it exactly;
  // elsewhere the driver is asked for the position on the screen.
  SDL_Window* focus = SDL_GetMouseFocus();
  if (!focus && detail::FromSdl(warpedInto.load())) focus = warpedInto.load();
  if (focus) {
    int x = 0, y = 0, left = 0, top = 0;
    SDL_GetMouseState(&x, &y);
    SDL_GetWindowPosition(focus, &left, &top);
    *point = POINT{left + x, top + y};
    return TRUE;
  }
  int x = 0, y = 0;
  GlobalMouseState(&x, &y);
  *point = POINT{x, y};
  return TRUE;
}

BOOL SetCursorPos(int x, int y) {
  if (InputSource* input = installedInput.load()) {
    POINT origin = ClientOrigin(detail::EngineWindow());
    input->MoveCursor(POINT{x - origin.x, y - origin.y});
    return TRUE;
  }
  if (!SDL_WasInit(SDL_INIT_VIDEO)) {
    SetLastError(ENODEV);
    return FALSE;
  }
  detail::ForgetGlobalMouse();
  if (SDL_WarpMouseGlobal(x, y) == 0) {
    warpedInto.store(nullptr);
    return TRUE;
  }
  // Drivers that cannot place the cursor on the screen can still place it in
  // a window of the process.
  SDL_Window* target = SDL_GetMouseFocus();
  if (!target) {
    detail::WindowInfo info;
    HWND engine = detail::EngineWindow();
    if (engine && detail::LookUpOwn(engine, info)) target = info.sdl;
  }
  if (!target) {
    SetLastError(ENODEV);
    return FALSE;
  }
  int left = 0, top = 0;
  SDL_GetWindowPosition(target, &left, &top);
  SDL_WarpMouseInWindow(target, x - left, y - top);
  warpedInto.store(target);
  return TRUE;
}

namespace detail {

void ForgetGlobalMouse() {
  std::lock_guard lock(globalMouseMutex);
  globalMouse.known = false;
}

}  // namespace detail

namespace {
// Moves `point` by the window's client origin, times `sign`.
BOOL OffsetByClientOrigin(HWND window, POINT* point, int sign) {
  detail::WindowInfo info;
  if (!detail::LookUpOwn(window, info)) return FALSE;
  if (!point) {
    SetLastError(EINVAL);
    return FALSE;
  }
  int left = 0, top = 0;
  SDL_GetWindowPosition(info.sdl, &left, &top);
  point->x += sign * left;
  point->y += sign * top;
  return TRUE;
}
}  // namespace

BOOL ScreenToClient(HWND window, POINT* point) { return OffsetByClientOrigin(window, point, -1); }

BOOL ClientToScreen(HWND window, POINT* point) { return OffsetByClientOrigin(window, point, +1); }

HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name) {
  // The runtime has no cursor resources of its own, only the system's.
  if (!instance && IS_INTRESOURCE(name)) {
    WORD id = WORD(reinterpret_cast<uintptr_t>(name));
    for (CursorObject& object : systemCursors)
      if (object.id == id) return &object;
  }
  SetLastError(ENOENT);
  return nullptr;
}

HCURSOR SetCursor(HCURSOR cursor) {
  if (cursor && !IsSystemCursor(cursor)) {
    SetLastError(EBADF);
    return nullptr;
  }
  std::lock_guard lock(cursorMutex);
  HCURSOR previous = currentCursor;
  currentCursor = cursor;
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return previous;
  if (!cursor) {
    SDL_ShowCursor(SDL_DISABLE);
    return previous;
  }
  if (!cursor->sdl) cursor->sdl = SDL_CreateSystemCursor(cursor->shape);
  if (cursor->sdl) SDL_SetCursor(cursor->sdl);
  SDL_ShowCursor(SDL_ENABLE);
  return previous;
}

}  // namespace tav::os
