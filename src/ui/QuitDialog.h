#pragma once
// The quit dialog: a panel with yes and no buttons over the scene. Opening it
// glides the cursor onto yes; yes ends the game, no returns to the scene as
// it was. It is open while the process-wide close request is raised.
#include <cstdint>

#include "core/Tween.h"
#include "gfx/Quad.h"
#include "ui/DelayedPress.h"

class CBaseD3D;

namespace tav {

class CQuitDialog {
 public:
  // Attaches the panel, yes and no quads and lays them out for a screen of
  // width x height.
  void Attach(CBaseD3D* d3d, float width, float height);
  // One frame while the dialog is open. `scale` is the window's size over the
  // configured size; the mouse is in configured screen space; `pressEdge` is
  // the left button's press edge of this frame. Yes and no clear
  // `closeRequested`; yes then posts the message that destroys `window` and
  // returns true.
  bool Frame(HWND window, bool& closeRequested, QuadPoint scale, float mouseX, float mouseY, bool active,
             bool pressEdge, uint32_t now);
  void Draw();

  CQuad panel, yes, no;
  QuadPoint yesPosition{};  // where the cursor glides to
  Tween glide;
  bool placed = false;
  bool glideDone = false;
  CDelayedPress press;

 private:
  enum : int32_t { kYes, kNo };
};

}  // namespace tav
