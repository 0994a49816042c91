#include "Canvas.h"

#include <algorithm>
#include <cmath>

namespace demogen {

Rgba Hex(uint32_t rgb, float alpha) {
  return {((rgb >> 16) & 0xFF) / 255.0f, ((rgb >> 8) & 0xFF) / 255.0f, (rgb & 0xFF) / 255.0f, alpha};
}

Rgba Mix(const Rgba& a, const Rgba& b, float t) {
  t = std::clamp(t, 0.0f, 1.0f);
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

Rgba WithAlpha(Rgba c, float alpha) {
  c.a = alpha;
  return c;
}

Canvas::Canvas(int width, int height, Rgba fill) : width_(width), height_(height), pixels_(size_t(width) * height, fill) {}

void Canvas::Blend(int x, int y, const Rgba& c, float coverage) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  float sa = std::clamp(c.a * coverage, 0.0f, 1.0f);
  if (sa <= 0) return;
  Rgba& d = pixels_[size_t(y) * width_ + x];
  float out = sa + d.a * (1 - sa);
  if (out <= 0) {
    d = {};
    return;
  }
  // Straight-alpha "over": weigh the colours by how much each contributes.
  float keep = d.a * (1 - sa);
  d.r = (c.r * sa + d.r * keep) / out;
  d.g = (c.g * sa + d.g * keep) / out;
  d.b = (c.b * sa + d.b * keep) / out;
  d.a = out;
}

void Canvas::Fill(const Box& bounds, const Shape& shape, const Paint& paint, float softness) {
  int x0 = std::max(0, int(std::floor(bounds.left))), y0 = std::max(0, int(std::floor(bounds.top)));
  int x1 = std::min(width_, int(std::ceil(bounds.right))), y1 = std::min(height_, int(std::ceil(bounds.bottom)));
  float soft = std::max(softness, 1.0f);
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      float px = x + 0.5f, py = y + 0.5f;
      float d = shape(px, py);
      // Coverage falls from 1 to 0 across the edge, centred on it.
      float coverage = std::clamp(0.5f - d / soft, 0.0f, 1.0f);
      if (coverage > 0) Blend(x, y, paint(px, py), coverage);
    }
}

void Canvas::Wash(const Paint& paint) {
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) Blend(x, y, paint(x + 0.5f, y + 0.5f));
}

void Canvas::Draw(const Canvas& other, int x, int y, float opacity) {
  for (int j = 0; j < other.height_; ++j)
    for (int i = 0; i < other.width_; ++i) Blend(x + i, y + j, other.At(i, j), opacity);
}

void Canvas::MaskAlpha(const std::function<float(float, float)>& mask) {
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) pixels_[size_t(y) * width_ + x].a *= std::clamp(mask(x + 0.5f, y + 0.5f), 0.0f, 1.0f);
}

std::vector<uint8_t> Canvas::ToRgba8() const {
  std::vector<uint8_t> out(pixels_.size() * 4);
  auto byte = [](float v) { return uint8_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255)); };
  for (size_t i = 0; i < pixels_.size(); ++i) {
    const Rgba& p = pixels_[i];
    // Fully transparent pixels carry black, so no stray colour bleeds in when
    // the picture is filtered.
    bool clear = byte(p.a) == 0;
    out[i * 4 + 0] = clear ? 0 : byte(p.r);
    out[i * 4 + 1] = clear ? 0 : byte(p.g);
    out[i * 4 + 2] = clear ? 0 : byte(p.b);
    out[i * 4 + 3] = byte(p.a);
  }
  return out;
}

Paint Solid(Rgba c) {
  return [c](float, float) { return c; };
}

Paint VerticalGradient(float y0, Rgba c0, float y1, Rgba c1) {
  return [=](float, float y) { return Mix(c0, c1, (y - y0) / (y1 - y0)); };
}

