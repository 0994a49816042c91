#include "StateDump.h"

#include <algorithm>
#include <array>
#include <iterator>

#include "Json.h"
#include "ProcessMemory.h"
#include "app/Game.h"
#include "audio/AudioEngine.h"
#include "platform/os/WindowCalls.h"
#include "scenario/Title.h"

namespace tav::replay {

namespace {

using Section = void (*)(JsonWriter&, const DumpSource&);

void WriteCaption(JsonWriter& json, const DumpSource& source) {
  json.Key("caption");
  if (!source.game.window) {
    json.Null();
    return;
  }
  std::array<wchar_t, 512> caption{};
  int length = os::GetWindowTextW(source.game.window, caption.data(), int(caption.size()));
  json.String(std::wstring_view(caption.data(), size_t(length > 0 ? length : 0)));
}

// A scene index; -1 (no scene) stays -1 so that the member keeps one type.
void WriteScenes(JsonWriter& json, const DumpSource& source) {
  const CTitle* title = source.title;
  if (!title) {
    for (const char* key : {"scene", "previousScene", "pendingScene", "readScenes", "sceneChanges"})
      json.Key(key).Null();
    return;
  }
  json.Key("scene").Int(title->current);
  json.Key("previousScene").Int(title->previous);
  json.Key("pendingScene").Int(title->pending);
  json.Key("readScenes").BeginArray();
  for (int32_t scene : title->readScenes) json.Int(scene);
  json.EndArray();
  json.Key("sceneChanges").UInt(title->sceneChanges);
}

void WriteFlags(JsonWriter& json, const DumpSource& source) {
  json.Key("flags");
  const CTitle* title = source.title;
  if (!title) {
    json.Null();
    return;
  }
  json.BeginObject();
  json.Key("auto").Bool(title->autoMode);
  json.Key("skip").Bool(title->skipMode);
  json.Key("skipUnread").Bool(title->skipUnread);
  json.Key("pictureView").Bool(title->pictureView);
  json.Key("backlogOpen").Bool(title->backlogScreen.IsOpen());
  json.Key("instantEffects").Bool(title->instantEffects);
  json.Key("option").Bool(title->option);
  json.Key("textComplete").Bool(title->message.Complete());
  json.Key("quitDialog").Bool(title->quitDialog);
  json.Key("windowDrag").Bool(title->message.Dragging());
  json.EndObject();
}

void WritePoint(JsonWriter& json, const char* key, QuadPoint point) {
  json.Key(key).BeginObject();
  json.Key("x").Number(point.x);
  json.Key("y").Number(point.y);
  json.EndObject();
}

// The display mode, the back buffer it gives and how the configured screen
// is stretched onto it.
void WriteDisplay(JsonWriter& json, const DumpSource& source) {
  const D3DPRESENT_PARAMETERS& present = source.game.device.present;
  json.Key("windowed").Bool(present.Windowed != 0);
  json.Key("backBuffer").BeginObject();
  json.Key("width").UInt(present.BackBufferWidth);
  json.Key("height").UInt(present.BackBufferHeight);
  json.EndObject();
  if (source.title)
    WritePoint(json, "scale", source.title->scaleFactor);
  else
    json.Key("scale").Null();
  const DeviceState state = source.game.device.state;
  json.Key("device").String(state == DeviceState::Ok ? L"ok" : state == DeviceState::Lost ? L"lost" : L"failed");
}

// The message window: its text, the speaker and how many glyphs have appeared.
void WriteMessage(JsonWriter& json, const DumpSource& source) {
  const CTitle* title = source.title;
  if (!title) {
    for (const char* key : {"zoom", "messageText", "nameText", "shownGlyphs", "glyphCount"}) json.Key(key).Null();
    return;
  }
  json.Key("zoom").Number(title->zoom);
  json.Key("messageText").String(title->message.Text());
  json.Key("nameText").String(title->message.Name());
  size_t shown = 0, count = 0;
  if (title->current >= 0 && size_t(title->current) < title->runtimes.size()) {
    if (const auto& text = title->message.Flow()) {
      count = text->Count();
      for (size_t i = 0; i < count; ++i) shown += text->IsShown(i) ? 1 : 0;
    }
  }
  json.Key("shownGlyphs").UInt(shown);
  json.Key("glyphCount").UInt(count);
}

void WriteChannels(JsonWriter& json, const DumpSource& source) {
  json.Key("channels");
  const CTitle* title = source.title;
  if (!title) {
    json.Null();
    return;
  }
  static constexpr std::array<const char*, 3> kNames = {"music", "effect", "voice"};
  static_assert(tav::kChannelCount == kNames.size());
  json.BeginObject();
  for (size_t i = 0; i < kNames.size(); ++i) {
    const SoundChannel& channel = title->channels[i];
    json.Key(kNames[i]).BeginObject();
    json.Key("name").String(channel.name);
    json.Key("loop").Bool(channel.loop);
    json.Key("volume").Number(channel.volume);
    json.EndObject();
  }
  json.EndObject();
}

// What the audio thread has registered and how far each sound has been fed.
void WriteSounds(JsonWriter& json, const DumpSource&) {
  json.Key("sounds").BeginArray();
  for (const SoundState& sound : RegisteredSounds()) {
    json.BeginObject();
    json.Key("name").String(sound.name);
    json.Key("playing").Bool(sound.playing);
    json.Key("paused").Bool(sound.paused);
    json.Key("loop").Bool(sound.loop);
    json.Key("volume").Number(sound.volume);
    json.Key("position").UInt(sound.submitted);
    json.EndObject();
  }
  json.EndArray();
}

// The backlog: each page's blocks with their scene, row texts and whether
// they have a voice, the page on view, the newest page and the view's top row.
void WriteBacklog(JsonWriter& json, const DumpSource& source) {
  json.Key("backlog");
  const CTitle* title = source.title;
  if (!title) {
    json.Null();
    return;
  }
  const CBacklog& backlog = title->backlog;
  json.BeginObject();
  json.Key("open").Bool(title->backlogScreen.IsOpen());
  json.Key("pages").BeginArray();
  for (const BacklogPage& page : backlog.Pages()) {
    json.BeginArray();
    for (size_t block = 0; block < page.blockScenes.size(); ++block) {
      const int32_t scene = page.blockScenes[block];
      json.BeginObject();
      json.Key("scene").Int(scene);
      json.Key("rows").BeginArray();
      auto rows = page.blockRows.find(scene);
      if (rows != page.blockRows.end())
        for (const auto& row : rows->second) {
          const std::wstring& name = row->textureName;
          json.String(name.substr(0, name.size() - std::min<size_t>(name.size(), 7)));  // less "Backlog"
        }
      json.EndArray();
      json.Key("hasVoice").Bool(std::find(page.voiceScenes.begin(), page.voiceScenes.end(), scene) !=
                               page.voiceScenes.end());
      json.EndObject();
    }
    json.EndArray();
  }
  json.EndArray();
  json.Key("viewPage").Int(backlog.ViewPageIndex());
  json.Key("currentPage").Int(backlog.CurrentPage());
  json.Key("topRow").Int(backlog.Pages()[size_t(backlog.ViewPageIndex())].topRow);
  const CBacklogScreen& screen = title->backlogScreen;
  json.Key("thumb").BeginObject();
  json.Key("y").Number(screen.ThumbTop());
  json.Key("height").Number(screen.ThumbHeight());
  json.EndObject();
  json.Key("voice").String(screen.Voice());
  json.EndObject();
}

void WriteSettings(JsonWriter& json, const DumpSource& source) {
  const CTitle* title = source.title;
  if (!title) {
    for (const char* key : {"textSpeed", "autoWait", "level", "windowOffset", "baseOffset", "volumes", "knobs",
                            "editList"})
      json.Key(key).Null();
    return;
  }
  json.Key("textSpeed").UInt(title->textSpeed);
  json.Key("autoWait").UInt(title->autoWait);
  json.Key("level").Number(title->level);
  WritePoint(json, "windowOffset", title->message.Offset());
  WritePoint(json, "baseOffset", title->message.BaseOffset());
  json.Key("volumes").BeginArray();
  for (size_t channel = 0; channel < kChannelCount; ++channel) json.Number(title->channels[channel].volume);
  json.EndArray();
  json.Key("knobs").BeginArray();
  for (float knob : title->store.knobs) json.Number(knob);
  json.EndArray();
  json.Key("editList").BeginArray();
  for (int32_t scene : title->store.editList) json.Int(scene);
  json.EndArray();
}

// The edit panel: whether it shows, its playlist, and the playing state.
void WritePanel(JsonWriter& json, const DumpSource& source) {
  json.Key("panel");
  const CTitle* title = source.title;
  if (!title) {
    json.Null();
    return;
  }
  const CEditPanel& panel = title->panel;
  json.BeginObject();
  json.Key("shown").Bool(panel.Shown());
  json.Key("playlist").BeginArray();
  const std::vector<int32_t> scenes = panel.Scenes();
  const std::vector<std::wstring> labels = panel.Labels();
  for (size_t i = 0; i < scenes.size(); ++i) {
    json.BeginObject();
    json.Key("scene").Int(scenes[i]);
    json.Key("label").String(labels[i]);
    json.EndObject();
  }
  json.EndArray();
  json.Key("listScroll").Int(panel.ListScroll());
  json.Key("playing").Bool(panel.Playing());
  json.Key("position").Int(panel.Position());
  json.Key("colourMode").Int(panel.ModeShown());
  json.EndObject();
}

// What a save would keep now and the labels of the slots shown so far.
void WriteSaves(JsonWriter& json, const DumpSource& source) {
  const CTitle* title = source.title;
  if (!title) {
    for (const char* key : {"storyScene", "visited", "slots"}) json.Key(key).Null();
    return;
  }
  json.Key("storyScene").Int(title->StoryScene());
  json.Key("visited").BeginArray();
  for (int32_t scene : title->backlog.VisitedScenes()) json.Int(scene);
  json.EndArray();
  json.Key("slots").BeginArray();
  for (const auto& [slot, label] : title->slots.Labels()) {
    json.BeginObject();
    json.Key("slot").Int(slot);
    json.Key("label").String(label);
    json.EndObject();
  }
  json.EndArray();
}

// The image entries of the current scene: the picture each shows now (a
// button's hover or press picture included), where, and whether its show
// rule lets it be drawn.
void WriteEntries(JsonWriter& json, const DumpSource& source) {
  json.Key("entries");
  const CTitle* title = source.title;
  if (!title) {
    json.Null();
    return;
  }
  json.BeginArray();
  const size_t current = size_t(title->current);
  if (title->current >= 0 && current < title->runtimes.size()) {
    const auto& quads = title->runtimes[current].entryQuads;
    for (size_t i = 0; i < quads.size(); ++i) {
      json.BeginObject();
      json.Key("image");
      if (quads[i])
        json.String(quads[i]->textureName);
      else
        json.Null();
      json.Key("x").Number(quads[i] ? quads[i]->translation.x : 0.0f);
      json.Key("y").Number(quads[i] ? quads[i]->translation.y : 0.0f);
      json.Key("drawn").Bool(quads[i] && title->IsEntryDrawn(i));
      json.EndObject();
    }
  }
  json.EndArray();
}

// The textures the device holds (pictures stay loaded once shown), then the
// process's resident memory in KiB, now and at its peak; null when the
// system does not tell.
void WriteMemory(JsonWriter& json, const DumpSource& source) {
  json.Key("textures").UInt(source.game.device.textures.Size());
  json.Key("memory");
  ResidentMemory memory;
  if (!QueryResidentMemory(memory)) {
    json.Null();
    return;
  }
  json.BeginObject();
  json.Key("residentKiB").UInt(memory.currentKiB);
  json.Key("peakResidentKiB").UInt(memory.peakKiB);
  json.EndObject();
}

constexpr Section kSections[] = {
    WriteCaption, WriteScenes, WriteFlags, WriteDisplay, WriteMessage, WriteChannels, WriteSounds,
    WriteBacklog, WriteSettings, WriteSaves, WritePanel, WriteEntries, WriteMemory,
};

}  // namespace

const CTitle* FindTitle(const CGame& game) {
  auto found = game.scenes.find(L"TITLE");
  if (found == game.scenes.end()) return nullptr;
  return dynamic_cast<const CTitle*>(found->second.get());
}

std::string DumpState(const CGame& game) {
  JsonWriter json;
  const DumpSource source{game, FindTitle(game)};
  json.BeginObject();
  for (Section section : kSections) section(json, source);
  json.EndObject();
  return json.Text();
}

}  // namespace tav::replay
