// The window icon: a rounded square of dusk sky with the sun on the horizon,
// drawn at each size rather than scaled, so the small ones stay sharp.
#include <fstream>
#include <stdexcept>

#include "Art.h"
#include "ImageFiles.h"
#include "Widgets.h"

namespace demogen {

namespace {

Canvas IconAt(int side) {
  float s = side / 32.0f;  // drawn on a 32-unit grid
  Canvas c(side, side);
  Shape tile = RoundedRect(0.5f * s, 0.5f * s, side - 0.5f * s, side - 0.5f * s, 6 * s);
  c.Fill({0, 0, float(side), float(side)}, tile, VerticalStops({{2 * s, Hex(0x2E2A62)}, {14 * s, Hex(0xB0587A)}, {21 * s, Hex(0xF6A862)}}));
  Shape sun = Intersect(Circle(16 * s, 21 * s, 7 * s), [=](float, float y) { return y - 21 * s; });
  c.Fill({0, 0, float(side), float(side)}, Intersect(tile, sun), Solid(Hex(0xFFE6B8)));
  Shape ground = Intersect(tile, [=](float, float y) { return 21 * s - y; });
  c.Fill({0, 0, float(side), float(side)}, ground, VerticalGradient(21 * s, Hex(0x3A2444), 32 * s, Hex(0x1C1430)));
  c.Fill({0, 0, float(side), float(side)}, Intersect(tile, [=](float, float y) { return std::abs(y - 23.5f * s) - 0.7f * s; }),
         Solid(WithAlpha(Hex(0xFFC98A), 0.6f)));
  if (side >= 32)  // an evening star
    c.Fill({0, 0, float(side), float(side)}, Circle(24 * s, 8 * s, 1.2f * s), Solid(Hex(0xFFF6E0)));
  return c;
}

}  // namespace

void WriteIcon(const std::filesystem::path& path) {
  std::vector<Canvas> sizes;
  for (int side : {16, 32, 48, 256}) sizes.push_back(IconAt(side));
  std::vector<uint8_t> bytes = EncodeIco(sizes);
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace demogen
