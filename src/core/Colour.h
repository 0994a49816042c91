#pragma once
// The effects animate colours as four tween channels (A, R, G, B), each byte
// scaled into 0..1, and pack the channels back into a 0xAARRGGBB colour for the
// quad corners. Both directions live here so every effect agrees on them.
#include <array>
#include <cstdint>

#include "platform/gpu/D3D9Types.h"

namespace tav::effect {

// (A, R, G, B), each byte / 255.
std::array<float, 4> ColourToChannels(D3DCOLOR colour);

// Each channel x 255 truncated to an integer whose low byte is kept, A in the
// high byte down to B. Out-of-range and non-finite channels never reach an
// undefined conversion.
D3DCOLOR ChannelsToColour(const float channels[4]);

// The low byte of `value` truncated towards zero; 0 for a non-finite value.
uint32_t LowByte(float value);

}  // namespace tav::effect
