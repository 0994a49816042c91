#include "ImageFiles.h"

#include <stdexcept>

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

namespace demogen {

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

void AppendBytes(void* context, void* data, int size) {
  auto* out = static_cast<std::vector<uint8_t>*>(context);
  auto* bytes = static_cast<const uint8_t*>(data);
  out->insert(out->end(), bytes, bytes + size);
}

// The bitmap form of an icon entry: header, bottom-up BGRA rows, then the
// 1-bit mask (set where the pixel is transparent), rows padded to 32 bits.
std::vector<uint8_t> IconBitmap(const Canvas& canvas) {
  int w = canvas.Width(), h = canvas.Height();
  std::vector<uint8_t> rgba = canvas.ToRgba8(), out;
  Put32(out, 40);
  Put32(out, uint32_t(w));
  Put32(out, uint32_t(h * 2));  // colour rows and mask rows together
  Put16(out, 1);
  Put16(out, 32);
  for (int i = 0; i < 6; ++i) Put32(out, 0);  // no compression; sizes and palette unused
  for (int y = h - 1; y >= 0; --y)
    for (int x = 0; x < w; ++x) {
      const uint8_t* p = &rgba[(size_t(y) * w + x) * 4];
      out.insert(out.end(), {p[2], p[1], p[0], p[3]});
    }
  int maskStride = ((w + 31) / 32) * 4;
  for (int y = h - 1; y >= 0; --y) {
    std::vector<uint8_t> row(size_t(maskStride), 0);
    for (int x = 0; x < w; ++x)
      if (rgba[(size_t(y) * w + x) * 4 + 3] == 0) row[size_t(x / 8)] |= uint8_t(0x80 >> (x % 8));
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

}  // namespace

std::vector<uint8_t> EncodePng(const Canvas& canvas) {
  std::vector<uint8_t> rgba = canvas.ToRgba8(), out;
  if (!stbi_write_png_to_func(AppendBytes, &out, canvas.Width(), canvas.Height(), 4, rgba.data(), canvas.Width() * 4))
    throw std::runtime_error("PNG encoding failed");
  return out;
}

std::vector<uint8_t> EncodeDds(const Canvas& canvas) {
  constexpr uint32_t kCaps = 0x1, kHeight = 0x2, kWidth = 0x4, kPitch = 0x8, kPixelFormat = 0x1000;
  constexpr uint32_t kAlphaPixels = 0x1, kRgb = 0x40, kTexture = 0x1000;
  uint32_t w = uint32_t(canvas.Width()), h = uint32_t(canvas.Height());
  std::vector<uint8_t> out{'D', 'D', 'S', ' '};
  Put32(out, 124);
  Put32(out, kCaps | kHeight | kWidth | kPitch | kPixelFormat);
  Put32(out, h);
  Put32(out, w);
  Put32(out, w * 4);  // pitch
  Put32(out, 0);      // depth
  Put32(out, 0);      // mip levels: just the one
  for (int i = 0; i < 11; ++i) Put32(out, 0);
  Put32(out, 32);  // pixel format
  Put32(out, kRgb | kAlphaPixels);
  Put32(out, 0);
  Put32(out, 32);
  Put32(out, 0x00FF0000);
  Put32(out, 0x0000FF00);
  Put32(out, 0x000000FF);
  Put32(out, 0xFF000000);
  Put32(out, kTexture);
  for (int i = 0; i < 4; ++i) Put32(out, 0);
  std::vector<uint8_t> rgba = canvas.ToRgba8();
  for (size_t i = 0; i < rgba.size(); i += 4) out.insert(out.end(), {rgba[i + 2], rgba[i + 1], rgba[i], rgba[i + 3]});
  return out;
}

std::vector<uint8_t> EncodeIco(const std::vector<Canvas>& sizes) {
  std::vector<std::vector<uint8_t>> images;
  for (const Canvas& c : sizes) {
    if (c.Width() != c.Height() || c.Width() < 1 || c.Width() > 256)
      throw std::runtime_error("icon images must be square, 1 to 256 pixels");
    images.push_back(c.Width() == 256 ? EncodePng(c) : IconBitmap(c));
  }
  std::vector<uint8_t> out;
  Put16(out, 0);
  Put16(out, 1);  // icon
  Put16(out, uint32_t(images.size()));
  uint32_t offset = 6 + 16 * uint32_t(images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    int side = sizes[i].Width();
    out.push_back(uint8_t(side == 256 ? 0 : side));  // 0 stands for 256
    out.push_back(uint8_t(side == 256 ? 0 : side));
    out.push_back(0);  // no palette
    out.push_back(0);
    Put16(out, 1);   // planes
    Put16(out, 32);  // bits per pixel
    Put32(out, uint32_t(images[i].size()));
    Put32(out, offset);
    offset += uint32_t(images[i].size());
  }
  for (const auto& image : images) out.insert(out.end(), image.begin(), image.end());
  return out;
}

}  // namespace demogen
