#pragma once
// An iris: an opaque layer with a round hole in the middle of the screen that
// grows or shrinks. The layer is "DefaultPeepholeTex" (opaque outside a disc
// centred in the texture); moving its texture coordinates scales the disc, and
// coordinates beyond the texture show the sampler's border colour.
#include <cstdint>

#include "effect/QuadEffect.h"
#include "platform/gpu/D3D9Types.h"

namespace tav::effect {

class CPeephole : public CQuadEffect {
 public:
  CPeephole() : CQuadEffect(L"DefaultPeepholeTex") {}

  // Channel 0 (v) runs from `from` - 0.5 to `to` - 0.5 over `durationMs`; the
  // hole's radius is (1 - 2v) times the circle inscribed in the screen, so 0.5
  // shows that circle and 1 closes it. With `instant`, both ends are the end
  // value. Ignored, `withBorder` included, while a run is under way.
  void Start(float from, float to, uint32_t durationMs, bool withBorder, bool instant);

  // The quad with the border colour and border addressing on sampler 0 when
  // `useBorder`; sampler 0 goes back to no border colour and wrapping after.
  bool Draw() override;

  D3DCOLOR colour = 0xFF000000;  // the layer's colour and the border's
  bool useBorder = true;

 protected:
  void Apply(const float channels[4]) override;
};

}  // namespace tav::effect
