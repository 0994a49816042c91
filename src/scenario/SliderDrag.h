#pragma once
// A slider is a knob (an image entry with action 9, 10 or 11) that runs
// along its track (the image its entry's text names), centred on where the
// script placed it. While the left button stays down after the knob was
// pressed, the knob follows the cursor within the track.
#include <cstddef>
#include <cstdint>
#include <optional>

#include "gfx/Quad.h"
#include "scenario/SceneData.h"

class CBaseD3D;

namespace tav {

class CSliderDrag {
 public:
  // Takes hold of knob `index` of the scene, with the cursor at `mouseX`
  // (configured screen space).
  void Begin(size_t index, const ImageEntry& entry, float mouseX);
  void End() { active_ = false; }
  bool Active() const { return active_; }
  size_t Index() const { return index_; }

  // Moves the knob (the entry and its quad) under the cursor, kept within
  // the track. Returns where it now stands on the track, 0 at the left end
  // and 1 at the right; nothing when the track has no size to run along.
  std::optional<float> Follow(ImageEntry& entry, CQuad& knob, float mouseX, CBaseD3D& device);

 private:
  bool active_ = false;
  size_t index_ = 0;
  float grab_ = 0;  // from the knob's left edge to the cursor
};

}  // namespace tav
