#pragma once
// A full-screen colour whose colour and opacity change over time: the white
// "DefaultTex" tinted by the tween's colour.
#include <cstdint>

#include "effect/QuadEffect.h"
#include "platform/gpu/D3D9Types.h"

namespace tav::effect {

class CFade : public CQuadEffect {
 public:
  CFade() : CQuadEffect(L"DefaultTex") {}

  // From `colour` to `colour` with its alpha replaced by the low byte of
  // `alpha` (truncated), over `durationMs`; with `instant`, both ends are that
  // end colour. Ignored while a run is under way.
  void Start(D3DCOLOR colour, float alpha, uint32_t durationMs, bool instant);

 protected:
  void Apply(const float channels[4]) override;
};

}  // namespace tav::effect
