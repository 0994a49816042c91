// Placing and drawing the title scene: the scale from the back buffer, the
// layout of the scene's pictures around the message window, and the drawing
// order (pictures with the message window among them, overlays, effects,
// the quit dialog).
#include <algorithm>

#include "app/Config.h"
#include "app/Game.h"
#include "scenario/Title.h"

using tav::config;

int32_t CTitle::MessageWindowEntry() const {
  if (!SceneReady() || config.messageWindowName.empty()) return -1;
  const auto& quads = runtimes[size_t(current)].entryQuads;
  for (size_t i = 0; i < quads.size(); ++i)
    if (quads[i]->textureName == config.messageWindowName) return int32_t(i);
  return -1;
}

tav::WindowFrame CTitle::MessageWindowFrame(size_t entry) const {
  const tav::ImageEntry& image = scenes[size_t(current)].images[entry];
  // The quad's own rectangle is its size in configured pixels (the scale
  // stretches it onto the screen).
  const auto& corners = runtimes[size_t(current)].entryQuads[entry]->localCorners;
  return {{image.x, image.y}, {corners[3].x - corners[0].x, corners[3].y - corners[0].y}};
}

void CTitle::MoveWindow(float dx, float dy) {
  const int32_t window = MessageWindowEntry();
  if (window < 0) return;
  message.Move(dx, dy, MessageWindowFrame(size_t(window)));
  LayOut();
}

void CTitle::DragWindow() {
  const int32_t window = MessageWindowEntry();
  const bool pressed = edges_[tav::kKeyMiddleButton];
  bool over = false;
  tav::WindowFrame frame{};
  if (window >= 0) {
    frame = MessageWindowFrame(size_t(window));
    if (pressed && !message.Dragging()) {
      tav::CQuad& quad = *runtimes[size_t(current)].entryQuads[size_t(window)];
      quad.Update();
      over = quad.Contains(mouseX, mouseY, scaleFactor);
    }
  }
  if (message.Drag(pressed, {mouseX, mouseY}, window >= 0 ? &frame : nullptr, over)) LayOut();
}

void CTitle::BuildText() { message.Build(scenes[size_t(current)], textSpeed, instantEffects); }

void CTitle::LayOut() {
  RefreshScale();
  if (!SceneReady()) return;
  const tav::SceneData& scene = scenes[size_t(current)];
  tav::SceneRuntime& runtime = runtimes[size_t(current)];
  const int32_t window = MessageWindowEntry();
  const tav::QuadPoint offset = message.Offset();
  for (size_t i = 0; i < runtime.entryQuads.size() && i < scene.images.size(); ++i) {
    tav::CQuad& quad = *runtime.entryQuads[i];
    const tav::ImageEntry& entry = scene.images[i];
    if (int32_t(i) == window || entry.showRule == 2)
      quad.translation = {entry.x + offset.x, entry.y + offset.y};
    else
      quad.translation = {entry.x, entry.y};
    if (!pictureView || int32_t(i) == window) quad.scale = scaleFactor;
  }
  message.LayOut(scene.messageRows.size(), scaleFactor);
  // The playlist's colour mode shows only while it plays.
  const int32_t mode = panel.ColourMode();
  for (auto& quad : runtime.entryQuads) quad->mode = mode;
  for (auto& quad : runtime.drawQuads) quad->mode = mode;
  message.SetColourMode(mode);
}

void CTitle::DrawMessageParts() { message.Draw(autoMode || skipMode || panel.Playing()); }

void CTitle::RefreshScale() {
  const D3DPRESENT_PARAMETERS& present = game.device.present;
  if (present.BackBufferWidth == 0 || present.BackBufferHeight == 0 || config.screenWidth <= 0 ||
      config.screenHeight <= 0)
    return;
  scaleFactor = {float(present.BackBufferWidth) / float(config.screenWidth),
                 float(present.BackBufferHeight) / float(config.screenHeight)};
}

void CTitle::Draw() {
  if (!SceneReady()) return;
  const tav::SceneData& scene = scenes[size_t(current)];
  tav::SceneRuntime& runtime = runtimes[size_t(current)];
  const int32_t window = MessageWindowEntry();
  for (size_t i = 0; i < runtime.entryQuads.size() && i < scene.images.size(); ++i) {
    const bool isWindow = int32_t(i) == window;
    if (isWindow && (backlogScreen.IsOpen() || pictureView)) continue;
    if (EntryVisible(i)) runtime.entryQuads[i]->Draw();
    if (isWindow) DrawMessageParts();
  }
  // A scene without a message-window picture still shows its text.
  if (window < 0 && !backlogScreen.IsOpen() && !pictureView) DrawMessageParts();
  slots.Draw(scene, scaleFactor);
  for (auto& quad : overlays) quad->Draw();
  backlogScreen.Draw(backlog);
  if (effectsRunning) {
    size_t fade = 0, peephole = 0, cutIn = 0;
    for (const tav::EffectEntry& effect : scene.effects) {
      if (effect.kind == tav::kEffectFade && fade < runtime.fades.size()) runtime.fades[fade++]->Draw();
      if (effect.kind == tav::kEffectPeephole && peephole < runtime.peepholes.size())
        runtime.peepholes[peephole++]->Draw();
      if (effect.kind == tav::kEffectCutIn && cutIn < runtime.cutIns.size()) runtime.cutIns[cutIn++]->Draw();
    }
  }
  panel.Draw();
  if (quitDialog) quit.Draw();
}
