#pragma once
// The scene's buttons: image entries with a second image. Each shows its first
// image, its on image while the setting it stands for holds, its second image
// under the cursor and its third while pressed; a press acts 100 ms later.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "gfx/Quad.h"
#include "scenario/SceneData.h"
#include "ui/DelayedPress.h"

namespace tav {

// The settings the state buttons show.
struct ButtonStates {
  bool windowed = true;
  bool skipUnread = false;
  bool instantEffects = false;
  float level = 1.0f;
  bool option = true;
};

using EntryQuads = std::vector<std::shared_ptr<CQuad>>;

class CButtons {
 public:
  // Whether the entry's text names the picture a state button shows while
  // its state holds (for other actions the text is a slot, scene or sound).
  static bool HasOnImage(const ImageEntry& entry);
  static bool IsButton(const ImageEntry& entry) { return !entry.secondImage.empty(); }
  // Every entry back to its first image, or to its on image while its state holds.
  static void ShowStateImages(const SceneData& scene, EntryQuads& quads, const ButtonStates& states);

  // Finds the first visible button under `cursor` and shows its second image
  // (its third stays while it is pressed). `visible` tells the show rule of
  // an entry.
  void Hover(const SceneData& scene, EntryQuads& quads, const std::function<bool(size_t)>& visible, QuadPoint cursor,
             QuadPoint scale);
  // Nothing is under the cursor (the window is inactive or the scene not built).
  void Unhover() { hovered_ = -1; }
  // Takes the left button's `pressEdge` over the hovered button and keeps the
  // pressed button's third image up. Returns the entry whose press is due at
  // `now`, -1 while none is.
  int32_t Press(const SceneData& scene, EntryQuads& quads, bool pressEdge, uint32_t now);
  // Forgets the hover and a held press (the scene is left).
  void Reset() {
    hovered_ = -1;
    press_.Reset();
  }

  int32_t Hovered() const { return hovered_; }
  bool OverButton() const { return hovered_ >= 0; }

 private:
  int32_t hovered_ = -1;
  CDelayedPress press_;
};

}  // namespace tav
