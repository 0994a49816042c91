#include "Pictures.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "Noise.h"

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#endif
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STBI_WRITE_NO_STDIO
#include <stb/stb_image_write.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace scalegen {

namespace {

void Append(void* context, void* data, int size) {
  auto* out = static_cast<std::vector<uint8_t>*>(context);
  auto* bytes = static_cast<const uint8_t*>(data);
  out->insert(out->end(), bytes, bytes + size);
}

std::vector<uint8_t> Encode(const std::vector<uint8_t>& pixels, int width, int height, int channels,
                            PictureFormat format) {
  std::vector<uint8_t> out;
  int ok = format == PictureFormat::Png
               ? stbi_write_png_to_func(Append, &out, width, height, channels, pixels.data(), width * channels)
               : stbi_write_jpg_to_func(Append, &out, width, height, channels, pixels.data(), 92);
  if (!ok || out.empty()) throw std::runtime_error("cannot encode a picture");
  return out;
}

uint8_t Clamp(double v) { return static_cast<uint8_t>(std::clamp(v, 0.0, 255.0)); }

struct Colour {
  double r, g, b;
};

Colour RandomColour(Noise& noise) { return {noise.Range(20, 235), noise.Range(20, 235), noise.Range(20, 235)}; }

}  // namespace

std::vector<uint8_t> PaintBackground(uint64_t seed, int width, int height, PictureFormat format) {
  Noise noise(seed);
  const Colour top = RandomColour(noise), bottom = RandomColour(noise);
  // A horizon of blocks (buildings, shelves, trees: the eye does not mind).
  struct Block {
    int left, right, top;
    Colour colour;
  };
  std::vector<Block> blocks(8 + noise.Below(12));
  for (Block& b : blocks) {
    b.left = static_cast<int>(noise.Below(static_cast<uint32_t>(width)));
    b.right = b.left + 40 + static_cast<int>(noise.Below(static_cast<uint32_t>(width / 4)));
    b.top = height / 3 + static_cast<int>(noise.Below(static_cast<uint32_t>(height / 2)));
    b.colour = RandomColour(noise);
  }
  const double grain = noise.Range(14, 22);
  std::vector<uint8_t> pixels(size_t(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    const double t = double(y) / height;
    for (int x = 0; x < width; ++x) {
      Colour c{top.r + (bottom.r - top.r) * t, top.g + (bottom.g - top.g) * t, top.b + (bottom.b - top.b) * t};
      for (const Block& b : blocks)
        if (x >= b.left && x < b.right && y >= b.top) c = b.colour;
      // Grain of a few levels per channel: what a photograph or painted
      // texture keeps, and what keeps the file size realistic.
      const double g = (double(noise.Below(1024)) / 1023.0 - 0.5) * grain;
      uint8_t* p = &pixels[(size_t(y) * width + x) * 3];
      p[0] = Clamp(c.r + g + (double(noise.Below(9)) - 4));
      p[1] = Clamp(c.g + g + (double(noise.Below(9)) - 4));
      p[2] = Clamp(c.b + g + (double(noise.Below(9)) - 4));
    }
  }
  return Encode(pixels, width, height, 3, format);
}

std::vector<uint8_t> PaintSprite(uint64_t seed, int width, int height) {
  Noise noise(seed);
  const Colour skin{noise.Range(200, 250), noise.Range(170, 215), noise.Range(150, 200)};
  const Colour hair = RandomColour(noise), clothes = RandomColour(noise);
  const double cx = width / 2.0, headY = height * 0.2, headR = width * 0.2;
  std::vector<uint8_t> pixels(size_t(width) * height * 4, 0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const double dx = x - cx, dy = y - headY;
      double head = std::sqrt(dx * dx + dy * dy) - headR;  // negative inside
      // The body: a trapezoid widening from the neck to the bottom edge.
      double bodyHalf = width * (0.15 + 0.3 * std::clamp((y - headY - headR) / (height * 0.5), 0.0, 1.0));
      double body = y > headY + headR * 0.8 ? std::abs(dx) - bodyHalf : 1e9;
      Colour c;
      double edge;
      if (head < body) {
        c = dy < -headR * 0.2 || std::abs(dx) > headR * 0.8 ? hair : skin;
        edge = head;
      } else {
        c = clothes;
        edge = body;
      }
      double alpha = std::clamp(0.5 - edge, 0.0, 1.0);
      if (alpha <= 0) continue;
      const double g = (double(noise.Below(1024)) / 1023.0 - 0.5) * 18;
      uint8_t* p = &pixels[(size_t(y) * width + x) * 4];
      p[0] = Clamp(c.r + g);
      p[1] = Clamp(c.g + g);
      p[2] = Clamp(c.b + g);
      p[3] = Clamp(alpha * 255);
    }
  }
  return Encode(pixels, width, height, 4, PictureFormat::Png);
}

std::vector<uint8_t> PaintMessageWindow(int width, int height) {
  std::vector<uint8_t> pixels(size_t(width) * height * 4);
  const double radius = 16;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      // Distance outside the rounded rectangle's inner box.
      double qx = std::max({radius - x, x - (width - 1 - radius), 0.0});
      double qy = std::max({radius - y, y - (height - 1 - radius), 0.0});
      double alpha = std::clamp(radius + 0.5 - std::sqrt(qx * qx + qy * qy), 0.0, 1.0);
      uint8_t* p = &pixels[(size_t(y) * width + x) * 4];
      p[0] = 16;
      p[1] = 24;
      p[2] = 48;
      p[3] = Clamp(alpha * 180);
    }
  return Encode(pixels, width, height, 4, PictureFormat::Png);
}

}  // namespace scalegen
