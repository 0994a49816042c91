// What outlives a scene change or a run: save slots, the settings with their
// sliders, and the files that keep the settings and the seen scenes.
#include <algorithm>
#include <ctime>
#include <optional>
#include <sstream>

#include "app/Config.h"
#include "app/Game.h"
#include "app/GameWindow.h"
#include "audio/SoundCommands.h"
#include "platform/os/Input.h"
#include "platform/os/Messages.h"
#include "platform/os/WindowCalls.h"
#include "scenario/Title.h"

using tav::config;

namespace {

// Which stored knob a slider entry is: its channel's for a volume, else its own.
int32_t KnobOf(const tav::ImageEntry& entry) {
  switch (tav::Action(entry.actionCode)) {
    case tav::Action::VolumeSlider:
      return entry.actionValue >= 0 && entry.actionValue < 3 ? entry.actionValue : -1;
    case tav::Action::TextSpeedSlider:
      return tav::kKnobTextSpeed;
    case tav::Action::AutoWaitSlider:
      return tav::kKnobAutoWait;
    default:
      return -1;
  }
}

}  // namespace

int32_t CTitle::StoryScene() const {
  // The scene the save screen's back button returns to.
  return previous >= 0 && size_t(previous) < scenes.size() ? previous : config.firstScene;
}

void CTitle::SaveSlot(size_t index) {
  const int32_t story = StoryScene();
  std::wstring text;
  if (story >= 0 && size_t(story) < scenes.size())
    for (const tav::MessageRow& row : scenes[size_t(story)].messageRows) text += row.text;
  tav::ShowWaitCursor(true);
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  slots.Save(scenes[size_t(current)].images[index], story, backlog.VisitedScenes(), text, local);
  tav::ShowWaitCursor(false);
}

void CTitle::LoadSlot(size_t index) {
  tav::SlotContents slot;
  if (!slots.Read(scenes[size_t(current)].images[index], int32_t(scenes.size()), slot)) return;
  if (game.window) tav::os::SetWindowTextW(game.window, L"Now Loading .");
  tav::ShowWaitCursor(true);
  backlog.ClearList();
  backlog.Clear(scenes);
  callEnd = -1;
  for (size_t i = 0; i < slot.visited.size(); ++i) {
    const int32_t scene = slot.visited[i];
    if (scene != -1 && !backlog.Listed(scene)) backlog.Add(scenes[size_t(scene)], scene, scenes);
    std::wostringstream caption;
    caption << L"Now Loading ." << double(i + 1) / double(slot.visited.size()) * 100 << L"%";
    if (game.window) tav::os::SetWindowTextW(game.window, caption.str().c_str());
  }
  channels.StopAll();
  tav::ShowWaitCursor(false);
  if (game.window) tav::os::SetWindowTextW(game.window, config.gameTitle.c_str());
  pending = slot.storyScene;
  LeaveScene();
}

tav::Settings CTitle::CollectSettings() const {
  tav::Settings s;
  for (size_t i = 0; i < s.volumes.size(); ++i) s.volumes[i] = channels[i].volume;
  s.textSpeed = int32_t(textSpeed);
  s.autoWait = int32_t(autoWait);
  s.instantEffects = instantEffects;
  s.skipUnread = skipUnread;
  s.option = option;
  s.level = level;
  s.knobs = store.knobs;
  const tav::QuadPoint base = message.BaseOffset(), offset = message.Offset();
  s.offsets = {base.x, base.y, offset.x, offset.y};
  return s;
}

void CTitle::ApplySettings(const tav::Settings& s) {
  for (size_t i = 0; i < s.volumes.size(); ++i) channels[i].volume = s.volumes[i];
  textSpeed = uint32_t(std::max(s.textSpeed, 0));
  autoWait = uint32_t(std::max(s.autoWait, 0));
  instantEffects = s.instantEffects;
  skipUnread = s.skipUnread;
  option = s.option;
  level = s.level;
  store.knobs = s.knobs;
  message.Restore({s.offsets[0], s.offsets[1]}, {s.offsets[2], s.offsets[3]});
}

void CTitle::ReadUserFiles() {
  tav::Settings settings = CollectSettings();
  const tav::SettingsLimits limits{int32_t(scenes.size()), config.speedMaximum, config.autoWaitMaximum,
                                   float(config.screenWidth), float(config.screenHeight)};
  store.Read(config.filePrefix, limits, settings, readScenes);
  ApplySettings(settings);
  panel.Restore(store.editList, scenes);
}

bool CTitle::WriteUserFiles() {
  store.editList = panel.Scenes();
  return store.Write(config.filePrefix, CollectSettings(), readScenes);
}

void CTitle::EndForTermination() {
  if (terminated_) return;
  terminated_ = true;
  if (game.window) tav::os::PostMessageW(game.window, tav::kDestroyGameWindow, 0, 0);
  WriteUserFiles();
}

void CTitle::PlaceKnobs() {
  for (tav::ImageEntry& entry : scenes[size_t(current)].images) {
    const int32_t knob = KnobOf(entry);
    if (knob >= 0 && store.knobs[size_t(knob)] != -1.0f) entry.x = store.knobs[size_t(knob)];
  }
}

void CTitle::FollowSlider() {
  tav::SceneData& scene = scenes[size_t(current)];
  if (slider.Index() >= scene.images.size() || !keys[tav::kKeyLeftButton]->IsDown()) {
    slider.End();
    return;
  }
  tav::ImageEntry& entry = scene.images[slider.Index()];
  const int32_t knob = KnobOf(entry);
  const std::optional<float> at =
      slider.Follow(entry, *runtimes[size_t(current)].entryQuads[slider.Index()], mouseX, game.device);
  if (!at || knob < 0) return;
  store.knobs[size_t(knob)] = entry.x;
  switch (tav::Action(entry.actionCode)) {
    case tav::Action::VolumeSlider: {
      tav::SoundChannel& channel = channels[size_t(knob)];
      channel.volume = *at * tav::kMaximumVolume;
      // The sound on the channel changes at once, while the knob moves.
      if (!channel.name.empty()) tav::CXAudio2::SetVolume(channel.name, channel.volume);
      break;
    }
    case tav::Action::TextSpeedSlider:
      textSpeed = uint32_t(float(config.speedMaximum) * (1 - *at));
      break;
    case tav::Action::AutoWaitSlider:
      autoWait = uint32_t(float(config.autoWaitMaximum) * (1 - *at));
      break;
    default:
      break;
  }
}

void CTitle::ShowDraggedKnob() {
  if (!slider.Active()) return;
  const tav::SceneData& scene = scenes[size_t(current)];
  if (slider.Index() >= scene.images.size()) return;
  const tav::ImageEntry& dragged = scene.images[slider.Index()];
  auto& quads = runtimes[size_t(current)].entryQuads;
  for (size_t i = 0; i < scene.images.size(); ++i) {
    const tav::ImageEntry& entry = scene.images[i];
    if (entry.actionCode != dragged.actionCode || entry.thirdImage.empty()) continue;
    if (tav::Action(entry.actionCode) == tav::Action::VolumeSlider && entry.actionValue != dragged.actionValue)
      continue;
    quads[i]->ShowImage(entry.thirdImage);
  }
}
