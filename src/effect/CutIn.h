#pragma once
// A picture of the scene's draw entries, taken off-screen into
// "DefaultRenderTargetTex", sliding from one position to another.
#include <cstdint>
#include <memory>
#include <vector>

#include "effect/QuadEffect.h"
#include "platform/gpu/D3D9Types.h"

class CBaseD3D;

namespace tav::effect {

class CCutIn : public CQuadEffect {
 public:
  CCutIn() : CQuadEffect(L"DefaultTex") {}

  // The picture's top-left corner runs from (fromX, fromY) to (toX, toY) over
  // `durationMs`; with `instant`, both ends are (toX, toY). Ignored while a
  // run is under way.
  void Start(float fromX, float fromY, float toX, float toY, uint32_t durationMs, bool instant);

  D3DCOLOR colour = 0x00FFFFFF;  // the tint of all four corners

 protected:
  void Apply(const float channels[4]) override;
};

// Draws `quads`, in order, into "DefaultRenderTargetTex" (cleared to
// transparent black first) and puts the back buffer back as the target. Runs
// outside the frame's drawing. An empty list leaves the picture as it was.
// False, with the target untouched, when the device has no render-target
// texture; false as well when a quad failed to draw.
bool SnapshotDrawEntries(CBaseD3D& device, const std::vector<std::shared_ptr<_CQuad>>& quads);
bool SnapshotDrawEntries(CBaseD3D& device, const std::vector<std::shared_ptr<CQuad>>& quads);

}  // namespace tav::effect
