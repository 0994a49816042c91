#pragma once
// The generated game's pictures: full-screen backgrounds (JPEG or PNG) and
// character sprites (PNG with alpha). Both carry grain, so that they are about
// as large as real artwork instead of compressing to nothing.
#include <cstdint>
#include <vector>

namespace scalegen {

enum class PictureFormat { Png, Jpeg };

std::vector<uint8_t> PaintBackground(uint64_t seed, int width, int height, PictureFormat format);
std::vector<uint8_t> PaintSprite(uint64_t seed, int width, int height);
// The message window: a translucent rounded panel.
std::vector<uint8_t> PaintMessageWindow(int width, int height);

}  // namespace scalegen
