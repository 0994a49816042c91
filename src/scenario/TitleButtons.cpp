// Buttons: image entries with a second image. Their state images, the hover
// test, the press with its 100 ms delay, and the action table.
#include <cwchar>
#include <string>

#include "app/Config.h"
#include "app/Game.h"
#include "app/GameWindow.h"
#include "platform/os/Input.h"
#include "platform/os/Messages.h"
#include "scenario/Title.h"

using tav::config;

namespace {

// A number written in an entry's text field; -1 when there is none.
int32_t NumberIn(const std::wstring& text) {
  if (text.empty()) return -1;
  wchar_t* end = nullptr;
  const long value = std::wcstol(text.c_str(), &end, 10);
  if (end == text.c_str() || value < INT32_MIN || value > INT32_MAX) return -1;
  return int32_t(value);
}

}  // namespace

bool CTitle::HasOnImage(const tav::ImageEntry& entry) {
  if (entry.secondImage.empty() || entry.actionText.empty()) return false;
  switch (tav::Action(entry.actionCode)) {
    case tav::Action::FullScreen:
    case tav::Action::WindowMode:
    case tav::Action::SkipUnreadOn:
    case tav::Action::SkipUnreadOff:
    case tav::Action::InstantEffects:
    case tav::Action::Level:
    case tav::Action::Option:
      return true;
    default:
      return false;  // the text is a slot number, a scene or a sound name
  }
}

bool CTitle::HasButton(size_t index) const { return !scenes[size_t(current)].images[index].secondImage.empty(); }

bool CTitle::EntryVisible(size_t index) const {
  const tav::ImageEntry& entry = scenes[size_t(current)].images[index];
  switch (entry.showRule) {
    case 0:
      return readScenes.count(NumberIn(entry.showKey)) != 0;
    case 1: {
      if (!windowActive || pictureView || backlogOpen || message.Dragging()) return false;
      const int32_t parent = ParentOf(index);
      if (parent < 0) return false;
      return runtimes[size_t(current)].entryQuads[size_t(parent)]->Contains(mouseX, mouseY, scaleFactor);
    }
    default:
      return true;
  }
}

bool CTitle::IsEntryDrawn(size_t index) const {
  if (!SceneReady()) return false;
  // The show rules look at the other entries' quads: the scene must have been built.
  const size_t count = scenes[size_t(current)].images.size();
  if (index >= count || runtimes[size_t(current)].entryQuads.size() != count) return false;
  return EntryVisible(index);
}

int32_t CTitle::ParentOf(size_t index) const {
  const tav::SceneData& scene = scenes[size_t(current)];
  const tav::SceneRuntime& runtime = runtimes[size_t(current)];
  const std::wstring& key = scene.images[index].showKey;
  for (size_t i = 0; i < scene.images.size(); ++i) {
    if (i == index || runtime.entryQuads[i]->textureName != key) continue;
    const tav::ImageEntry& parent = scene.images[i];
    if (parent.showRule != 0 || readScenes.count(NumberIn(parent.showKey))) return int32_t(i);
  }
  return -1;
}

void CTitle::ShowStateImages() {
  if (pictureView || backlogOpen || message.Dragging() || effectsRunning || transitionRunning || fadeOutRunning ||
      fadeInRunning)
    return;
  const tav::SceneData& scene = scenes[size_t(current)];
  tav::SceneRuntime& runtime = runtimes[size_t(current)];
  const bool windowed = game.device.present.Windowed != 0;
  for (size_t i = 0; i < scene.images.size(); ++i) {
    const tav::ImageEntry& entry = scene.images[i];
    tav::CQuad& quad = *runtime.entryQuads[i];
    if (quad.textureName != entry.image) quad.SetTextureName(entry.image);
    if (!HasOnImage(entry)) continue;
    bool on = false;
    switch (tav::Action(entry.actionCode)) {
      case tav::Action::FullScreen: on = !windowed; break;
      case tav::Action::WindowMode: on = windowed; break;
      case tav::Action::SkipUnreadOn: on = skipUnread; break;
      case tav::Action::SkipUnreadOff: on = !skipUnread; break;
      case tav::Action::InstantEffects: on = !instantEffects; break;
      case tav::Action::Level: on = level == float(entry.actionValue) / 255.0f; break;
      case tav::Action::Option: on = option; break;
      default: break;
    }
    if (on) quad.SetTextureName(entry.actionText);
  }
}

