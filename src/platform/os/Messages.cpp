#include "platform/os/Messages.h"

#include <SDL.h>

#include <algorithm>
#include <cerrno>
#include <deque>
#include <mutex>

#include "platform/os/Clock.h"
#include "platform/os/Input.h"
#include "platform/os/KeyMap.h"
#include "platform/os/LastError.h"
#include "platform/os/MessageQueue.h"
#include "platform/os/PressLatch.h"
#include "platform/os/SingleInstance.h"
#include "platform/os/WindowRegistry.h"

namespace tav::os {

namespace {

// The most messages that may wait in the queue before PostMessageW refuses more.
constexpr size_t kQueueLimit = 10000;

// Key-message bits of lParam: repeat count 1, Alt held, key was down before,
// key going up.
constexpr LPARAM kRepeatCountOne = 1;
constexpr LPARAM kContextAlt = LPARAM(1) << 29;
constexpr LPARAM kPreviouslyDown = LPARAM(1) << 30;
constexpr LPARAM kTransitionUp = LPARAM(DWORD(1) << 31);

// PeekMessageW's window filter for messages without a window.
const HWND kThreadMessagesOnly = reinterpret_cast<HWND>(intptr_t(-1));

struct Queue {
  std::mutex mutex;
  std::deque<MSG> messages;
};

Queue& TheQueue() {
  static Queue* queue = new Queue;
  return *queue;
}

void Append(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  MSG msg{window, message, wParam, lParam, timeGetTime()};
  std::lock_guard lock(TheQueue().mutex);
  TheQueue().messages.push_back(msg);
}

void Activation(HWND window, bool active) {
  if (window) Append(window, WM_ACTIVATE, active ? WA_ACTIVE : WA_INACTIVE, 0);
}

void Wheel(HWND window, int notches) {
  if (!window || notches == 0) return;
  int delta = std::clamp(notches * WHEEL_DELTA, -32768, 32767);
  POINT cursor{0, 0};
  GetCursorPos(&cursor);
  Append(window, WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(SHORT(delta))), MAKELPARAM(WORD(cursor.x), WORD(cursor.y)));
}

// Keys reach the procedure only as system keys: with Alt held, Alt itself
// and F10. Other keys are read with GetAsyncKeyState.
void Key(HWND window, int vk, bool down, bool altHeld, bool repeat) {
  if (!window || vk == 0) return;
  bool system = altHeld || vk == VK_MENU || vk == VK_F10;
  if (!system) return;
  LPARAM lParam = kRepeatCountOne;
  if (altHeld) lParam |= kContextAlt;
  if (!down || repeat) lParam |= kPreviouslyDown;
  if (!down) lParam |= kTransitionUp;
  Append(window, down ? WM_SYSKEYDOWN : WM_SYSKEYUP, WPARAM(vk), lParam);
}

int VirtualKeyOfButton(Uint8 button) {
  switch (button) {
    case SDL_BUTTON_LEFT: return VK_LBUTTON;
    case SDL_BUTTON_RIGHT: return VK_RBUTTON;
    case SDL_BUTTON_MIDDLE: return VK_MBUTTON;
    case SDL_BUTTON_X1: return VK_XBUTTON1;
    case SDL_BUTTON_X2: return VK_XBUTTON2;
    default: return 0;
  }
}

void TranslateSdlEvent(const SDL_Event& event) {
  switch (event.type) {
    case SDL_QUIT:
      // Only a signal (Ctrl+C in a terminal) makes this, as closing the last
      // window does not: the engine closes as it would through the close box.
      if (HWND window = detail::EngineWindow()) Append(window, WM_CLOSE, 0, 0);
      break;
    case SDL_WINDOWEVENT: {
      HWND window = detail::FromSdlId(event.window.windowID);
      if (!window) break;
      if (event.window.event == SDL_WINDOWEVENT_CLOSE) Append(window, WM_CLOSE, 0, 0);
      // Uncovered, shown again or resized: what is on screen must be drawn again.
      if (event.window.event == SDL_WINDOWEVENT_EXPOSED || event.window.event == SDL_WINDOWEVENT_SHOWN ||
          event.window.event == SDL_WINDOWEVENT_RESTORED || event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
        Append(window, WM_PAINT, 0, 0);
      if (event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) Activation(window, true);
      if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) Activation(window, false);
      break;
    }
    case SDL_MOUSEWHEEL: {
      if (event.wheel.which == SDL_TOUCH_MOUSEID) break;
      int notches = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
      Wheel(detail::FromSdlId(event.wheel.windowID), notches);
      break;
    }
    case SDL_MOUSEBUTTONDOWN:
      detail::NotePress(VirtualKeyOfButton(event.button.button));
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      if (event.type == SDL_KEYDOWN && !event.key.repeat) detail::NotePress(detail::VirtualKeyOf(event.key.keysym));
      Key(detail::FromSdlId(event.key.windowID), detail::VirtualKeyOf(event.key.keysym), event.type == SDL_KEYDOWN,
          (event.key.keysym.mod & KMOD_ALT) != 0, event.key.repeat != 0);
      break;
    default:
      break;
  }
}

void TranslateScriptedEvent(const InputEvent& event) {
  HWND window = detail::EngineWindow();
  switch (event.kind) {
    case InputEvent::Kind::Close:
      if (window) Append(window, WM_CLOSE, 0, 0);
      break;
    case InputEvent::Kind::Activate:
      Activation(window, true);
      break;
    case InputEvent::Kind::Deactivate:
      Activation(window, false);
      break;
    case InputEvent::Kind::Wheel:
      Wheel(window, event.value);
      break;
    case InputEvent::Kind::KeyDown:
    case InputEvent::Kind::KeyUp:
      if (event.kind == InputEvent::Kind::KeyDown) detail::NotePress(event.value);
      Key(window, event.value, event.kind == InputEvent::Kind::KeyDown, event.altHeld, false);
      break;
  }
}

// Turns what happened since the last call into messages.
void Pump() {
  detail::ForgetReadPresses();
  detail::ForgetGlobalMouse();
  InputSource* input = InstalledInput();
  if (SDL_WasInit(SDL_INIT_EVENTS)) {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
      // With scripted input installed, the real devices say nothing.
      if (!input) TranslateSdlEvent(event);
    }
  }
  detail::ServeInstanceRequests();
  if (input) {
    InputEvent event;
    while (input->NextEvent(event)) TranslateScriptedEvent(event);
  }
}

