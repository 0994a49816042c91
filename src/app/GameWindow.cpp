#include "app/GameWindow.h"

#include "app/Game.h"
#include "audio/SoundCommands.h"
#include "core/ErrorLog.h"
#include "platform/os/Clock.h"
#include "platform/os/FramePacer.h"
#include "platform/os/Input.h"
#include "platform/os/LastError.h"
#include "platform/os/Messages.h"
#include "platform/os/WindowCalls.h"

namespace tav {

LRESULT GameWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CGame* game = reinterpret_cast<CGame*>(os::GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case WM_MOUSEWHEEL:
      if (game) game->input.wheelDelta = int16_t(HIWORD(wParam));
      break;
    case WM_ACTIVATE:
      // Sound stops while another window has the focus and goes on where it was.
      if (LOWORD(wParam) == WA_INACTIVE)
        CXAudio2::PauseAll();
      else
        CXAudio2::ResumeAll();
      break;
    case WM_PAINT:
      if (game) game->device.InvalidateFrame();
      return 0;
    case WM_CLOSE:
      // Only a request: the quit dialog asks the player first.
      if (game) game->input.closeRequested = true;
      return 0;
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_TIMER:
      return 0;  // Alt and F10 never open a system menu
    case kDestroyGameWindow:
      os::DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      os::PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return os::DefWindowProcW(window, message, wParam, lParam);
}

void ShowWaitCursor(bool wait) { os::SetCursor(os::LoadCursorW(nullptr, wait ? IDC_WAIT : IDC_ARROW)); }

namespace {

// Outer size and centred position of a window of the given client size.
bool CentredRect(int width, int height, RECT& rect, int& x, int& y) {
  rect = {0, 0, width, height};
  if (!os::AdjustWindowRectEx(&rect, DWORD(kWindowedStyle), 0, 0)) return false;
  int outerWidth = rect.right - rect.left, outerHeight = rect.bottom - rect.top;
  // A window larger than the work area ends up partly off its top left.
  x = (os::GetSystemMetrics(SM_CXFULLSCREEN) - outerWidth) / 2;
  y = (os::GetSystemMetrics(SM_CYFULLSCREEN) - outerHeight) / 2;
  return true;
}

bool SetStyle(HWND window, LONG style) {
  os::SetLastError(0);
  return os::SetWindowLongW(window, GWL_STYLE, style) != 0 || os::GetLastError() == 0;
}

}  // namespace

bool CreateGameWindow(HICON smallIcon, const std::wstring& title, CGame& game, int width, int height, bool windowed,
                      HICON largeIcon) {
  if (HWND other = os::FindWindowW(title.c_str(), nullptr)) {
    if (os::IsIconic(other))
      os::OpenIcon(other);
    else
      os::SetForegroundWindow(other);
    return false;
  }

  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = 0x88;  // double clicks, parent DC
  windowClass.lpfnWndProc = GameWindowProc;
  windowClass.hIcon = largeIcon;
  windowClass.hCursor = os::LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = title.c_str();
  windowClass.hIconSm = smallIcon;
  if (!os::RegisterClassExW(&windowClass)) {
    LogLastError();
    return false;
  }
  HWND window = os::CreateWindowExW(0, title.c_str(), title.c_str(), 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  if (!window) {
    LogLastError();
    return false;
  }
  game.window = window;
  game.className = title;
  game.clientWidth = width;
  game.clientHeight = height;
  os::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&game));

  if (windowed) {
    RECT rect;
    int x, y;
    if (!SetStyle(window, kWindowedStyle) || !CentredRect(width, height, rect, x, y) ||
        !os::SetWindowPos(window, nullptr, x, y, rect.right - rect.left, rect.bottom - rect.top,
                          SWP_SHOWWINDOW | SWP_FRAMECHANGED)) {
      LogLastError();
      return false;
    }
  } else if (!SetStyle(window, LONG(WS_POPUP)) ||
             !os::SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_FRAMECHANGED)) {
    LogLastError();
    return false;
  }

  if (!game.device.InitDevice(window, UINT(width), UINT(height), windowed)) return false;
  game.SetFrame([&game] { return game.Frame(); });
  game.taskState = &game.device.state;
  os::ImmAssociateContext(window, nullptr);
  return true;
}