Paint VerticalStops(std::vector<std::pair<float, Rgba>> stops) {
  return [stops = std::move(stops)](float, float y) {
    if (y <= stops.front().first) return stops.front().second;
    for (size_t i = 1; i < stops.size(); ++i)
      if (y <= stops[i].first) {
        float t = (y - stops[i - 1].first) / (stops[i].first - stops[i - 1].first);
        // Smoothstep between stops hides the banding a linear ramp shows.
        t = t * t * (3 - 2 * t);
        return Mix(stops[i - 1].second, stops[i].second, t);
      }
    return stops.back().second;
  };
}

Paint RadialGradient(float cx, float cy, float radius, Rgba inner, Rgba outer) {
  return [=](float x, float y) { return Mix(inner, outer, std::hypot(x - cx, y - cy) / radius); };
}

Shape Circle(float cx, float cy, float r) {
  return [=](float x, float y) { return std::hypot(x - cx, y - cy) - r; };
}

Shape Ellipse(float cx, float cy, float rx, float ry) {
  // Scaled circle distance, corrected by the gradient length so edges stay
  // one pixel wide all round.
  return [=](float x, float y) {
    float nx = (x - cx) / rx, ny = (y - cy) / ry;
    float k = std::hypot(nx, ny);
    float grad = std::hypot(nx / rx, ny / ry);
    if (k == 0) return -std::min(rx, ry);
    return (k - 1) * k / std::max(grad, 1e-6f);
  };
}

Shape RoundedRect(float left, float top, float right, float bottom, float radius) {
  float cx = (left + right) / 2, cy = (top + bottom) / 2;
  float hx = (right - left) / 2 - radius, hy = (bottom - top) / 2 - radius;
  return [=](float x, float y) {
    float qx = std::abs(x - cx) - hx, qy = std::abs(y - cy) - hy;
    float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
    return outside + std::min(std::max(qx, qy), 0.0f) - radius;
  };
}

Shape Polygon(std::vector<std::pair<float, float>> points) {
  return [p = std::move(points)](float x, float y) {
    float best = 1e30f;
    bool inside = false;
    for (size_t i = 0, j = p.size() - 1; i < p.size(); j = i++) {
      auto [xi, yi] = p[i];
      auto [xj, yj] = p[j];
      float ex = xj - xi, ey = yj - yi;
      float len2 = ex * ex + ey * ey;
      float t = len2 > 0 ? std::clamp(((x - xi) * ex + (y - yi) * ey) / len2, 0.0f, 1.0f) : 0;
      best = std::min(best, std::hypot(x - (xi + t * ex), y - (yi + t * ey)));
      if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) inside = !inside;
    }
    return inside ? -best : best;
  };
}

Shape Capsule(float x0, float y0, float x1, float y1, float radius) {
  return [=](float x, float y) {
    float ex = x1 - x0, ey = y1 - y0;
    float len2 = ex * ex + ey * ey;
    float t = len2 > 0 ? std::clamp(((x - x0) * ex + (y - y0) * ey) / len2, 0.0f, 1.0f) : 0;
    return std::hypot(x - (x0 + t * ex), y - (y0 + t * ey)) - radius;
  };
}

Shape Union(Shape a, Shape b) {
  return [=](float x, float y) { return std::min(a(x, y), b(x, y)); };
}

Shape Intersect(Shape a, Shape b) {
  return [=](float x, float y) { return std::max(a(x, y), b(x, y)); };
}

Shape Subtract(Shape a, Shape b) {
  return [=](float x, float y) { return std::max(a(x, y), -b(x, y)); };
}

Box Around(float left, float top, float right, float bottom, float pad) {
  return {left - pad, top - pad, right + pad, bottom + pad};
}

float Random::Next() {
  // xorshift32
  state_ ^= state_ << 13;
  state_ ^= state_ >> 17;
  state_ ^= state_ << 5;
  return (state_ >> 8) / float(1 << 24);
}

}  // namespace demogen
