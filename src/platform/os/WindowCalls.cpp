#include "platform/os/WindowCalls.h"

#include <SDL.h>

#include <algorithm>
#include <cerrno>
#include <map>
#include <mutex>

#include "platform/os/Icons.h"
#include "platform/os/Input.h"
#include "platform/os/LastError.h"
#include "platform/os/MessageQueue.h"
#include "platform/os/SingleInstance.h"
#include "platform/os/Window.h"
#include "platform/os/Locale.h"
#include "platform/os/WindowRegistry.h"

namespace tav::os {

namespace {

struct ClassRecord {
  std::wstring name;
  WNDPROC procedure = nullptr;
  HICON icon = nullptr;
  HICON smallIcon = nullptr;
  HCURSOR cursor = nullptr;
};

struct WindowRecord {
  std::unique_ptr<Window> window;
  std::wstring className;
  WNDPROC procedure = nullptr;
  std::wstring caption;
  DWORD style = 0;
  DWORD exStyle = 0;
  LONG_PTR userData = 0;
  uint64_t serial = 0;
  bool live = true;
  bool destroying = false;
  bool proxy = false;
};

struct Registry {
  std::mutex mutex;
  std::map<std::wstring, ClassRecord> classes;
  std::map<HWND, WindowRecord> windows;
  uint64_t nextSerial = 1;
};

// Never destroyed: windows and their handles stay valid until the process ends.
Registry& Reg() {
  static Registry* registry = new Registry;
  return *registry;
}

// The live own window of a handle; null with EBADF (EPERM for a proxy).
// Call with the registry locked.
WindowRecord* OwnRecord(HWND window) {
  Registry& reg = Reg();
  auto it = reg.windows.find(window);
  if (it == reg.windows.end() || !it->second.live) {
    SetLastError(EBADF);
    return nullptr;
  }
  if (it->second.proxy) {
    SetLastError(EPERM);
    return nullptr;
  }
  return &it->second;
}

// Applies a window style to the SDL window: WS_POPUP is borderless full
// screen on the window's display; anything else is windowed.
bool ApplyStyle(SDL_Window* sdl, DWORD style) {
  if (style & WS_POPUP) {
    SDL_SetWindowBordered(sdl, SDL_FALSE);
    if (SDL_SetWindowFullscreen(sdl, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) {
      SetLastError(EIO);
      return false;
    }
    return true;
  }
  if ((SDL_GetWindowFlags(sdl) & SDL_WINDOW_FULLSCREEN) && SDL_SetWindowFullscreen(sdl, 0) != 0) {
    SetLastError(EIO);
    return false;
  }
  SDL_SetWindowBordered(sdl, (style & WS_CAPTION) ? SDL_TRUE : SDL_FALSE);
  SDL_SetWindowResizable(sdl, (style & WS_THICKFRAME) ? SDL_TRUE : SDL_FALSE);
  return true;
}

int VideoDisplay() {
  HWND engine = detail::EngineWindow();
  detail::WindowInfo info;
  if (engine && detail::LookUpOwn(engine, info)) {
    int index = SDL_GetWindowDisplayIndex(info.sdl);
    if (index >= 0) return index;
  }
  return 0;
}

// The previous context handed out by ImmAssociateContext: text input was on.
int defaultInputContext;

}  // namespace

namespace detail {

bool ClassNameOf(LPCWSTR className, std::wstring& name) {
  if (!className || IS_INTRESOURCE(className)) {
    SetLastError(EINVAL);
    return false;
  }
  name = className;
  return true;
}

bool LookUp(HWND window, WindowInfo& info) {
  std::lock_guard lock(Reg().mutex);
  auto it = Reg().windows.find(window);
  if (it == Reg().windows.end() || !it->second.live) {
    SetLastError(EBADF);
    return false;
  }
  info.sdl = it->second.window->Sdl();
  info.procedure = it->second.procedure;
  info.className = it->second.className;
  info.proxy = it->second.proxy;
  return true;
}

bool LookUpOwn(HWND window, WindowInfo& info) {
  if (!LookUp(window, info)) return false;
  if (info.proxy) {
    SetLastError(EPERM);
    return false;
  }
  return true;
}

HWND FromSdl(SDL_Window* sdl) {
  if (!sdl) return nullptr;
  std::lock_guard lock(Reg().mutex);
  for (auto& [handle, record] : Reg().windows)
    if (record.live && !record.proxy && record.window->Sdl() == sdl) return handle;
  return nullptr;
}

HWND FromSdlId(Uint32 id) { return id ? FromSdl(SDL_GetWindowFromID(id)) : nullptr; }

HWND EngineWindow() {
  std::lock_guard lock(Reg().mutex);
  HWND first = nullptr;
  uint64_t serial = UINT64_MAX;
  for (auto& [handle, record] : Reg().windows) {
    if (record.live && !record.proxy && record.serial < serial) {
      first = handle;
      serial = record.serial;
    }
  }
  return first;
}

std::vector<HWND> WindowsOfClass(std::wstring_view className) {
  std::lock_guard lock(Reg().mutex);
  std::vector<std::pair<uint64_t, HWND>> found;
  for (auto& [handle, record] : Reg().windows)
    if (record.live && !record.proxy && record.className == className) found.emplace_back(record.serial, handle);
  std::sort(found.begin(), found.end());
  std::vector<HWND> result;
  for (auto& [serial, handle] : found) result.push_back(handle);
  return result;
}

}  // namespace detail

ATOM RegisterClassExW(const WNDCLASSEXW* windowClass) {
  if (!windowClass || windowClass->cbSize != sizeof(WNDCLASSEXW) || !windowClass->lpfnWndProc ||
      !windowClass->lpszClassName || IS_INTRESOURCE(windowClass->lpszClassName) ||
      !windowClass->lpszClassName[0]) {
    SetLastError(EINVAL);
    return 0;
  }
  ClassRecord record;
  record.name = windowClass->lpszClassName;
  record.procedure = windowClass->lpfnWndProc;
  record.icon = windowClass->hIcon;
  record.smallIcon = windowClass->hIconSm;
  record.cursor = windowClass->hCursor;
  {
    std::lock_guard lock(Reg().mutex);
    Registry& reg = Reg();
    if (reg.classes.count(record.name)) {
      SetLastError(EEXIST);
      return 0;
    }
    reg.classes.emplace(record.name, record);
  }
  // A failure here only means another copy is already running; the class is
  // usable either way.
  detail::ClaimInstance(record.name);
  return 1;
}

BOOL UnregisterClassW(LPCWSTR className, HINSTANCE) {
  std::wstring name;
  if (!detail::ClassNameOf(className, name)) return FALSE;
  {
    std::lock_guard lock(Reg().mutex);
    Registry& reg = Reg();
    if (!reg.classes.count(name)) {
      SetLastError(ENOENT);
      return FALSE;
    }
    for (auto& [handle, record] : reg.windows) {
      if (record.live && !record.proxy && record.className == name) {
        SetLastError(EBUSY);
        return FALSE;
      }
    }
    reg.classes.erase(name);
  }
  detail::ReleaseInstance(name);
  return TRUE;
}

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR caption, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU, HINSTANCE, void*) {
  std::wstring name;
  if (!detail::ClassNameOf(className, name)) return nullptr;
  if (parent) {  // the engine makes top-level windows only
    SetLastError(ENOTSUP);
    return nullptr;
  }
  ClassRecord cls;
  {
    std::lock_guard lock(Reg().mutex);
    auto it = Reg().classes.find(name);
    if (it == Reg().classes.end()) {
      SetLastError(ENOENT);
      return nullptr;
    }
    cls = it->second;
  }
  if (width == CW_USEDEFAULT || width < 1) width = 1;
  if (height == CW_USEDEFAULT || height < 1) height = 1;
  std::wstring title = caption ? caption : L"";
  std::unique_ptr<Window> window(Window::Create(title, width, height, false));
  if (!window) {
    SetLastError(ENODEV);
    return nullptr;
  }
  SDL_Window* sdl = window->Sdl();
  if (x != CW_USEDEFAULT) SDL_SetWindowPosition(sdl, x, y);
  if (!ApplyStyle(sdl, style)) return nullptr;
  if (exStyle & WS_EX_TOPMOST) SDL_SetWindowAlwaysOnTop(sdl, SDL_TRUE);
  if (SDL_Surface* icon = IconSurface(cls.icon ? cls.icon : cls.smallIcon)) SDL_SetWindowIcon(sdl, icon);
  if (cls.cursor) SetCursor(cls.cursor);

  HWND handle = window.get();
  {
    std::lock_guard lock(Reg().mutex);
    WindowRecord& record = Reg().windows[handle];
    record.window = std::move(window);
    record.className = name;
    record.procedure = cls.procedure;
    record.caption = title;
    record.style = style;
    record.exStyle = exStyle;
    record.serial = Reg().nextSerial++;
  }
  detail::ClaimInstance(name);
  if (style & WS_VISIBLE) SDL_ShowWindow(sdl);
  return handle;
}

BOOL DestroyWindow(HWND window) {
  WNDPROC procedure;
  {
    std::lock_guard lock(Reg().mutex);
    WindowRecord* record = OwnRecord(window);
    if (!record) return FALSE;
    if (record->destroying) {
      SetLastError(EBADF);
      return FALSE;
    }
    record->destroying = true;
    procedure = record->procedure;
  }
  // The window still exists while its procedure handles WM_DESTROY, as the
  // device it presents into may be released there.
  procedure(window, WM_DESTROY, 0, 0);
  {
    std::lock_guard lock(Reg().mutex);
    Reg().windows[window].live = false;
  }
  window->DestroyNative();
  detail::DropMessagesFor(window);
  return TRUE;
}

LONG SetWindowLongW(HWND window, int index, LONG value) {
  SetLastError(0);
  SDL_Window* sdl;
  LONG previous;
  {
    std::lock_guard lock(Reg().mutex);
    WindowRecord* record = OwnRecord(window);
    if (!record) return 0;
    sdl = record->window->Sdl();
    if (index == GWL_STYLE) {
      previous = LONG(record->style);
    } else if (index == GWL_EXSTYLE) {
      previous = LONG(record->exStyle);
    } else {
      SetLastError(EINVAL);
      return 0;
    }
  }
  if (index == GWL_STYLE) {
    if (!ApplyStyle(sdl, DWORD(value))) return 0;
  } else {
    SDL_SetWindowAlwaysOnTop(sdl, (DWORD(value) & WS_EX_TOPMOST) ? SDL_TRUE : SDL_FALSE);
  }
  std::lock_guard lock(Reg().mutex);
  if (WindowRecord* record = OwnRecord(window)) (index == GWL_STYLE ? record->style : record->exStyle) = DWORD(value);
  return previous;
}

namespace {
// The window's user-data slot; null (with the last error set) for a window
// that is not ours or an index other than GWLP_USERDATA. Call under the lock.
LONG_PTR* UserDataSlot(HWND window, int index) {
  SetLastError(0);
  WindowRecord* record = OwnRecord(window);
  if (!record) return nullptr;
  if (index != GWLP_USERDATA) {
    SetLastError(EINVAL);
    return nullptr;
  }
  return &record->userData;
}
}  // namespace

LONG_PTR SetWindowLongPtrW(HWND window, int index, LONG_PTR value) {
  std::lock_guard lock(Reg().mutex);
  LONG_PTR* slot = UserDataSlot(window, index);
  if (!slot) return 0;
  const LONG_PTR previous = *slot;
  *slot = value;
  return previous;
}

LONG_PTR GetWindowLongPtrW(HWND window, int index) {
  std::lock_guard lock(Reg().mutex);
  const LONG_PTR* slot = UserDataSlot(window, index);
  return slot ? *slot : 0;
}

BOOL AdjustWindowRectEx(RECT* rect, DWORD, BOOL, DWORD) {
  if (!rect) {
    SetLastError(EINVAL);
    return FALSE;
  }
  return TRUE;
}

BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  detail::WindowInfo info;
  if (!detail::LookUpOwn(window, info)) return FALSE;
  if (!(flags & SWP_NOZORDER)) {
    if (insertAfter == HWND_TOPMOST) SDL_SetWindowAlwaysOnTop(info.sdl, SDL_TRUE);
    if (insertAfter == HWND_NOTOPMOST) SDL_SetWindowAlwaysOnTop(info.sdl, SDL_FALSE);
  }
  if (!(flags & SWP_NOSIZE)) SDL_SetWindowSize(info.sdl, cx < 1 ? 1 : cx, cy < 1 ? 1 : cy);
  if (!(flags & SWP_NOMOVE)) SDL_SetWindowPosition(info.sdl, x, y);
  if (flags & SWP_SHOWWINDOW) SDL_ShowWindow(info.sdl);
  if (flags & SWP_HIDEWINDOW) SDL_HideWindow(info.sdl);
  return TRUE;
}

