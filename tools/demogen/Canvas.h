#pragma once
// A floating-point RGBA picture and the few painting operations the demo art
// needs: shapes given as signed distance functions, filled with anti-aliased
// edges and any paint (solid colour or gradient), composited "over".
#include <cstdint>
#include <functional>
#include <vector>

namespace demogen {

// Straight (not premultiplied) colour, every channel 0..1.
struct Rgba {
  float r = 0, g = 0, b = 0, a = 0;
};

// 0xRRGGBB with an alpha.
Rgba Hex(uint32_t rgb, float alpha = 1);
Rgba Mix(const Rgba& a, const Rgba& b, float t);
Rgba WithAlpha(Rgba c, float alpha);

// Signed distance in pixels from a point to a shape's edge: negative inside.
using Shape = std::function<float(float x, float y)>;
// The colour a shape is filled with at a point.
using Paint = std::function<Rgba(float x, float y)>;

struct Box {
  float left, top, right, bottom;
};

class Canvas {
 public:
  Canvas(int width, int height, Rgba fill = {});
  int Width() const { return width_; }
  int Height() const { return height_; }
  const Rgba& At(int x, int y) const { return pixels_[size_t(y) * width_ + x]; }

  // Composites `c` over the pixel with the given coverage (0..1).
  void Blend(int x, int y, const Rgba& c, float coverage = 1);
  // Fills `shape` inside `bounds` (pixels outside it are not visited), edges
  // anti-aliased over one pixel. `softness` widens the edge into a soft fade.
  void Fill(const Box& bounds, const Shape& shape, const Paint& paint, float softness = 1);
  // Every pixel gets paint(x, y) composited over it.
  void Wash(const Paint& paint);
  // Draws `other` with its top-left at (x, y), its alpha scaled by `opacity`.
  void Draw(const Canvas& other, int x, int y, float opacity = 1);
  // Multiplies every alpha by `mask(x, y)`.
  void MaskAlpha(const std::function<float(float x, float y)>& mask);

  // Rows from the top, four bytes R, G, B, A each.
  std::vector<uint8_t> ToRgba8() const;

 private:
  int width_, height_;
  std::vector<Rgba> pixels_;
};

// Paints.
Paint Solid(Rgba c);
// From c0 at y0 to c1 at y1, held beyond the ends.
Paint VerticalGradient(float y0, Rgba c0, float y1, Rgba c1);
// Several stops, positions increasing.
Paint VerticalStops(std::vector<std::pair<float, Rgba>> stops);
Paint RadialGradient(float cx, float cy, float radius, Rgba inner, Rgba outer);

// Shapes.
Shape Circle(float cx, float cy, float r);
Shape Ellipse(float cx, float cy, float rx, float ry);
Shape RoundedRect(float left, float top, float right, float bottom, float radius);
// A closed polygon of any shape (even-odd inside test).
Shape Polygon(std::vector<std::pair<float, float>> points);
// A thick line with round ends.
Shape Capsule(float x0, float y0, float x1, float y1, float radius);
Shape Union(Shape a, Shape b);
Shape Intersect(Shape a, Shape b);
Shape Subtract(Shape a, Shape b);

// A box around a shape's bounds, padded for its soft edge.
Box Around(float left, float top, float right, float bottom, float pad = 2);

// A small deterministic random source, so the art is the same on every build.
class Random {
 public:
  explicit Random(uint32_t seed) : state_(seed ? seed : 1) {}
  float Next();  // 0..1
  float Range(float lo, float hi) { return lo + (hi - lo) * Next(); }

 private:
  uint32_t state_;
};

}  // namespace demogen
