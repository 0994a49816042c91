#include "app/Keys.h"

#include "platform/os/Input.h"
#include "platform/os/WindowCalls.h"

namespace tav {

const std::array<uint32_t, kKeyCount> kKeyCodes = {0x01, 0x02, 0x0D, 0x11, 0x20, 0x21, 0x22, 0x26, 0x28,
                                                   0x25, 0x27, 0x09, 0x10, 0x12, 0x1B, 0x04, 0x70, 0x71,
                                                   0x72, 0x73, 0x74, 0x75, 0x76, 0x77, 0x08};

bool CKey::IsDown() { return (os::GetAsyncKeyState(int(vk)) & 0x8000) != 0; }

KeyTable MakeKeyTable() {
  KeyTable keys;
  for (uint32_t code : kKeyCodes) keys.push_back(std::make_unique<CKey>(code));
  return keys;
}

bool RepeatGate(_CKey& key, uint32_t now) {
  if (!key.IsDown()) {
    key.lastTime = 0;
    return false;
  }
  if (uint32_t(now - key.lastTime) >= 100) {
    key.lastTime = now;
    return true;
  }
  return false;
}

bool OncePerPress(_CKey& key) {
  if (!key.IsDown()) {
    key.flags &= ~1u;
    return false;
  }
  if (key.flags & 1u) return false;
  key.flags |= 1u;
  return true;
}

ChordRequests PollChords(KeyTable& keys, uint32_t now, bool windowActive) {
  ChordRequests r;
  if (!windowActive) return r;
  r.toggleWindowMode = RepeatGate(*keys[kKeyReturn], now) && RepeatGate(*keys[kKeyAlt], now);
  r.close = RepeatGate(*keys[kKeyF4], now) && RepeatGate(*keys[kKeyAlt], now);
  r.reload = RepeatGate(*keys[kKeyBackspace], now) && RepeatGate(*keys[kKeyAlt], now);
  r.flipClose = OncePerPress(*keys[kKeyEscape]);
  return r;
}

bool CursorInScreenSpace(void* window, int configuredWidth, int configuredHeight, float& x, float& y) {
  HWND hwnd = static_cast<HWND>(window);
  POINT p{};
  RECT client{};
  if (!os::GetCursorPos(&p) || !os::ScreenToClient(hwnd, &p) || !os::GetClientRect(hwnd, &client)) return false;
  float scaleX = configuredWidth > 0 ? float(client.right - client.left) / float(configuredWidth) : 1.0f;
  float scaleY = configuredHeight > 0 ? float(client.bottom - client.top) / float(configuredHeight) : 1.0f;
  x = float(p.x) / (scaleX > 0 ? scaleX : 1.0f);
  y = float(p.y) / (scaleY > 0 ? scaleY : 1.0f);
  return true;
}

}  // namespace tav