int GetSystemMetrics(int index) {
  if (index != SM_CXSCREEN && index != SM_CYSCREEN && index != SM_CXFULLSCREEN && index != SM_CYFULLSCREEN) {
    SetLastError(EINVAL);
    return 0;
  }
  if (!StartVideo()) {
    SetLastError(ENODEV);
    return 0;
  }
  int display = VideoDisplay();
  SDL_Rect bounds{};
  bool whole = index == SM_CXSCREEN || index == SM_CYSCREEN;
  int failed = whole ? SDL_GetDisplayBounds(display, &bounds) : SDL_GetDisplayUsableBounds(display, &bounds);
  if (failed) {
    SetLastError(ENODEV);
    return 0;
  }
  return index == SM_CXSCREEN || index == SM_CXFULLSCREEN ? bounds.w : bounds.h;
}

BOOL SetWindowTextW(HWND window, LPCWSTR text) {
  std::wstring caption = text ? text : L"";
  SDL_Window* sdl;
  {
    std::lock_guard lock(Reg().mutex);
    WindowRecord* record = OwnRecord(window);
    if (!record) return FALSE;
    record->caption = caption;
    sdl = record->window->Sdl();
  }
  SDL_SetWindowTitle(sdl, ToUtf8(caption).c_str());
  return TRUE;
}

