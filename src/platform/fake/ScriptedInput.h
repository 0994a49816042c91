#pragma once
// Input from a script instead of the devices, for tests and the replay
// harness. While installed it is the only input: key and mouse-button states
// by virtual key, the cursor in client coordinates of the engine window, and
// wheel notches, focus changes and close requests that reach the window
// procedure through the message queue as the real events would. It also
// answers message boxes and takes the addresses the engine asks to open.
#include <deque>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/os/Input.h"

namespace tav::fake {

class ScriptedInput : public os::InputSource {
 public:
  ScriptedInput() = default;
  ~ScriptedInput() override;
  ScriptedInput(const ScriptedInput&) = delete;
  ScriptedInput& operator=(const ScriptedInput&) = delete;

  void Install();
  // Puts the real devices back if this input is installed.
  void Uninstall();

  // Only the state: GetAsyncKeyState sees the key (or mouse button) down.
  void SetKey(int vk, bool down);
  // The state plus the key event, which becomes WM_SYSKEYDOWN / WM_SYSKEYUP
  // where the keyboard would make one (with Alt held, Alt itself, F10).
  void Press(int vk);
  void Release(int vk);
  void MoveCursor(int x, int y) { MoveCursor(POINT{x, y}); }

  // Queued for the next PeekMessageW.
  void Wheel(int notches);
  void Activate();    // also makes GetActiveWindow return the engine window
  void Deactivate();  // ... and null
  void Close();

  // The buttons the user presses in the next message boxes; IDNO once they run out.
  void AnswerMessageBoxes(std::vector<int> answers);
  std::vector<std::wstring> MessageBoxTexts() const;
  // Whether ShellExecuteW succeeds (it does unless refused), and what it was asked to open.
  void RefuseUrls(bool refuse);
  std::vector<std::wstring> OpenedUrls() const;

  // os::InputSource
  bool KeyDown(int vk) override;
  POINT Cursor() override;
  void MoveCursor(POINT client) override;
  bool Active() override;
  bool NextEvent(os::InputEvent& event) override;
  int AnswerMessageBox(std::wstring_view text, std::wstring_view caption, UINT type) override;
  bool OpenUrl(std::wstring_view url) override;

 private:
  void Queue(os::InputEvent::Kind kind, int value, bool altHeld = false);
  bool IsDown(int vk) const;

  mutable std::mutex mutex_;
  std::set<int> down_;
  POINT cursor_{0, 0};
  bool active_ = true;
  std::deque<os::InputEvent> events_;
  std::deque<int> answers_;
  std::vector<std::wstring> boxTexts_;
  bool refuseUrls_ = false;
  std::vector<std::wstring> urls_;
};

}  // namespace tav::fake
