// Scene order: entering a scene (pictures, text, effects, sounds), the leave
// sequence, and choosing the successor when a scene is left.
#include <algorithm>
#include <exception>
#include <new>
#include <string>

#include "app/Config.h"
#include "core/ErrorLog.h"
#include "app/Game.h"
#include "app/GameWindow.h"
#include "platform/os/Messages.h"
#include "platform/os/WindowCalls.h"
#include "scenario/Title.h"

using tav::config;

namespace {

float Clamp01(float v) { return v < 0 ? 0 : v > 1 ? 1 : v; }

}  // namespace

CTitle::CTitle(tav::CGame& owner)
    : backlog(owner), message(owner), slots(owner), panel(owner), keys(tav::MakeKeyTable()), game(owner) {
  autoWait = config.autoWaitMaximum / 2;
  textSpeed = config.speedMaximum / 2;
}

CTitle::~CTitle() = default;

bool CTitle::EnterScene(int32_t index) {
  if (index < 0 || size_t(index) >= scenes.size()) {
    tav::LogError(L"scene " + std::to_wstring(index) + L" is not in the scenario");
    return false;
  }
  runtimes.resize(scenes.size());
  current = index;
  if (current == config.firstScene) callEnd = -1;
  if (!BuildRuntime(current)) {
    // Out of memory: drop every text texture and the backlog, then try once more.
    ReleaseTextsAndBacklog();
    ReleaseRuntime(current);
    if (!BuildRuntime(current)) return false;
  }
  // Asked now rather than taken from the frame: the first scene is entered
  // before any frame has run.
  channels.EnterScene(scenes[size_t(current)], game.window && tav::os::GetActiveWindow() == game.window);
  ApplyWindowOpacity();
  PlaceKnobs();
  slots.RefreshLabels(scenes[size_t(current)]);
  LayOut();
  HoverTest();
  if (scenes[size_t(current)].nextScene == -4) StartLeaveSequence();
  return true;
}

bool CTitle::BuildRuntime(int32_t index) {
  try {
    tav::SceneData& scene = scenes[size_t(index)];
    tav::SceneRuntime& runtime = runtimes[size_t(index)];
    CBaseD3D* d3d = &game.device;
    for (tav::ImageEntry& entry : scene.images) {
      game.LoadTexture(entry.image);
      game.LoadTexture(entry.secondImage);
      game.LoadTexture(entry.thirdImage);
      if (tav::CButtons::HasOnImage(entry)) game.LoadTexture(entry.actionText);
      auto quad = std::make_shared<tav::CQuad>();
      quad->Attach(entry.image, d3d);
      quad->translation = {entry.x, entry.y};
      // Fade-in pictures wait invisible for the leave sequence.
      entry.alpha = entry.kind == tav::kImageFadeIn ? 0.0f : 255.0f;
      entry.fade.Reset();
      if (entry.kind == tav::kImageFadeIn) quad->colours.fill(0x00FFFFFF);
      runtime.entryQuads.push_back(std::move(quad));
    }
    for (const tav::DrawEntry& draw : scene.draws) {
      game.LoadTexture(draw.image);
      auto quad = std::make_shared<tav::CQuad>();
      quad->Attach(draw.image, d3d);
      quad->translation = {draw.x, draw.y};
      runtime.drawQuads.push_back(std::move(quad));
    }
    for (const tav::EffectEntry& effect : scene.effects) {
      if (effect.kind == tav::kEffectFade) {
        auto fade = std::make_shared<tav::effect::CFade>();
        fade->Init(d3d);
        runtime.fades.push_back(std::move(fade));
      } else if (effect.kind == tav::kEffectPeephole) {
        auto peephole = std::make_shared<tav::effect::CPeephole>();
        peephole->colour = effect.colour;
        peephole->Init(d3d);
        runtime.peepholes.push_back(std::move(peephole));
      } else if (effect.kind == tav::kEffectCutIn) {
        auto cutIn = std::make_shared<tav::effect::CCutIn>();
        cutIn->colour = effect.colour;
        cutIn->textureName = L"DefaultRenderTargetTex";
        cutIn->Init(d3d);
        runtime.cutIns.push_back(std::move(cutIn));
      }
    }
    BuildText();
    return true;
  } catch (const std::bad_alloc& e) {
    tav::LogException(e.what());
    return false;
  }
}