int GetWindowTextW(HWND window, LPWSTR buffer, int maxCount) {
  if (!buffer || maxCount < 1) {
    SetLastError(EINVAL);
    return 0;
  }
  buffer[0] = L'\0';
  std::lock_guard lock(Reg().mutex);
  WindowRecord* record = OwnRecord(window);
  if (!record) return 0;
  size_t count = std::min(record->caption.size(), size_t(maxCount - 1));
  record->caption.copy(buffer, count);
  buffer[count] = L'\0';
  return int(count);
}

BOOL GetClientRect(HWND window, RECT* rect) {
  if (!rect) {
    SetLastError(EINVAL);
    return FALSE;
  }
  detail::WindowInfo info;
  if (!detail::LookUpOwn(window, info)) return FALSE;
  int width = 0, height = 0;
  SDL_GetWindowSize(info.sdl, &width, &height);
  *rect = RECT{0, 0, width, height};
  return TRUE;
}

BOOL IsIconic(HWND window) {
  detail::WindowInfo info;
  if (!detail::LookUp(window, info)) return FALSE;
  if (info.proxy) {
    bool iconic = false;
    return detail::SendInstanceRequest(info.className, InstanceRequest::QueryIconic, &iconic) && iconic;
  }
  return (SDL_GetWindowFlags(info.sdl) & SDL_WINDOW_MINIMIZED) ? TRUE : FALSE;
}

