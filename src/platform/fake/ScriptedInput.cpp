#include "platform/fake/ScriptedInput.h"

namespace tav::fake {

namespace {

// Key messages name a modifier by its generic code, whichever side it is.
int Generic(int vk) {
  switch (vk) {
    case VK_LSHIFT:
    case VK_RSHIFT: return VK_SHIFT;
    case VK_LCONTROL:
    case VK_RCONTROL: return VK_CONTROL;
    case VK_LMENU:
    case VK_RMENU: return VK_MENU;
    default: return vk;
  }
}

}  // namespace

ScriptedInput::~ScriptedInput() { Uninstall(); }

void ScriptedInput::Install() { os::InstallInput(this); }

void ScriptedInput::Uninstall() {
  if (os::InstalledInput() == this) os::InstallInput(nullptr);
}

bool ScriptedInput::IsDown(int vk) const {
  if (down_.count(vk)) return true;
  // A generic modifier code is down when either side is.
  if (vk == VK_SHIFT) return down_.count(VK_LSHIFT) || down_.count(VK_RSHIFT);
  if (vk == VK_CONTROL) return down_.count(VK_LCONTROL) || down_.count(VK_RCONTROL);
  if (vk == VK_MENU) return down_.count(VK_LMENU) || down_.count(VK_RMENU);
  return false;
}

void ScriptedInput::SetKey(int vk, bool down) {
  std::lock_guard lock(mutex_);
  if (down)
    down_.insert(vk);
  else
    down_.erase(vk);
}

void ScriptedInput::Press(int vk) {
  std::lock_guard lock(mutex_);
  down_.insert(vk);
  Queue(os::InputEvent::Kind::KeyDown, Generic(vk), IsDown(VK_MENU));
}

void ScriptedInput::Release(int vk) {
  std::lock_guard lock(mutex_);
  down_.erase(vk);
  Queue(os::InputEvent::Kind::KeyUp, Generic(vk), IsDown(VK_MENU));
}

void ScriptedInput::Wheel(int notches) {
  std::lock_guard lock(mutex_);
  Queue(os::InputEvent::Kind::Wheel, notches);
}

void ScriptedInput::Activate() {
  std::lock_guard lock(mutex_);
  active_ = true;
  Queue(os::InputEvent::Kind::Activate, 0);
}

void ScriptedInput::Deactivate() {
  std::lock_guard lock(mutex_);
  active_ = false;
  Queue(os::InputEvent::Kind::Deactivate, 0);
}

void ScriptedInput::Close() {
  std::lock_guard lock(mutex_);
  Queue(os::InputEvent::Kind::Close, 0);
}

void ScriptedInput::AnswerMessageBoxes(std::vector<int> answers) {
  std::lock_guard lock(mutex_);
  answers_.assign(answers.begin(), answers.end());
}

std::vector<std::wstring> ScriptedInput::MessageBoxTexts() const {
  std::lock_guard lock(mutex_);
  return boxTexts_;
}

void ScriptedInput::RefuseUrls(bool refuse) {
  std::lock_guard lock(mutex_);
  refuseUrls_ = refuse;
}

std::vector<std::wstring> ScriptedInput::OpenedUrls() const {
  std::lock_guard lock(mutex_);
  return urls_;
}

bool ScriptedInput::KeyDown(int vk) {
  std::lock_guard lock(mutex_);
  return IsDown(vk);
}

POINT ScriptedInput::Cursor() {
  std::lock_guard lock(mutex_);
  return cursor_;
}

void ScriptedInput::MoveCursor(POINT client) {
  std::lock_guard lock(mutex_);
  cursor_ = client;
}

bool ScriptedInput::Active() {
  std::lock_guard lock(mutex_);
  return active_;
}

bool ScriptedInput::NextEvent(os::InputEvent& event) {
  std::lock_guard lock(mutex_);
  if (events_.empty()) return false;
  event = events_.front();
  events_.pop_front();
  return true;
}

int ScriptedInput::AnswerMessageBox(std::wstring_view text, std::wstring_view, UINT) {
  std::lock_guard lock(mutex_);
  boxTexts_.emplace_back(text);
  if (answers_.empty()) return IDNO;
  int answer = answers_.front();
  answers_.pop_front();
  return answer;
}

bool ScriptedInput::OpenUrl(std::wstring_view url) {
  std::lock_guard lock(mutex_);
  if (refuseUrls_) return false;
  urls_.emplace_back(url);
  return true;
}

void ScriptedInput::Queue(os::InputEvent::Kind kind, int value, bool altHeld) {
  os::InputEvent event;
  event.kind = kind;
  event.value = value;
  event.altHeld = altHeld;
  events_.push_back(event);
}

}  // namespace tav::fake
