#pragma once
// Encoders for the three file kinds the game ships: PNG for pictures, DDS
// (uncompressed 32-bit ARGB) for the skins, ICO for the window icon.
#include <cstdint>
#include <vector>

#include "Canvas.h"

namespace demogen {

std::vector<uint8_t> EncodePng(const Canvas& canvas);
// One level, A8R8G8B8: the layout every DDS reader takes without conversion.
std::vector<uint8_t> EncodeDds(const Canvas& canvas);
// One entry per canvas: sides below 256 as 32-bit bitmaps with their mask, a
// 256 side as a PNG stream.
std::vector<uint8_t> EncodeIco(const std::vector<Canvas>& sizes);

}  // namespace demogen