BOOL OpenIcon(HWND window) {
  detail::WindowInfo info;
  if (!detail::LookUp(window, info)) return FALSE;
  if (info.proxy) return detail::SendInstanceRequest(info.className, InstanceRequest::Restore, nullptr);
  SDL_RestoreWindow(info.sdl);
  return TRUE;
}

BOOL SetForegroundWindow(HWND window) {
  detail::WindowInfo info;
  if (!detail::LookUp(window, info)) return FALSE;
  if (info.proxy) return detail::SendInstanceRequest(info.className, InstanceRequest::Raise, nullptr);
  SDL_RaiseWindow(info.sdl);
  return TRUE;
}

HWND GetActiveWindow() {
  if (InputSource* input = InstalledInput()) return input->Active() ? detail::EngineWindow() : nullptr;
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return nullptr;
  return detail::FromSdl(SDL_GetKeyboardFocus());
}

HIMC ImmAssociateContext(HWND window, HIMC context) {
  detail::WindowInfo info;
  if (!detail::LookUpOwn(window, info)) return nullptr;
  HIMC previous = SDL_IsTextInputActive() ? &defaultInputContext : nullptr;
  if (context)
    SDL_StartTextInput();
  else
    SDL_StopTextInput();
  return previous;
}

HWND FindWindowW(LPCWSTR className, LPCWSTR) {
  std::wstring name;
  if (!detail::ClassNameOf(className, name)) return nullptr;
  std::vector<HWND> own = detail::WindowsOfClass(name);
  if (!own.empty()) return own.front();
  if (detail::HoldsInstance(name) || !detail::OtherInstanceRunning(name)) return nullptr;
  // One handle per class stands for the other copy's window.
  std::lock_guard lock(Reg().mutex);
  for (auto& [handle, record] : Reg().windows)
    if (record.proxy && record.className == name) return handle;
  std::unique_ptr<Window> placeholder = Window::Placeholder();
  HWND handle = placeholder.get();
  WindowRecord& record = Reg().windows[handle];
  record.window = std::move(placeholder);
  record.className = name;
  record.proxy = true;
  record.serial = Reg().nextSerial++;
  return handle;
}

}  // namespace tav::os