void CTitle::ReleaseTextsAndBacklog() {
  game.RemoveAllTexts();
  backlog.ClearList();
  backlog.Clear(scenes);
}

void CTitle::ReleaseRuntime(int32_t index) {
  if (index < 0 || size_t(index) >= runtimes.size()) return;
  runtimes[size_t(index)] = tav::SceneRuntime{};
}

void CTitle::ApplyWindowOpacity() {
  const int32_t index = MessageWindowEntry();
  if (index < 0) return;
  const D3DCOLOR colour =
      option ? 0xFFFFFFFF : (D3DCOLOR(Clamp01(level) * 255.0f + 0.5f) << 24) | 0x00FFFFFF;
  runtimes[size_t(current)].entryQuads[size_t(index)]->colours.fill(colour);
}

void CTitle::ResetToFirstScene() {
  callEnd = -1;
  callReturn = -1;
  skipMode = false;
  autoMode = false;
  panel.StopPlaying();
  channels.StopAll();
}

int32_t CTitle::Successor() {
  const tav::SceneData& scene = scenes[size_t(current)];
  const bool callRuns = callEnd != -1;
  // A playing playlist chooses every next scene, round and round: the
  // scenario's own ways back to the first scene must not stop it.
  const bool playlist = panel.Playing();
  if (pending == -1) {
    if (callRuns && current == callEnd) {
      pending = callReturn;
      callEnd = -1;
    } else if (size_t(current) + 1 == scenes.size() && scene.nextScene == -1 && !playlist) {
      pending = config.firstScene;
      ResetToFirstScene();
    }
    if (scene.nextScene == -4 && scene.jumpScene != -1) {
      pending = scene.jumpScene;
      if (pending == config.firstScene && !playlist) ResetToFirstScene();
    }
    if (playlist) pending = panel.NextScene();
  }
  previous = current;
  int32_t successor;
  if (scene.nextScene == -1 || scene.nextScene == -4) {
    successor = current + 1;
  } else if (scene.nextScene == -3) {
    successor = config.firstScene;
    if (!playlist) ResetToFirstScene();
  } else {
    successor = scene.nextScene;
  }
  if (pending != -1) {
    successor = pending;
    pending = -1;
  }
  if (successor < 0 || size_t(successor) >= scenes.size()) {
    // A script that points past its table goes back to the first scene
    // rather than off the end of it.
    tav::LogError(L"scene " + std::to_wstring(previous) + L" leads to scene " + std::to_wstring(successor) +
                  L", which is not in the scenario");
    successor = config.firstScene;
    ResetToFirstScene();
  }
  return successor;
}

void CTitle::LeaveScene() {
  if (!SceneReady()) return;
  const tav::SceneData& scene = scenes[size_t(current)];
  if (scene.nextScene == -2 && pending == -1 && !panel.Playing()) {
    // The scene stays: whatever led here is over, so its buttons work again.
    transitionRunning = effectsRunning = fadeOutRunning = fadeInRunning = leaveRoad = false;
    return;
  }
  if (callEnd == -1) {
    readScenes.insert(current);
    if (!backlog.Listed(current)) backlog.Add(scenes[size_t(current)], current, scenes);
  }
  const int32_t next = Successor();
  EnterPictureView(false);
  message.EndDrag();
  ReleaseRuntime(previous);
  message.Clear();
  game.input.wheelDelta = 0;
  // The press that left the scene is used up: the next scene must not take
  // it for a click on one of its buttons.
  edges_.fill(false);
  autoTime = skipTime = 0;
  transitionRunning = effectsRunning = fadeOutRunning = fadeInRunning = false;
  leaveRoad = false;
  buttons.Reset();
  if (EnterScene(next)) {
    ++sceneChanges;
    return;
  }
  // Not even after letting go of every text could the scene be built (its
  // failure is logged): the first scene is tried, and when that cannot be
  // built either the game ends rather than run without a scene.
  ReleaseRuntime(next);
  ResetToFirstScene();
  if (next != config.firstScene && EnterScene(config.firstScene)) {
    ++sceneChanges;
    return;
  }
  ReleaseRuntime(config.firstScene);
  if (game.window) tav::os::PostMessageW(game.window, tav::kDestroyGameWindow, 0, 0);
}

