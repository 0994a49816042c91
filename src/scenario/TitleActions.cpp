// What the scene's image entries do: their show rules, the buttons driven
// each frame, and the actions a press runs.
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

bool CTitle::EntryVisible(size_t index) const {
  const tav::ImageEntry& entry = scenes[size_t(current)].images[index];
  switch (entry.showRule) {
    case 0:
      return readScenes.count(NumberIn(entry.showKey)) != 0;
    case 1: {
      if (!windowActive || pictureView || backlogScreen.IsOpen() || message.Dragging()) return false;
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
  if (pictureView || backlogScreen.IsOpen() || message.Dragging() || effectsRunning || transitionRunning || fadeOutRunning ||
      fadeInRunning)
    return;
  const tav::ButtonStates states{game.device.present.Windowed != 0, skipUnread, instantEffects, level, option};
  tav::CButtons::ShowStateImages(scenes[size_t(current)], runtimes[size_t(current)].entryQuads, states);
  ShowDraggedKnob();
}

void CTitle::HoverTest() {
  if (!SceneReady() || !windowActive) {
    buttons.Unhover();
    return;
  }
  buttons.Hover(
      scenes[size_t(current)], runtimes[size_t(current)].entryQuads, [this](size_t i) { return EntryVisible(i); },
      {mouseX, mouseY}, scaleFactor);
}

void CTitle::PressButtons() {
  const int32_t index =
      buttons.Press(scenes[size_t(current)], runtimes[size_t(current)].entryQuads, edges_[tav::kKeyLeftButton], now_);
  // A press that comes due while the scene changes is dropped.
  if (index < 0 || effectsRunning || transitionRunning || fadeOutRunning || fadeInRunning) return;
  RunAction(size_t(index));
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
      if (backlogScreen.IsOpen())
        backlogScreen.Close();
      else
        OpenBacklog(true);
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
      skipMode = autoMode = false;
      panel.StopPlaying();
      Road(entry);
      break;
    case tav::Action::Call:
      callReturn = current;
      pending = NumberIn(entry.actionText);
      callEnd = entry.actionValue;
      skipMode = autoMode = false;
      panel.StopPlaying();
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
    case tav::Action::VolumeSlider:
    case tav::Action::TextSpeedSlider:
    case tav::Action::AutoWaitSlider:
      // The track's size sets the knob's travel: it must be known even when
      // the scene does not show it.
      game.LoadTexture(entry.actionText);
      slider.Begin(index, entry, mouseX);
      break;
    case tav::Action::Save:
      SaveSlot(index);
      break;
    case tav::Action::Load:
      LoadSlot(index);
      break;
    default:
      // 7, 8, 19 and 20 do nothing.
      break;
  }
}
