#include "d3dx/ImageBytes.h"

#include <zlib.h>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb/stb_image_write.h>

#include <cstring>

namespace d3dxtest {

namespace {
void Put32(std::vector<uint8_t>& out, size_t offset, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[offset + i] = uint8_t(v >> (8 * i));
}
void Collect(void* context, void* data, int size) {
  auto* out = static_cast<std::vector<uint8_t>*>(context);
  out->insert(out->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
}
}  // namespace

std::vector<uint8_t> MakeDds(uint32_t width, uint32_t height, const DdsPixelFormat& format, uint32_t mipCount,
                             const std::vector<uint8_t>& data) {
  std::vector<uint8_t> out(128 + data.size(), 0);
  std::memcpy(out.data(), "DDS ", 4);
  Put32(out, 4, 124);
  Put32(out, 8, 0x1 | 0x2 | 0x4 | 0x1000 | (mipCount ? 0x20000 : 0));  // caps, height, width, pixel format
  Put32(out, 12, height);
  Put32(out, 16, width);
  Put32(out, 28, mipCount);
  Put32(out, 76, 32);
  Put32(out, 80, format.flags);
  Put32(out, 84, format.fourCC);
  Put32(out, 88, format.bits);
  Put32(out, 92, format.r);
  Put32(out, 96, format.g);
  Put32(out, 100, format.b);
  Put32(out, 104, format.a);
  Put32(out, 108, 0x1000 | (mipCount > 1 ? 0x400008 : 0));  // texture (+ complex, mip-map)
  if (!data.empty()) std::memcpy(out.data() + 128, data.data(), data.size());
  return out;
}

std::vector<uint8_t> MakePng(uint32_t width, uint32_t height, int channels, const std::vector<uint8_t>& pixels) {
  int length = 0;
  unsigned char* png =
      stbi_write_png_to_mem(pixels.data(), int(width) * channels, int(width), int(height), channels, &length);
  std::vector<uint8_t> out(png, png + length);
  STBIW_FREE(png);
  return out;
}

std::vector<uint8_t> WithTransparentColour(std::vector<uint8_t> png, const std::vector<uint8_t>& colour) {
  std::vector<uint8_t> chunk;
  const auto length = uint32_t(colour.size());
  for (int shift : {24, 16, 8, 0}) chunk.push_back(uint8_t(length >> shift));
  chunk.insert(chunk.end(), {'t', 'R', 'N', 'S'});
  chunk.insert(chunk.end(), colour.begin(), colour.end());
  const uLong crc = crc32(crc32(0, nullptr, 0), chunk.data() + 4, uInt(chunk.size() - 4));
  for (int shift : {24, 16, 8, 0}) chunk.push_back(uint8_t(crc >> shift));
  const size_t afterHeader = 8 + 8 + 13 + 4;  // signature, then IHDR's length, type, data and CRC
  png.insert(png.begin() + std::ptrdiff_t(afterHeader), chunk.begin(), chunk.end());
  return png;
}

std::string SolidPngFile(uint32_t width, uint32_t height, uint8_t r, uint8_t g, uint8_t b) {
  std::vector<uint8_t> rgba;
  rgba.reserve(size_t(width) * height * 4);
  for (uint32_t i = 0; i < width * height; ++i) rgba.insert(rgba.end(), {r, g, b, 255});
  const std::vector<uint8_t> png = MakePng(width, height, 4, rgba);
  return std::string(png.begin(), png.end());
}

std::vector<uint8_t> MakeHdr(uint32_t width, uint32_t height, const std::vector<float>& rgb) {
  std::vector<uint8_t> out;
  stbi_write_hdr_to_func(Collect, &out, int(width), int(height), 3, rgb.data());
  return out;
}

}  // namespace d3dxtest
