#include "effect/Fade.h"

#include "core/Colour.h"

namespace tav::effect {

void CFade::Start(D3DCOLOR colour, float alpha, uint32_t durationMs, bool instant) {
  const D3DCOLOR end = (colour & 0x00FFFFFF) | (LowByte(alpha) << 24);
  Run(ColourToChannels(instant ? end : colour), ColourToChannels(end), durationMs);
}

void CFade::Apply(const float channels[4]) { quad.colours.fill(ChannelsToColour(channels)); }

}  // namespace tav::effect
