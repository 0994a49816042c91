#include "scenario/Buttons.h"

namespace tav {

bool CButtons::HasOnImage(const ImageEntry& entry) {
  if (entry.secondImage.empty() || entry.actionText.empty()) return false;
  switch (Action(entry.actionCode)) {
    case Action::FullScreen:
    case Action::WindowMode:
    case Action::SkipUnreadOn:
    case Action::SkipUnreadOff:
    case Action::InstantEffects:
    case Action::Level:
    case Action::Option:
      return true;
    default:
      return false;
  }
}

void CButtons::ShowStateImages(const SceneData& scene, EntryQuads& quads, const ButtonStates& states) {
  for (size_t i = 0; i < scene.images.size() && i < quads.size(); ++i) {
    const ImageEntry& entry = scene.images[i];
    CQuad& quad = *quads[i];
    quad.ShowImage(entry.image);
    if (!HasOnImage(entry)) continue;
    bool on = false;
    switch (Action(entry.actionCode)) {
      case Action::FullScreen: on = !states.windowed; break;
      case Action::WindowMode: on = states.windowed; break;
      case Action::SkipUnreadOn: on = states.skipUnread; break;
      case Action::SkipUnreadOff: on = !states.skipUnread; break;
      case Action::InstantEffects: on = !states.instantEffects; break;
      case Action::Level: on = states.level == float(entry.actionValue) / 255.0f; break;
      case Action::Option: on = states.option; break;
      default: break;
    }
    if (on) quad.SetTextureName(entry.actionText);
  }
}

void CButtons::Hover(const SceneData& scene, EntryQuads& quads, const std::function<bool(size_t)>& visible,
                     QuadPoint cursor, QuadPoint scale) {
  hovered_ = -1;
  for (size_t i = 0; i < scene.images.size() && i < quads.size(); ++i) {
    if (!IsButton(scene.images[i]) || !visible(i)) continue;
    CQuad& quad = *quads[i];
    quad.Update();
    if (!quad.Contains(cursor.x, cursor.y, scale)) continue;
    hovered_ = int32_t(i);
    if (press_.Held() != hovered_) quad.SetTextureName(scene.images[i].secondImage);
    return;
  }
}

int32_t CButtons::Press(const SceneData& scene, EntryQuads& quads, bool pressEdge, uint32_t now) {
  if (pressEdge && hovered_ >= 0) press_.Press(hovered_, now);
  const int32_t held = press_.Held();
  if (held >= 0 && size_t(held) < scene.images.size() && size_t(held) < quads.size()) {
    const ImageEntry& entry = scene.images[size_t(held)];
    if (!entry.thirdImage.empty()) quads[size_t(held)]->SetTextureName(entry.thirdImage);
  }
  const int32_t due = press_.Due(now);
  return due >= 0 && size_t(due) < scene.images.size() ? due : -1;
}

}  // namespace tav
