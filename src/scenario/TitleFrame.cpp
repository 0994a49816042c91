// One frame of the title scene: input, the scene's timed work, auto and skip
// modes, picture view, and the drawing order.
#include <algorithm>
#include <cwchar>
#include <numbers>

#include "app/Config.h"
#include "app/Game.h"
#include "app/GameWindow.h"
#include "platform/os/Clock.h"
#include "platform/os/Input.h"
#include "platform/os/Signals.h"
#include "platform/os/WindowCalls.h"
#include "scenario/Title.h"

using tav::config;

namespace {
const D3DXMATRIX kIdentity{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
}  // namespace

void CTitle::ReadFrameInput() {
  now_ = tav::os::timeGetTime();
  windowActive = game.window && tav::os::GetActiveWindow() == game.window;
  float x = mouseX, y = mouseY;
  if (game.window && tav::CursorInScreenSpace(game.window, config.screenWidth, config.screenHeight, x, y)) {
    mouseX = x;
    mouseY = y;
  }
  // Keys that repeat go through their 100 ms gate where they are used;
  // the rest act on their press edge, read here once.
  for (size_t k : {tav::kKeyLeftButton, tav::kKeyRightButton, tav::kKeySpace, tav::kKeyPageUp, tav::kKeyMiddleButton,
                   tav::kKeyF1, tav::kKeyF2, tav::kKeyF3, tav::kKeyF4})
    edges_[k] = windowActive && tav::OncePerPress(*keys[k]);
}

void CTitle::Update() {
  if (!SceneReady()) return;
  if (tav::os::TerminationRequested()) {
    EndForTermination();
    return;
  }
  ReadFrameInput();
  const tav::ChordRequests chords = tav::PollChords(keys, now_, windowActive);
  tav::WindowInput& input = game.input;
  if (chords.flipClose) input.closeRequested = !input.closeRequested;
  if (chords.close) input.closeRequested = true;
  // While the quit dialog is open only the dialog runs.
  quitDialog = input.closeRequested;
  if (quitDialog) {
    // Yes ends the game: what the player set and saw is kept first.
    if (quit.Frame(game.window, input.closeRequested, scaleFactor, mouseX, mouseY, windowActive,
                   edges_[tav::kKeyLeftButton], now_))
      WriteUserFiles();
    input.wheelDelta = 0;
    quitDialog = input.closeRequested;
    return;
  }
  RunEditPanel();
  if (!SceneReady()) return;  // play began on a scene that could not be entered
  if (chords.toggleWindowMode && game.window) SwitchDisplayMode();
  if (chords.reload) ReloadImages();

  // The hover test comes before the keys so that a click acts on what is
  // under the cursor in this frame.
  if (windowActive) LayOut();
  ShowStateImages();
  HoverTest();
  if (slider.Active()) FollowSlider();
  if (backlogScreen.IsOpen())
    RunBacklogScreen();
  else if (windowActive)
    HandleKeys();
  if (!SceneReady()) return;  // a scene that could not be entered
  message.Update(now_, instantEffects || autoMode || skipMode);
  UpdateEffects();
  if (transitionRunning && LeaveSequenceDone()) {
    LeaveScene();
    UpdateQuads();
    return;
  }
  RunAutoAndSkip();
  if (!SceneReady()) return;
  if (windowActive && !pictureView && !backlogScreen.IsOpen() && !message.Dragging()) PressButtons();
  UpdateQuads();
}

void CTitle::UpdateQuads() {
  // A scene entered during this update draws its quads in this frame too.
  for (auto& quad : runtimes[size_t(current)].entryQuads) quad->Update();
  message.UpdateQuads();
  for (auto& quad : overlays) {
    quad->scale = scaleFactor;
    quad->Update();
  }
}

void CTitle::SwitchDisplayMode() {
  tav::ShowWaitCursor(true);
  // A switch that fails has logged why and left the device in whichever mode
  // it could keep (or failed, which ends the game at the next frame); the
  // scale factors follow the back buffer either way.
  tav::ApplyWindowMode(game);
  LayOut();
  tav::ShowWaitCursor(false);
}

void CTitle::HandleKeys() {
  if (pictureView) {
    PictureViewInput();
    return;
  }
  // In a scene without text whose header lets the right button cancel, that
  // button is the cancel key; Space enters picture view everywhere.
  const bool rightCancels = scenes[size_t(current)].headerFlagB && scenes[size_t(current)].messageRows.empty();
  if (!message.Dragging() && (edges_[tav::kKeySpace] || (edges_[tav::kKeyRightButton] && !rightCancels))) {
    EnterPictureView(true);
    return;
  }
  if (!message.Dragging() && (game.input.wheelDelta > 0 || edges_[tav::kKeyPageUp])) {
    game.input.wheelDelta = 0;
    OpenBacklog(false);
    return;
  }
  if (!message.Dragging()) {
    if (tav::RepeatGate(*keys[tav::kKeyUp], now_)) MoveWindow(0, -16);
    if (tav::RepeatGate(*keys[tav::kKeyDown], now_)) MoveWindow(0, 16);
    if (tav::RepeatGate(*keys[tav::kKeyLeft], now_)) MoveWindow(-16, 0);
    if (tav::RepeatGate(*keys[tav::kKeyRight], now_)) MoveWindow(16, 0);
  }
  DragWindow();
  if (edges_[tav::kKeyF1]) {
    autoMode = !autoMode;
    autoTime = 0;
  }
  if (edges_[tav::kKeyF2]) {
    skipMode = !skipMode;
    skipTime = 0;
  }
  if (edges_[tav::kKeyF3]) channels.Replay(tav::kSoundEffect);
  if (edges_[tav::kKeyF4]) channels.Replay(tav::kSoundVoice);
  if (message.Dragging()) return;

  // Over a button the click is the button's: the auto and skip buttons must
  // be able to turn their own mode off without this turning it off first.
  if (edges_[tav::kKeyLeftButton] && (autoMode || skipMode) && !buttons.OverButton()) {
    autoMode = skipMode = false;
    return;
  }
  if (tav::RepeatGate(*keys[tav::kKeyControl], now_)) {
    LeaveScene();
    return;
  }
  if (tav::RepeatGate(*keys[tav::kKeyPageDown], now_)) {
    Advance();
    return;
  }
  if (game.input.wheelDelta < 0) {
    game.input.wheelDelta = 0;
    Advance();
    return;
  }
  if (edges_[tav::kKeyLeftButton] && !buttons.OverButton()) {
    Advance();
    return;
  }
  const tav::SceneData& scene = scenes[size_t(current)];
  if (edges_[tav::kKeyRightButton] && scene.headerFlagB && scene.messageRows.empty()) {
    pending = scene.cancelScene == -1 ? previous : scene.cancelScene;
    Advance();
  }
}

void CTitle::RunEditPanel() {
  const int32_t window = MessageWindowEntry();
  if (window >= 0 && runtimes[size_t(current)].entryQuads[size_t(window)]->Contains(mouseX, mouseY, scaleFactor))
    overWindowTime_ = now_;
  if (windowActive) {
    // The middle button over the message window drags the window instead.
    const bool tab = tav::OncePerPress(*keys[tav::kKeyTab]);
    const bool middle = edges_[tav::kKeyMiddleButton] && !message.Dragging() && now_ - overWindowTime_ >= 100;
    if (tab || middle) panel.Toggle();
  }
  panel.Settle(keys[tav::kKeyLeftButton]->IsDown(), now_);
  tav::PanelFrameInput in;
  in.mouse = {mouseX, mouseY};
  in.scale = scaleFactor;
  in.active = windowActive;
  in.leftEdge = edges_[tav::kKeyLeftButton];
  in.windowDrag = message.Dragging();
  in.callRunning = callEnd != -1;
  const D3DCAPS9& caps = game.device.caps;
  in.shaders = caps.VertexShaderVersion > D3DVS_VERSION(1, 0) && caps.PixelShaderVersion >= D3DPS_VERSION(2, 0);
  in.scene = &scenes[size_t(current)];
  in.sceneIndex = current;
  in.now = now_;
  const bool playBegan = panel.Frame(in);
  // A click on the panel is the panel's, not the scene's.
  if (panel.Covers({mouseX, mouseY}) || panel.Hovering()) edges_[tav::kKeyLeftButton] = false;
  if (playBegan) {
    LeaveScene();
    UpdateQuads();
  }
}

void CTitle::OpenBacklog(bool runFrame) {
  skipMode = false;
  backlogScreen.Open(backlog, scaleFactor);
  if (runFrame) RunBacklogScreen();
}

void CTitle::RunBacklogScreen() {
  tav::BacklogFrameInput in;
  in.mouse = {mouseX, mouseY};
  in.scale = scaleFactor;
  in.active = windowActive;
  in.leftEdge = edges_[tav::kKeyLeftButton];
  in.rightEdge = edges_[tav::kKeyRightButton];
  in.callRunning = callEnd != -1;
  in.voiceChannel = channels[tav::kSoundVoice].name;
  in.voiceVolume = channels[tav::kSoundVoice].volume;
  in.now = now_;
  const int32_t back = backlogScreen.Frame(backlog, keys, game.input.wheelDelta, in);
  // The click that closed the screen is used up.
  if (!backlogScreen.IsOpen()) edges_.fill(false);
  if (back == -1) return;
  pending = back;
  LeaveScene();
}

void CTitle::RunAutoAndSkip() {
  // The story waits while the player reads back.
  if (backlogScreen.IsOpen()) return;
  const tav::SceneData& scene = scenes[size_t(current)];
  const bool busy = effectsRunning || fadeOutRunning || fadeInRunning || transitionRunning;
  if (skipMode && (readScenes.count(current) || skipUnread)) {
    if (skipTime == 0) skipTime = std::max<uint32_t>(now_, 1);
    if (now_ - skipTime >= autoWait + 100) {
      skipTime = 0;
      LeaveScene();
      return;
    }
  }
  // A scene that leaves by itself, or whose effects run, goes on without a click.
  if (scene.nextScene == -4 || busy) {
    if (!skipMode) Advance();
    return;
  }
  if (autoMode && message.Complete() && channels.VoiceDone()) {
    if (autoTime == 0) autoTime = std::max<uint32_t>(now_, 1);
    if (now_ - autoTime >= autoWait + 100) {
      autoTime = 0;
      Advance();
    }
  }
}

void CTitle::EnterPictureView(bool on) {
  if (pictureView == on) return;
  pictureView = on;
  zoom = 1.0f;
  flipAngle = 0.0f;
  if (!SceneReady()) return;
  const int32_t window = MessageWindowEntry();
  auto& quads = runtimes[size_t(current)].entryQuads;
  for (size_t i = 0; i < quads.size(); ++i) {
    if (int32_t(i) == window) continue;
    quads[i]->scale = scaleFactor;
    quads[i]->scaleCentre = {0, 0};
    quads[i]->angle = 0;
    quads[i]->matrix = kIdentity;
  }
}

void CTitle::PictureViewInput() {
  if (edges_[tav::kKeySpace] || edges_[tav::kKeyRightButton]) {
    EnterPictureView(false);
    return;
  }
  if (game.input.wheelDelta > 0 || tav::RepeatGate(*keys[tav::kKeyUp], now_)) zoom = std::min(8.0f, zoom + 0.25f);
  if (game.input.wheelDelta < 0 || tav::RepeatGate(*keys[tav::kKeyDown], now_)) zoom = std::max(1.0f, zoom - 0.25f);
  game.input.wheelDelta = 0;
  if (tav::RepeatGate(*keys[tav::kKeyLeft], now_) || tav::RepeatGate(*keys[tav::kKeyRight], now_))
    flipAngle = flipAngle == 0.0f ? std::numbers::pi_v<float> : 0.0f;
  // The picture turns and grows about the middle of the configured screen;
  // the matrix then stretches that screen onto the back buffer.
  const tav::QuadPoint centre{float(config.screenWidth) / 2, float(config.screenHeight) / 2};
  D3DXMATRIX screen = kIdentity;
  screen.m[0][0] = scaleFactor.x;
  screen.m[1][1] = scaleFactor.y;
  const int32_t window = MessageWindowEntry();
  auto& quads = runtimes[size_t(current)].entryQuads;
  for (size_t i = 0; i < quads.size(); ++i) {
    if (int32_t(i) == window) continue;
    quads[i]->scale = {zoom, zoom};
    quads[i]->scaleCentre = centre;
    quads[i]->angle = flipAngle;
    quads[i]->rotationCentre = centre;
    quads[i]->matrix = screen;
  }
}

void CTitle::ReloadImages() {
  ReleaseTextsAndBacklog();
  for (const tav::ImageEntry& entry : scenes[size_t(current)].images) {
    for (const std::wstring* name : {&entry.image, &entry.secondImage, &entry.thirdImage, &entry.actionText}) {
      if (name->empty() || (name == &entry.actionText && !tav::CButtons::HasOnImage(entry))) continue;
      game.device.EraseTexture(*name);
      game.LoadTexture(*name);
    }
  }
  // The text of the scene is gone with the registry: build it again, and
  // the slots' labels too.
  const bool wasComplete = message.Complete();
  BuildText();
  slots.RefreshLabels(scenes[size_t(current)]);
  if (wasComplete) message.ShowAll();
  for (auto& quad : runtimes[size_t(current)].entryQuads) quad->FitToTexture();
  LayOut();
}
