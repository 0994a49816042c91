#include "platform/gpu/d3dx/Resample.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace tav::gpu::d3dx {

namespace {

struct Tap {
  uint32_t source;
  float weight;
};

// For each destination index along one axis, the source indices it reads and
// their weights (summing to 1).
struct Taps {
  std::vector<uint32_t> first;  // first[i] .. first[i + 1] index `taps`
  std::vector<Tap> taps;
};

Taps MakeTaps(uint32_t from, uint32_t to, ScaleFilter filter) {
  Taps t;
  t.first.reserve(size_t(to) + 1);
  const double scale = double(from) / double(to);
  for (uint32_t i = 0; i < to; ++i) {
    t.first.push_back(uint32_t(t.taps.size()));
    if (from == to) {
      t.taps.push_back({i, 1.0f});
    } else if (filter == ScaleFilter::Point) {
      auto j = uint32_t(std::min<double>(std::floor((i + 0.5) * scale), from - 1));
      t.taps.push_back({j, 1.0f});
    } else if (to < from) {
      // Destination texel i covers source interval [i * scale, (i + 1) * scale).
      const double begin = i * scale, end = (i + 1) * scale;
      auto j0 = uint32_t(std::floor(begin));
      auto j1 = std::min<uint32_t>(uint32_t(std::ceil(end)), from);
      for (uint32_t j = j0; j < j1; ++j) {
        double overlap = std::min<double>(end, j + 1.0) - std::max<double>(begin, j);
        if (overlap > 0) t.taps.push_back({j, float(overlap / scale)});
      }
    } else {
      // Linear between the two nearest source centres, clamped at the edges.
      const double centre = (i + 0.5) * scale - 0.5;
      const double base = std::floor(centre);
      const auto f = float(centre - base);
      const auto j0 = uint32_t(std::clamp<double>(base, 0, from - 1));
      const auto j1 = uint32_t(std::clamp<double>(base + 1, 0, from - 1));
      t.taps.push_back({j0, 1.0f - f});
      if (f > 0) t.taps.push_back({j1, f});
    }
  }
  t.first.push_back(uint32_t(t.taps.size()));
  return t;
}

}  // namespace

void PlaceTopLeft(const Image& src, uint32_t width, uint32_t height, Image& out) {
  out.Resize(width, height);
  const uint32_t w = std::min(width, src.width), h = std::min(height, src.height);
  if (w == 0 || h == 0) return;
  // Padding columns repeat the picture's edge texels: the near half its
  // right edge, the far half its left edge, which is the neighbour a
  // wrapping sampler reaches across. Rows do the same with the bottom and
  // top edges. Linear filtering then never blends the picture's edges
  // with texels that are not its own.
  const uint32_t nearColumns = (width - w + 1) / 2, nearRows = (height - h + 1) / 2;
  for (uint32_t y = 0; y < h; ++y) {
    uint8_t* row = out.Row(y);
    std::memcpy(row, src.Row(y), size_t(w) * 4);
    for (uint32_t x = w; x < width; ++x) std::memcpy(row + size_t(x) * 4, row + (x - w < nearColumns ? w - 1 : 0) * 4, 4);
  }
  for (uint32_t y = h; y < height; ++y) std::memcpy(out.Row(y), out.Row(y - h < nearRows ? h - 1 : 0), size_t(width) * 4);
}

void Scale(const Image& src, uint32_t width, uint32_t height, ScaleFilter filter, Image& out) {
  if (width == src.width && height == src.height) {
    out = src;
    return;
  }
  out.Resize(width, height);
  if (src.width == 0 || src.height == 0) return;
  const Taps across = MakeTaps(src.width, width, filter);
  const Taps down = MakeTaps(src.height, height, filter);
  // Each destination row: blend the source rows it reads, then resample the
  // blended row across.
  std::vector<float> row(size_t(src.width) * 4);
  for (uint32_t y = 0; y < height; ++y) {
    std::fill(row.begin(), row.end(), 0.0f);
    for (uint32_t k = down.first[y]; k < down.first[y + 1]; ++k) {
      const Tap& tap = down.taps[k];
      const uint8_t* in = src.Row(tap.source);
      for (size_t i = 0; i < row.size(); ++i) row[i] += tap.weight * in[i];
    }
    uint8_t* dst = out.Row(y);
    for (uint32_t x = 0; x < width; ++x) {
      float sum[4] = {0, 0, 0, 0};
      for (uint32_t k = across.first[x]; k < across.first[x + 1]; ++k) {
        const Tap& tap = across.taps[k];
        const float* in = &row[size_t(tap.source) * 4];
        for (int c = 0; c < 4; ++c) sum[c] += tap.weight * in[c];
      }
      for (int c = 0; c < 4; ++c) dst[4 * x + c] = uint8_t(std::clamp(std::lround(sum[c]), 0L, 255L));
    }
  }
}

}  // namespace tav::gpu::d3dx
