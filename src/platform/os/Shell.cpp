#include "platform/os/Shell.h"

#include <SDL.h>

#include <cerrno>
#include <cstdlib>
#include <cwctype>
#include <string>
#include <vector>

#include "platform/os/Input.h"
#include "platform/os/LastError.h"
#include "platform/os/Locale.h"
#include "platform/os/WindowRegistry.h"

namespace tav::os {

namespace {

struct Button {
  int id;
  const char* text;
};

// The buttons of a box type, left to right, and the one that closing the box
// (or failing to show it) stands for.
std::vector<Button> ButtonsOf(UINT type, int& cancelId) {
  switch (type & 0xF) {
    case MB_OKCANCEL:
      cancelId = IDCANCEL;
      return {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
    case MB_YESNOCANCEL:
      cancelId = IDCANCEL;
      return {{IDYES, "Yes"}, {IDNO, "No"}, {IDCANCEL, "Cancel"}};
    case MB_YESNO:
      cancelId = IDNO;
      return {{IDYES, "Yes"}, {IDNO, "No"}};
    default:
      cancelId = IDOK;
      return {{IDOK, "OK"}};
  }
}

Uint32 IconFlags(UINT type) {
  switch (type & 0xF0) {
    case MB_ICONERROR: return SDL_MESSAGEBOX_ERROR;
    case MB_ICONWARNING: return SDL_MESSAGEBOX_WARNING;
    case MB_ICONINFORMATION: return SDL_MESSAGEBOX_INFORMATION;
    default: return 0;
  }
}

bool IsOpenOperation(LPCWSTR operation) {
  if (!operation) return true;
  std::wstring op(operation);
  for (wchar_t& c : op) c = wchar_t(std::towlower(wint_t(c)));
  return op == L"open";
}

HINSTANCE ShellResult(int code) { return reinterpret_cast<HINSTANCE>(intptr_t(code)); }

// Whether a box could be shown to anybody. Without a display, the desktop's
// dialog helper that the box may fall back on fails to start but still looks
// like a box that was closed, so the lack is caught here.
bool DisplayAvailable() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value && *value) return true;
  }
  return false;
}

}  // namespace

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  std::wstring body = text ? text : L"";
  std::wstring title = caption ? caption : L"Error";
  if (InputSource* input = InstalledInput()) return input->AnswerMessageBox(body, title, type);
  int cancelId = IDOK;
  std::vector<Button> buttons = ButtonsOf(type, cancelId);

  std::string bodyUtf8 = ToUtf8(body);
  std::string titleUtf8 = ToUtf8(title);
  size_t defaultIndex = (type & MB_DEFBUTTON2) && buttons.size() > 1 ? 1 : 0;
  std::vector<SDL_MessageBoxButtonData> data;
  for (size_t i = 0; i < buttons.size(); ++i) {
    Uint32 flags = 0;
    if (i == defaultIndex) flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
    if (buttons[i].id == cancelId) flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
    data.push_back(SDL_MessageBoxButtonData{flags, buttons[i].id, buttons[i].text});
  }
  SDL_MessageBoxData box{};
  box.flags = IconFlags(type) | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
  detail::WindowInfo info;
  int savedError = GetLastError();
  box.window = owner && detail::LookUpOwn(owner, info) ? info.sdl : nullptr;
  SetLastError(savedError);
  box.title = titleUtf8.c_str();
  box.message = bodyUtf8.c_str();
  box.numbuttons = int(data.size());
  box.buttons = data.data();

  int pressed = -1;
  if (!DisplayAvailable() || SDL_ShowMessageBox(&box, &pressed) != 0) {
    SetLastError(ENODEV);
    return cancelId;
  }
  return pressed < 0 ? cancelId : pressed;
}

HINSTANCE ShellExecuteW(HWND, LPCWSTR operation, LPCWSTR file, LPCWSTR, LPCWSTR, int) {
  constexpr int kSucceeded = 42;  // any value above 32 means success
  if (!file || !file[0] || !IsOpenOperation(operation)) {
    SetLastError(EINVAL);
    return ShellResult(SE_ERR_NOASSOC);
  }
  if (InputSource* input = InstalledInput()) {
    if (input->OpenUrl(file)) return ShellResult(kSucceeded);
    SetLastError(EACCES);
    return ShellResult(SE_ERR_NOASSOC);
  }
  if (SDL_OpenURL(ToUtf8(file).c_str()) != 0) {
    SetLastError(ENOENT);
    return ShellResult(SE_ERR_NOASSOC);
  }
  return ShellResult(kSucceeded);
}

}  // namespace tav::os