bool Matches(const MSG& msg, HWND window, UINT filterMin, UINT filterMax) {
  if (window == kThreadMessagesOnly) {
    if (msg.hwnd) return false;
  } else if (window && msg.hwnd != window) {
    return false;
  }
  if (msg.message == WM_QUIT || (filterMin == 0 && filterMax == 0)) return true;
  return msg.message >= filterMin && msg.message <= filterMax;
}

}  // namespace

namespace detail {

void DropMessagesFor(HWND window) {
  std::lock_guard lock(TheQueue().mutex);
  auto& messages = TheQueue().messages;
  messages.erase(std::remove_if(messages.begin(), messages.end(), [&](const MSG& m) { return m.hwnd == window; }),
                 messages.end());
}

}  // namespace detail

BOOL PeekMessageW(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
  if (!message) {
    SetLastError(EINVAL);
    return FALSE;
  }
  detail::WindowInfo info;
  if (window && window != kThreadMessagesOnly && !detail::LookUpOwn(window, info)) return FALSE;
  Pump();
  std::lock_guard lock(TheQueue().mutex);
  auto& messages = TheQueue().messages;
  for (auto it = messages.begin(); it != messages.end(); ++it) {
    if (!Matches(*it, window, filterMin, filterMax)) continue;
    *message = *it;
    if (removeFlags & PM_REMOVE) messages.erase(it);
    return TRUE;
  }
  return FALSE;
}

BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  detail::WindowInfo info;
  if (window && !detail::LookUpOwn(window, info)) return FALSE;
  MSG msg{window, message, wParam, lParam, timeGetTime()};
  std::lock_guard lock(TheQueue().mutex);
  if (TheQueue().messages.size() >= kQueueLimit) {
    SetLastError(EAGAIN);
    return FALSE;
  }
  TheQueue().messages.push_back(msg);
  return TRUE;
}

void PostQuitMessage(int exitCode) { Append(nullptr, WM_QUIT, WPARAM(intptr_t(exitCode)), 0); }

LRESULT DispatchMessageW(const MSG* message) {
  if (!message) {
    SetLastError(EINVAL);
    return 0;
  }
  if (message->message == WM_QUIT || !message->hwnd) return 0;
  detail::WindowInfo info;
  if (!detail::LookUpOwn(message->hwnd, info)) return 0;
  return info.procedure(message->hwnd, message->message, message->wParam, message->lParam);
}

LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SYSKEYDOWN && wParam == WPARAM(VK_F4) && (lParam & kContextAlt) && !(lParam & kPreviouslyDown))
    PostMessageW(window, WM_CLOSE, 0, 0);
  return 0;
}

}  // namespace tav::os