namespace {

// Gives the device the mode its presentation parameters now hold: every
// restorable object is released, the device reset, then all re-made. A
// device that the reset found lost is re-made by the frames' device step.
// A reset refused for any other reason (the display cannot show the mode)
// leaves the state as it was, yet the device did not take the mode: that
// is a failure, logged here.
bool ResetForMode(CGame& game) {
  CBaseD3D& device = game.device;
  std::vector<CRestore*> restorables = game.RestorableList();
  if (!device.ReleaseForReset(restorables)) return false;
  if (device.state == DeviceState::Ok && FAILED(device.lastReset)) {
    LogHResult(device.lastReset, ex ? L"ResetEx" : L"Reset");
    return false;
  }
  return device.state != DeviceState::Ok || device.RestoreAfterReset(restorables, game.afterReset);
}

// Places the window for the mode: centred at its client size in window
// mode, over the whole display in full screen.
bool PlaceWindow(const CGame& game, bool windowed) {
  HWND window = game.window;
  if (!windowed) return os::SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_FRAMECHANGED);
  RECT rect;
  int x, y;
  return CentredRect(game.clientWidth, game.clientHeight, rect, x, y) &&
         os::SetWindowPos(window, HWND_NOTOPMOST, x, y, rect.right - rect.left, rect.bottom - rect.top,
                          SWP_SHOWWINDOW | SWP_FRAMECHANGED);
}

LONG StyleFor(bool windowed) { return windowed ? kWindowedStyle : LONG(WS_POPUP); }

}  // namespace

bool ApplyWindowMode(CGame& game) {
  CBaseD3D& device = game.device;
  // The presentation parameters hold 1 in window mode and 0 in full screen;
  // read as a request, that asks for the other mode. Asked again, it asks
  // for the mode the game had.
  device.BuildPresentParams();
  const bool windowed = device.present.Windowed != 0;
  if (!SetStyle(game.window, StyleFor(windowed))) {
    LogLastError();
    device.BuildPresentParams();
    return false;
  }
  if (!ResetForMode(game)) {
    // The device cannot take the new mode (its failure is logged): it goes
    // back to the mode it had a moment ago. When even that fails the device
    // is lost, which the next frames retry, or it takes no mode at all, which
    // ends the game.
    device.BuildPresentParams();
    if (SetStyle(game.window, StyleFor(!windowed)) && ResetForMode(game)) {
      PlaceWindow(game, !windowed);
    } else if (device.state == DeviceState::Ok) {
      // It would never draw again: the game ends with this frame instead of
      // showing a frozen window.
      LogError(L"ApplyWindowMode: the display takes neither full screen nor the window mode; the game ends");
      device.state = DeviceState::Failed;
    }
    return false;
  }
  if (!PlaceWindow(game, windowed)) {
    LogLastError();
    return false;
  }
  return true;
}

int RunMessageLoop(CGame& game) {
  // One frame per refresh of the display: with nothing to draw the loop
  // sleeps instead of spinning.
  os::CFramePacer pacer(game.device.displayMode.RefreshRate);
  while (true) {
    while (os::PeekMessageW(&game.message, nullptr, 0, 0, PM_REMOVE)) {
      if (game.message.message == WM_QUIT) {
        os::UnregisterClassW(game.className.c_str(), nullptr);
        return int(game.message.wParam);
      }
      os::DispatchMessageW(&game.message);
    }
    if (!game.frame()) os::DestroyWindow(game.window);
    pacer.Wait();
  }
}

}  // namespace tav
