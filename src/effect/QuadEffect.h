#pragma once
// What the fade, the peephole and the cut-in share: one quad over the screen
// driven by a four-channel tween. The owner starts a run, then calls Update
// every frame and Draw during the frame's drawing; after the run the end state
// goes on being drawn.
#include <array>
#include <cstdint>
#include <string>

#include "core/Tween.h"
#include "gfx/Quad.h"

class CBaseD3D;

namespace tav::effect {

class CQuadEffect {
 public:
  virtual ~CQuadEffect() = default;

  // Puts the quad on `d3d`, gives it `textureName` (when set) with its size,
  // and chooses the draw path; the result is the path detection's.
  bool Init(CBaseD3D* d3d);

  // Advances the tween, turns its channels into the quad's state and freezes
  // that state for Draw.
  void Update();
  virtual bool Draw();

  bool IsFinished() const { return finished; }

  CBaseD3D* device = nullptr;
  CQuad quad;
  Tween tween;
  bool finished = true;  // idle until a run starts, and again once it ends
  std::wstring textureName;

 protected:
  explicit CQuadEffect(std::wstring texture) : textureName(std::move(texture)) {}

  // Starts a run from `from` to `to` unless one is still going, in which case
  // the request is dropped so the running effect is not thrown back to its
  // start. False when dropped.
  bool Run(const std::array<float, 4>& from, const std::array<float, 4>& to, uint32_t durationMs);

  // The effect's own use of the tween's current channels.
  virtual void Apply(const float channels[4]) = 0;
};

}  // namespace tav::effect
