#pragma once
// The .ico file format: a directory of images, each a PNG stream or a
// bottom-up device-independent bitmap (1, 4, 8, 16, 24 or 32 bits per pixel)
// followed by a 1-bit transparency mask. Files come from the game folder and
// may be damaged, so every size and offset is checked before it is used.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tav::os {

// Pixels in rows from the top, four bytes R, G, B, A each.
struct IcoImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;
};

// The largest side an icon image may have.
inline constexpr int kMaxIconSide = 1024;

// Decodes the entry that fits width x height best: the same size, else the
// nearest larger one, else the nearest smaller one, more colours first among
// equals (0 x 0: the largest). When that entry is damaged the next best is
// tried. False when the directory is damaged or no entry decodes.
bool DecodeIco(std::span<const uint8_t> file, int width, int height, IcoImage& out);

// One PNG stream of at most kMaxIconSide pixels a side.
bool DecodeIconPng(std::span<const uint8_t> bytes, IcoImage& out);

// Resamples to width x height: each new pixel is the area-weighted average of
// the old pixels it covers, in premultiplied colour so that transparent pixels
// lend no colour to their neighbours.
IcoImage ResizeIcoImage(const IcoImage& image, int width, int height);

}  // namespace tav::os
