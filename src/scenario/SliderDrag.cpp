#include "scenario/SliderDrag.h"

#include <algorithm>

#include "gfx/BaseD3D.h"

namespace tav {

void CSliderDrag::Begin(size_t index, const ImageEntry& entry, float mouseX) {
  active_ = true;
  index_ = index;
  grab_ = mouseX - entry.x;
}

std::optional<float> CSliderDrag::Follow(ImageEntry& entry, CQuad& knob, float mouseX, CBaseD3D& device) {
  const TextureSize* track = device.GetTextureSize(entry.actionText);
  const float knobWidth = knob.localCorners[1].x - knob.localCorners[0].x;
  const float travel = track ? track->imageWidth - knobWidth : 0;
  if (travel <= 0) return std::nullopt;
  // The script places the knob in the middle of its travel.
  const float left = entry.startX - travel / 2;
  const float x = std::clamp(mouseX - grab_, left, left + travel);
  entry.x = x;
  knob.translation.x = x;
  return (x - left) / travel;
}

}  // namespace tav
