// The message window: the scene's text revealed glyph by glyph, the speaker's
// name box, their layout around the movable window, the waiting pulse.
#include <algorithm>
#include <exception>

#include "app/Config.h"
#include "core/ErrorLog.h"
#include "app/Game.h"
#include "platform/os/Input.h"
#include "scenario/SpeakerLine.h"
#include "scenario/Title.h"

using tav::config;

namespace {

// The message colour with red, green and blue scaled by value / 255.
D3DCOLOR Dimmed(D3DCOLOR colour, float value) {
  const float f = std::clamp(value, 0.0f, 255.0f) / 255.0f;
  auto channel = [&](int shift) { return D3DCOLOR(float((colour >> shift) & 0xFF) * f) << shift; };
  return (colour & 0xFF000000) | channel(16) | channel(8) | channel(0);
}

}  // namespace

int32_t CTitle::MessageWindowEntry() const {
  if (!SceneReady() || config.messageWindowName.empty()) return -1;
  const auto& quads = runtimes[size_t(current)].entryQuads;
  for (size_t i = 0; i < quads.size(); ++i)
    if (quads[i]->textureName == config.messageWindowName) return int32_t(i);
  return -1;
}

void CTitle::ClearText() {
  messageText.clear();
  fullText.clear();
  nameText.clear();
  nameBox.SetTextureName(L"");
  nameBox.textureName.clear();
  nameBox.localCorners = {};
  nameBox.colours.fill(config.textColour);
  pulsePhase = 0;
  pulseValue = 255.0f;
  pulse.Reset();
}

void CTitle::BuildText(const tav::SceneData& scene) {
  ClearText();
  tav::SceneRuntime& runtime = runtimes[size_t(current)];
  runtime.text.reset();
  if (scene.messageRows.empty()) return;
  try {
    for (const tav::MessageRow& row : scene.messageRows) {
      fullText += row.text;
      if (row.text.empty()) continue;
      std::wstring spoken;
      if (tav::SplitSpeaker(row.text, nameText, spoken))
        messageText += spoken;
      else
        messageText += row.text;
    }
    if (!nameText.empty()) {
      // A name already made (the same speaker, or a glyph) is simply shown again.
      game.GetText(config.fontSize, nameText, nameText);
      nameBox.SetTextureName(nameText);
      nameBox.colours.fill(config.textColour);
    }
    std::vector<std::wstring> names;
    names.reserve(messageText.size());
    for (wchar_t ch : messageText) {
      names.emplace_back(1, ch);
      game.GetText(config.fontSize, names.back(), names.back());
    }
    auto text = std::make_shared<tav::effect::CFlowFont>();
    if (!text->Create(names, &game.device)) return;
    text->Layout({0, 0}, 0);
    text->SetColour(0xFFFFFFFF);
    text->Start(textSpeed);
    text->Layout({config.textOffsetX + windowOffset.x, config.textOffsetY + windowOffset.y}, config.charactersPerRow);
    const D3DCOLOR colour = config.textColour;
    text->SetFade(instantEffects ? colour : ~colour, colour, textSpeed + 400);
    runtime.text = std::move(text);
  } catch (const std::exception& e) {
    tav::LogException(e.what());
  }
}

void CTitle::LayOut() {
  RefreshScale();
  if (!SceneReady()) return;
  const tav::SceneData& scene = scenes[size_t(current)];
  tav::SceneRuntime& runtime = runtimes[size_t(current)];
  const int32_t window = MessageWindowEntry();
  for (size_t i = 0; i < runtime.entryQuads.size() && i < scene.images.size(); ++i) {
    tav::CQuad& quad = *runtime.entryQuads[i];
    const tav::ImageEntry& entry = scene.images[i];
    if (int32_t(i) == window || entry.showRule == 2)
      quad.translation = {entry.x + windowOffset.x, entry.y + windowOffset.y};
    else
      quad.translation = {entry.x, entry.y};
    if (!pictureView || int32_t(i) == window) quad.scale = scaleFactor;
  }
  if (runtime.text)
    runtime.text->Layout({config.textOffsetX + windowOffset.x, config.textOffsetY + windowOffset.y},
                         config.charactersPerRow);
  nameBox.translation = {config.nameOffsetX + windowOffset.x, config.nameOffsetY + windowOffset.y};
  const float cell = float(config.fontSize + 1);
  autoIndicator.translation = {
      config.textOffsetX + cell * float(config.charactersPerRow + 1) + cell + windowOffset.x,
      config.textOffsetY + float(scene.messageRows.size()) * cell + windowOffset.y};
  nameBox.scale = autoIndicator.scale = scaleFactor;
  if (runtime.text)
    for (auto& sprite : runtime.text->sprites)
      if (sprite && sprite->quad) sprite->quad->scale = scaleFactor;
}

