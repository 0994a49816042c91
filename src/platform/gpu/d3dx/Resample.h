#pragma once
// Placing and scaling pictures in the working form.
#include <cstdint>

#include "platform/gpu/d3dx/Image.h"

namespace tav::gpu::d3dx {

// `src` unscaled in the top-left of a width x height picture; texels beyond it
// repeat its edges (the near half of the padding the right or bottom edge, the
// far half the left or top edge), and parts of `src` beyond the picture are
// cut off.
void PlaceTopLeft(const Image& src, uint32_t width, uint32_t height, Image& out);

enum class ScaleFilter {
  Point,   // nearest texel
  Smooth,  // area average along an axis that shrinks, linear along one that grows
};

// `src` scaled to width x height (both at least 1). Shrinking by exactly 2 with
// Smooth averages each 2x2 block, which is how mip levels are made.
void Scale(const Image& src, uint32_t width, uint32_t height, ScaleFilter filter, Image& out);

}  // namespace tav::gpu::d3dx
