#pragma once
// Polled keys: the table of the title scene, the 100 ms repeat gate, the
// once-per-press gate and the chords.
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace tav {

class _CKey {
 public:
  virtual ~_CKey() = default;
  virtual bool IsDown() = 0;

  uint32_t flags = 0;     // bit 0: latched by the once-per-press gate
  uint32_t lastTime = 0;  // clock of the last accepted press; 0 while up
};

// A key or mouse button by virtual-key code, as the system sees it now.
class CKey : public _CKey {
 public:
  explicit CKey(uint32_t code) : vk(code) {}
  bool IsDown() override;
  uint32_t vk;
};

// Indices into the key table.
enum KeyIndex : size_t {
  kKeyLeftButton, kKeyRightButton, kKeyReturn, kKeyControl, kKeySpace, kKeyPageUp, kKeyPageDown, kKeyUp,
  kKeyDown, kKeyLeft, kKeyRight, kKeyTab, kKeyShift, kKeyAlt, kKeyEscape, kKeyMiddleButton,
  kKeyF1, kKeyF2, kKeyF3, kKeyF4, kKeyF5, kKeyF6, kKeyF7, kKeyF8, kKeyBackspace, kKeyCount
};

// The 25 virtual-key codes of the table, in index order.
extern const std::array<uint32_t, kKeyCount> kKeyCodes;

using KeyTable = std::vector<std::unique_ptr<_CKey>>;
KeyTable MakeKeyTable();

// A press counts when the key goes down and then at most once per 100 ms
// while it is held.
bool RepeatGate(_CKey& key, uint32_t now);
// True once when the key goes down; again only after it was seen up.
bool OncePerPress(_CKey& key);

// What the chords and Escape asked for in one frame.
struct ChordRequests {
  bool toggleWindowMode = false;  // Enter then Alt
  bool close = false;             // F4 then Alt
  bool reload = false;            // Backspace then Alt
  bool flipClose = false;         // Escape
};
// Tested only while the game window is the active window.
ChordRequests PollChords(KeyTable& keys, uint32_t now, bool windowActive);

// The cursor in the configured screen space: client pixels divided by the
// window's present scale (client size over configured size). False when the
// cursor or the window cannot be read.
bool CursorInScreenSpace(void* window, int configuredWidth, int configuredHeight, float& x, float& y);

}  // namespace tav
