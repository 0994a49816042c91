#include "core/Colour.h"

#include <cmath>

namespace tav::effect {

namespace {

constexpr float kByteToChannel = 1.0f / 255.0f;
// A tween's end value is from + (to - from), which float arithmetic may leave
// one unit in the last place below `to`; truncating that would turn a faded-in
// 0x40 into 0x3F. Values this close below a whole byte are taken as that byte.
constexpr float kRoundingSlack = 1e-3f;

}  // namespace

std::array<float, 4> ColourToChannels(D3DCOLOR colour) {
  return {float((colour >> 24) & 0xFF) * kByteToChannel, float((colour >> 16) & 0xFF) * kByteToChannel,
          float((colour >> 8) & 0xFF) * kByteToChannel, float(colour & 0xFF) * kByteToChannel};
}

uint32_t LowByte(float value) {
  if (!std::isfinite(value)) return 0;
  // fmod keeps this exact for any magnitude; a negative integer's low byte is
  // its two's-complement one.
  double byte = std::fmod(std::trunc(double(value)), 256.0);
  if (byte < 0) byte += 256.0;
  return uint32_t(byte);
}

D3DCOLOR ChannelsToColour(const float channels[4]) {
  D3DCOLOR colour = 0;
  for (int i = 0; i < 4; ++i) colour = (colour << 8) | LowByte(channels[i] * 255.0f + kRoundingSlack);
  return colour;
}

}  // namespace tav::effect