void CTitle::HoverTest() {
  overEntry = false;
  hovered = -1;
  if (!SceneReady()) return;
  const tav::SceneData& scene = scenes[size_t(current)];
  tav::SceneRuntime& runtime = runtimes[size_t(current)];
  if (!windowActive) return;
  for (size_t i = 0; i < scene.images.size() && i < runtime.entryQuads.size(); ++i) {
    if (!HasButton(i) || !EntryVisible(i)) continue;
    tav::CQuad& quad = *runtime.entryQuads[i];
    quad.Update();
    if (!quad.Contains(mouseX, mouseY, scaleFactor)) continue;
    hovered = int32_t(i);
    overEntry = true;
    if (!(entryPressed && pressedEntry == hovered)) quad.SetTextureName(scene.images[i].secondImage);
    return;
  }
}

void CTitle::PressButtons() {
  const tav::SceneData& scene = scenes[size_t(current)];
  tav::SceneRuntime& runtime = runtimes[size_t(current)];
  if (!entryPressed && overEntry && hovered >= 0 && edges_[tav::kKeyLeftButton]) {
    entryPressed = true;
    pressedEntry = hovered;
    pressTime = now_;
  }
  if (entryPressed && pressedEntry >= 0 && size_t(pressedEntry) < scene.images.size()) {
    const tav::ImageEntry& entry = scene.images[size_t(pressedEntry)];
    if (!entry.thirdImage.empty()) runtime.entryQuads[size_t(pressedEntry)]->SetTextureName(entry.thirdImage);
  }
  if (!entryPressed || now_ - pressTime < 100) return;
  entryPressed = false;
  const int32_t index = pressedEntry;
  pressedEntry = -1;
  if (effectsRunning || transitionRunning || fadeOutRunning || fadeInRunning) return;
  if (index >= 0 && size_t(index) < scene.images.size()) RunAction(size_t(index));
}

void CTitle::Road(const tav::ImageEntry& entry) {
  leaveRoad = entry.leaveMode != 0;
  if (entry.leaveMode == 0)
    LeaveScene();
  else
    Advance();
}

void CTitle::RunAction(size_t index) {
  const tav::ImageEntry entry = scenes[size_t(current)].images[index];
  // Read unsigned, so -1 (no action) is beyond every action too.
  if (uint32_t(entry.actionCode) > tav::kLastAction) {
    if (entry.targetScene == -1) return;
    pending = entry.targetScene == -2 ? current + 1 : entry.targetScene;
    Road(entry);
    return;
  }
  const auto action = tav::Action(entry.actionCode);
  switch (action) {
    case tav::Action::Close:
      tav::os::PostMessageW(game.window, WM_CLOSE, 0, 0);
      break;
    case tav::Action::Backlog:
      backlogOpen = !backlogOpen;
      skipMode = false;
      break;
    case tav::Action::AutoMode:
      autoMode = !autoMode;
      autoTime = 0;
      break;
    case tav::Action::SkipMode:
      skipMode = !skipMode;
      skipTime = 0;
      break;
    case tav::Action::Back:
      pending = previous;
      Road(entry);
      break;
    case tav::Action::FullScreen:
    case tav::Action::WindowMode: {
      const bool windowed = game.device.present.Windowed != 0;
      if ((action == tav::Action::FullScreen) == windowed && game.window) SwitchDisplayMode();
      break;
    }
    case tav::Action::SkipUnreadOn:
      skipUnread = true;
      break;
    case tav::Action::SkipUnreadOff:
      skipUnread = false;
      break;
    case tav::Action::FirstScene:
      channels.StopAll();
      pending = config.firstScene;
      skipMode = autoMode = editPlaylist = false;
      Road(entry);
      break;
    case tav::Action::Call:
      callReturn = current;
      pending = NumberIn(entry.actionText);
      callEnd = entry.actionValue;
      skipMode = autoMode = editPlaylist = false;
      Road(entry);
      break;
    case tav::Action::Music:
      channels.PlayMusic(entry.actionText);
      break;
    case tav::Action::PictureView:
      EnterPictureView(true);
      break;
    case tav::Action::InstantEffects:
      instantEffects = !instantEffects;
      break;
    case tav::Action::Level:
      level = float(entry.actionValue) / 255.0f;
      break;
    case tav::Action::Option:
      option = !option;
      break;
    default:
      // The sliders, saving and loading belong to the settings and save
      // screens; 7, 8, 19 and 20 do nothing.
      break;
  }
}
