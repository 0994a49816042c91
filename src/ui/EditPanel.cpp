#include "ui/EditPanel.h"

#include <new>

#include "app/Game.h"
#include "core/ErrorLog.h"
#include "ui/SkinName.h"

namespace tav {
namespace {

struct ButtonLook {
  const wchar_t* family;
  float x;  // from the right edge
  float y;
  float width;
};
// In button order: add, clear, play, list forward, list back, then the four colour modes.
constexpr ButtonLook kLooks[CEditPanel::kButtons] = {
    {L"eadd", 126, 130, 32}, {L"edel", 92, 130, 32}, {L"eplay", 34, 130, 32},
    {L"etop", 128, 164, 128}, {L"ebtm", 128, 558, 128}, {L"er", 34, 34, 32},
    {L"en", 126, 68, 32},    {L"em", 92, 68, 32},     {L"es", 58, 68, 32}};
constexpr float kButtonHeight = 32;
constexpr float kStripWidth = 128;

constexpr D3DCOLOR kUsable = 0xFFFFFFFF;
constexpr D3DCOLOR kUnusable = 0x32FFFFFF;
constexpr D3DCOLOR kStripColour = 0xAA000000;
constexpr D3DCOLOR kLabelColour = 0xAA000000;
constexpr D3DCOLOR kEntryColour = 0xAAFFFFFF;
constexpr int kLabelSize = 13;
constexpr size_t kLabelLength = 7;
constexpr uint32_t kPressDelay = 100;  // ms

void Size(CQuad& quad, float width, float height) {
  quad.localCorners = {{{0, 0}, {width, 0}, {0, height}, {width, height}}};
}

}  // namespace

std::wstring CEditPanel::LabelOf(const SceneData& scene) {
  std::wstring label;
  for (const MessageRow& row : scene.messageRows) {
    label += row.text.substr(0, kLabelLength - label.size());
    if (label.size() == kLabelLength) break;
  }
  return label;
}

void CEditPanel::Attach(int32_t width, int32_t height) {
  width_ = float(width);
  height_ = float(height);
  strip.Attach(L"DefaultTex", &game_.device);
  Size(strip, kStripWidth, height_);
  strip.colours.fill(kStripColour);
  strip.translation = {width_ - kStripWidth, 0};
  for (size_t b = 0; b < kButtons; ++b) {
    buttons[b].Attach(SkinName(kLooks[b].family, 1), &game_.device);
    Size(buttons[b], kLooks[b].width, kButtonHeight);
    buttons[b].translation = {width_ - kLooks[b].x, kLooks[b].y};
  }
}

void CEditPanel::Toggle() {
  shown_ = !shown_;
  if (!shown_) hovering_ = false;
}

bool CEditPanel::Covers(QuadPoint mouse) const {
  return shown_ && mouse.x >= width_ - kStripWidth && mouse.x < width_ && mouse.y >= 0 && mouse.y < height_;
}

void CEditPanel::Show(size_t button, int state) {
  const std::wstring image = SkinName(kLooks[button].family, state);
  if (buttons[button].textureName == image) return;
  // A new picture fits the quad to its own size: the button keeps its own.
  buttons[button].SetTextureName(image);
  Size(buttons[button], kLooks[button].width, kButtonHeight);
}

bool CEditPanel::Usable(size_t button, const PanelFrameInput& in) const {
  switch (button) {
    case kAdd:
      return !in.callRunning && in.scene && !in.scene->messageRows.empty() && in.sceneIndex != lastAdded_;
    case kClear:
    case kPlay:
      return !entries_.empty();
    case kForward:
      return size_t(scroll_) + kShownEntries < entries_.size();
    case kBack:
      return scroll_ > 0;
    default:  // the colour modes, in mode order from kNormal
      return playing_ && in.shaders && colourMode_ != int32_t(button - kNormal);
  }
}

bool CEditPanel::Add(int32_t index, const SceneData& scene) {
  try {
    Entry entry;
    entry.scene = index;
    entry.label = LabelOf(scene);
    const std::wstring name = entry.label + L"edit";
    game_.GetText(kLabelSize, name, entry.label);
    entry.text = std::make_shared<CQuad>();
    entry.text->Attach(name, &game_.device);
    entry.text->colours.fill(kLabelColour);
    entry.back = std::make_shared<CQuad>();
    entry.back->Attach(L"DefaultTex", &game_.device);
    Size(*entry.back, kStripWidth, 16);
    entry.back->colours.fill(kEntryColour);
    entries_.push_back(std::move(entry));
    lastAdded_ = index;
    return true;
  } catch (const std::bad_alloc& e) {
    LogException(e.what());
    Clear();
    return false;
  }
}

void CEditPanel::Clear() {
  position_ = scroll_ = 0;
  playing_ = false;
  entries_.clear();
  lastAdded_ = -1;
  colourMode_ = 0;
}

void CEditPanel::Restore(const std::vector<int32_t>& scenes, const std::vector<SceneData>& table) {
  Clear();
  for (int32_t scene : scenes)
    if (scene >= 0 && size_t(scene) < table.size() && !Add(scene, table[size_t(scene)])) return;
}

int32_t CEditPanel::NextScene() {
  if (entries_.empty()) return -1;
  if (size_t(position_) >= entries_.size()) position_ = 0;
  const int32_t scene = entries_[size_t(position_)].scene;
  position_ = int32_t((size_t(position_) + 1) % entries_.size());
  return scene;
}

int32_t CEditPanel::ColourMode() {
  if (!playing_) colourMode_ = 0;
  return colourMode_;
}

void CEditPanel::Act(size_t button, const PanelFrameInput& in, bool& playBegan) {
  switch (button) {
    case kAdd:
      if (in.scene) Add(in.sceneIndex, *in.scene);
      break;
    case kClear:
      Clear();
      break;
    case kPlay:
      playing_ = !playing_;
      if (playing_) {
        hovering_ = false;
        position_ = 0;
        playBegan = true;
      }
      break;
    case kForward:
      ++scroll_;
      break;
    case kBack:
      --scroll_;
      break;
    default:
      colourMode_ = int32_t(button - kNormal);
      break;
  }
}

bool CEditPanel::Frame(const PanelFrameInput& in) {
  bool playBegan = false;
  if (!shown_ || in.windowDrag) return playBegan;
  if (playing_) Show(kPlay, 3);
  for (size_t b = 0; b < kButtons; ++b) buttons[b].colours.fill(Usable(b, in) ? kUsable : kUnusable);
  if (pending_ == 0) {
    bool any = false;
    for (size_t b = 0; b < kButtons; ++b) {
      const bool over = in.active && Usable(b, in) && buttons[b].Contains(in.mouse.x, in.mouse.y, in.scale);
      any |= over;
      if (b == kPlay && playing_ && !over) continue;  // playing shows its pressed picture
      Show(b, over ? 2 : 1);
    }
    if (any) hovering_ = true;
    hoverTime_ = any ? in.now : 0;
  }
  if (in.active && in.leftEdge) {
    for (size_t b = 0; b < kButtons; ++b) {
      if (!Usable(b, in) || !buttons[b].Contains(in.mouse.x, in.mouse.y, in.scale)) continue;
      Show(b, 3);
      pending_ |= 1u << b;
    }
  }
  if (pending_ != 0 && in.now - hoverTime_ >= kPressDelay) {
    for (size_t b = 0; b < kButtons; ++b)
      if (pending_ & (1u << b)) Act(b, in, playBegan);
    hoverTime_ = in.now;
    pending_ = 0;
  }
  LayOut(in.scale);
  return playBegan;
}

void CEditPanel::Settle(bool leftDown, uint32_t now) {
  if (!leftDown && now - hoverTime_ > 99) hovering_ = false;
}

void CEditPanel::LayOut(QuadPoint scale) {
  strip.scale = scale;
  strip.Update();
  for (CQuad& button : buttons) {
    button.scale = scale;
    button.Update();
  }
  for (size_t k = 0; size_t(scroll_) + k < entries_.size() && k < kShownEntries; ++k) {
    const Entry& entry = entries_[size_t(scroll_) + k];
    const QuadPoint at{width_ - kStripWidth, 198 + 18 * float(k)};
    for (CQuad* quad : {entry.back.get(), entry.text.get()}) {
      quad->translation = at;
      quad->scale = scale;
      quad->Update();
    }
  }
}

void CEditPanel::Draw() {
  if (!shown_) return;
  strip.Draw();
  for (CQuad& button : buttons) button.Draw();
  for (size_t k = 0; size_t(scroll_) + k < entries_.size() && k < kShownEntries; ++k) {
    entries_[size_t(scroll_) + k].back->Draw();
    entries_[size_t(scroll_) + k].text->Draw();
  }
}

std::vector<int32_t> CEditPanel::Scenes() const {
  std::vector<int32_t> scenes;
  for (const Entry& entry : entries_) scenes.push_back(entry.scene);
  return scenes;
}

std::vector<std::wstring> CEditPanel::Labels() const {
  std::vector<std::wstring> labels;
  for (const Entry& entry : entries_) labels.push_back(entry.label);
  return labels;
}

}  // namespace tav