void CTitle::MoveWindow(float dx, float dy) {
  const int32_t window = MessageWindowEntry();
  if (window < 0) return;
  const tav::ImageEntry& entry = scenes[size_t(current)].images[size_t(window)];
  const tav::CQuad& quad = *runtimes[size_t(current)].entryQuads[size_t(window)];
  // The window stays on screen: its new position is limited to the screen
  // less its own size, both in configured pixels (the quad's own rectangle is
  // its size on screen divided by the scale).
  const float maxX = float(config.screenWidth) - (quad.localCorners[3].x - quad.localCorners[0].x);
  const float maxY = float(config.screenHeight) - (quad.localCorners[3].y - quad.localCorners[0].y);
  const float x = std::clamp(entry.x + baseOffset.x + dx, 0.0f, std::max(maxX, 0.0f));
  const float y = std::clamp(entry.y + baseOffset.y + dy, 0.0f, std::max(maxY, 0.0f));
  windowOffset = {x - entry.x, y - entry.y};
  if (!windowDrag) baseOffset = windowOffset;
  LayOut();
}

void CTitle::DragWindow() {
  if (!edges_[tav::kKeyMiddleButton]) {
    if (windowDrag) MoveWindow(mouseX - dragStart.x, mouseY - dragStart.y);
    return;
  }
  if (windowDrag) {
    MoveWindow(mouseX - dragStart.x, mouseY - dragStart.y);
    EndWindowDrag();
    return;
  }
  const int32_t window = MessageWindowEntry();
  if (window < 0) return;
  tav::CQuad& quad = *runtimes[size_t(current)].entryQuads[size_t(window)];
  quad.Update();
  if (!quad.Contains(mouseX, mouseY, scaleFactor)) return;
  windowDrag = true;
  baseOffset = windowOffset;
  dragStart = {mouseX, mouseY};
  tav::os::SetCursor(tav::os::LoadCursorW(nullptr, IDC_SIZEALL));
}

void CTitle::EndWindowDrag() {
  if (!windowDrag) return;
  // The window stays where the drag left it: later steps and drags start there.
  windowDrag = false;
  baseOffset = windowOffset;
  tav::os::SetCursor(tav::os::LoadCursorW(nullptr, IDC_ARROW));
}

void CTitle::ColourText(D3DCOLOR colour) {
  nameBox.colours.fill(colour);
  tav::SceneRuntime& runtime = runtimes[size_t(current)];
  if (!runtime.text) return;
  for (auto& sprite : runtime.text->sprites)
    if (sprite && sprite->quad) {
      sprite->quad->colours.fill(colour);
      sprite->quad->Update();
    }
}

void CTitle::UpdateTextState() {
  tav::SceneRuntime& runtime = runtimes[size_t(current)];
  if (!textComplete) {
    if (!runtime.text || !runtime.text->AllShown()) return;
    textComplete = true;
    textCompleteTime = std::max<uint32_t>(now_, 1);
    pulsePhase = 0;
    return;
  }
  if (!runtime.text) return;
  if (instantEffects || autoMode || skipMode) {
    // No pulse in these modes: a text caught dimmed gets its colour back.
    if (pulseValue != 255.0f) {
      pulseValue = 255.0f;
      pulsePhase = 0;
      ColourText(config.textColour);
    }
    return;
  }
  // Waiting for the reader: every 4 s the text dims over 1 s, then brightens.
  if (pulsePhase == 0 || pulsePhase == 2) {
    if (now_ - textCompleteTime >= 4000) {
      const bool dim = pulsePhase == 0;
      pulse.Start(1000, dim ? 255.0f : 0.0f, dim ? 0.0f : 255.0f);
      ++pulsePhase;
    }
  }
  // The flowing text may still be finishing its fades: let them end first.
  if (!runtime.text->IsFinished()) return;
  if (pulsePhase == 1 || pulsePhase == 3) {
    float value[4];
    const bool done = pulse.Evaluate(value);
    pulseValue = value[0];
    if (done) {
      textCompleteTime = std::max<uint32_t>(now_, 1);
      pulsePhase = (pulsePhase + 1) % 4;
    }
  }
  // The text's own fades rewrite its colours each frame: the pulse's colour
  // goes on top of them for as long as it differs.
  if (pulseValue != 255.0f || pulsePhase != 0) ColourText(Dimmed(config.textColour, pulseValue));
}

void CTitle::DrawMessageParts() {
  tav::SceneRuntime& runtime = runtimes[size_t(current)];
  if (runtime.text) runtime.text->Draw();
  if ((autoMode || skipMode || editPlaylist) && !autoIndicator.textureName.empty()) autoIndicator.Draw();
  if (!nameText.empty()) nameBox.Draw();
}