void CTitle::Advance() {
  if (!leaveRoad && !message.AllShown()) {
    message.ShowAll();
    return;
  }
  // A scene that waits for a button cannot be left by a stray click, so the
  // click must not start its leave effects either: they would darken a
  // scene that then stays.
  const tav::SceneData& scene = scenes[size_t(current)];
  if (scene.nextScene == -2 && pending == -1 && !panel.Playing() && !leaveRoad) return;
  if (scene.leaveEffects || leaveRoad) {
    if (!transitionRunning) StartLeaveSequence();
    return;
  }
  LeaveScene();
}

void CTitle::StartLeaveSequence() {
  tav::SceneData& scene = scenes[size_t(current)];
  tav::SceneRuntime& runtime = runtimes[size_t(current)];
  transitionRunning = true;
  if (!runtime.drawQuads.empty()) {
    for (auto& quad : runtime.drawQuads) {
      quad->scale = scaleFactor;
      quad->Update();
    }
    tav::effect::SnapshotDrawEntries(game.device, runtime.drawQuads);
  }
  size_t fade = 0, peephole = 0, cutIn = 0;
  for (const tav::EffectEntry& effect : scene.effects) {
    const uint32_t duration = uint32_t(std::max(effect.duration, 0));
    if (effect.kind == tav::kEffectFade && fade < runtime.fades.size()) {
      runtime.fades[fade++]->Start(effect.colour, effect.p1, duration, instantEffects);
    } else if (effect.kind == tav::kEffectPeephole && peephole < runtime.peepholes.size()) {
      runtime.peepholes[peephole++]->Start(effect.p1, effect.p2, duration, true, instantEffects);
    } else if (effect.kind == tav::kEffectCutIn && cutIn < runtime.cutIns.size()) {
      // The cut-in moves the back-buffer-sized snapshot: its points are in
      // back-buffer pixels.
      runtime.cutIns[cutIn++]->Start(effect.p1 * scaleFactor.x, effect.p2 * scaleFactor.y, effect.p3 * scaleFactor.x,
                                     effect.p4 * scaleFactor.y, duration, instantEffects);
    }
  }
  effectsRunning = !scene.effects.empty();
  for (tav::ImageEntry& entry : scene.images) {
    // With instant effects both ends are the end value: the end state shows at
    // once, and the fade still takes its time like the effects do.
    const uint32_t duration = uint32_t(std::max(entry.fadeDuration, 0));
    if (entry.kind == tav::kImageFadeOut) {
      entry.fade.Start(duration, instantEffects ? 0.0f : 255.0f, 0.0f);
      fadeOutRunning = true;
    } else if (entry.kind == tav::kImageFadeIn) {
      entry.fade.Start(duration, instantEffects ? 255.0f : 0.0f, 255.0f);
      fadeInRunning = true;
    }
  }
  UpdateEffects();
}

bool CTitle::AnyEffectRunning() const {
  const tav::SceneRuntime& runtime = runtimes[size_t(current)];
  for (const auto& e : runtime.fades)
    if (!e->IsFinished()) return true;
  for (const auto& e : runtime.peepholes)
    if (!e->IsFinished()) return true;
  for (const auto& e : runtime.cutIns)
    if (!e->IsFinished()) return true;
  return false;
}

void CTitle::UpdateEffects() {
  if (!transitionRunning) return;
  tav::SceneData& scene = scenes[size_t(current)];
  tav::SceneRuntime& runtime = runtimes[size_t(current)];
  for (auto& e : runtime.fades) e->Update();
  for (auto& e : runtime.peepholes) e->Update();
  for (auto& e : runtime.cutIns) e->Update();
  bool fadesRun = false;
  for (size_t i = 0; i < scene.images.size(); ++i) {
    tav::ImageEntry& entry = scene.images[i];
    if (entry.kind == tav::kImageShown || !entry.fade.running) continue;
    float out[4];
    const bool done = entry.fade.Evaluate(out);
    entry.alpha = out[0];
    if (done) entry.fade.running = false;
    fadesRun |= !done;
    const D3DCOLOR alpha = D3DCOLOR(std::clamp(entry.alpha, 0.0f, 255.0f)) << 24;
    runtime.entryQuads[i]->colours.fill(alpha | 0x00FFFFFF);
  }
  fadeOutRunning = fadeInRunning = fadesRun;
}

bool CTitle::LeaveSequenceDone() { return transitionRunning && !AnyEffectRunning() && !fadeOutRunning && !fadeInRunning; }
