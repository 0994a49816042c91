#include "platform/gpu/d3dx/ImageDecode.h"

#include <climits>
#include <cctype>
#include <cstring>
#include <memory>

#include "platform/gpu/d3dx/JpegTables.h"

// stb_image, compiled here with only the formats this layer reads. It keeps its
// symbols private to this file so no other copy in the program can clash.
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_NO_STDIO
#define STBI_NO_FAILURE_STRINGS
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_BMP
#define STBI_ONLY_TGA
#define STBI_ONLY_HDR
#define STBI_ONLY_PNM
#define STBI_MAX_DIMENSIONS 16384
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#if !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#endif
#include <stb/stb_image.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace tav::gpu::d3dx {

static_assert(STBI_MAX_DIMENSIONS == kMaxImageDimension);

constexpr uint64_t kMostPixelsPerByte = 1032 * 8;

namespace {

bool StartsWith(const uint8_t* data, size_t size, const char* prefix) {
  size_t n = std::strlen(prefix);
  return size >= n && std::memcmp(data, prefix, n) == 0;
}

// The file format from the leading bytes. TGA files have no signature: they
// are whatever else the decoder accepts.
D3DXIMAGE_FILEFORMAT FileFormatOf(const uint8_t* data, size_t size) {
  if (StartsWith(data, size, "\x89PNG\r\n\x1a\n")) return D3DXIFF_PNG;
  if (StartsWith(data, size, "\xFF\xD8")) return D3DXIFF_JPG;
  if (StartsWith(data, size, "BM")) return D3DXIFF_BMP;
  if (StartsWith(data, size, "#?RADIANCE\n") || StartsWith(data, size, "#?RGBE\n")) return D3DXIFF_HDR;
  if (StartsWith(data, size, "P5") || StartsWith(data, size, "P6")) return D3DXIFF_PPM;
  return D3DXIFF_TGA;
}

struct StbFree {
  void operator()(stbi_uc* pixels) const { stbi_image_free(pixels); }
};

uint32_t BigEndian32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

// Whether a PNG names a transparent colour (a tRNS chunk before its image
// data). Grey and RGB files with one have alpha once decoded, although they
// store no alpha channel.
bool PngHasTransparentColour(const uint8_t* data, size_t size) {
  size_t at = 8;  // past the signature
  while (size - at >= 12) {
    const uint32_t length = BigEndian32(data + at);
    const uint8_t* type = data + at + 4;
    if (std::memcmp(type, "tRNS", 4) == 0) return true;
    if (std::memcmp(type, "IDAT", 4) == 0 || std::memcmp(type, "IEND", 4) == 0) return false;
    if (length > size - at - 12) return false;
    at += 12 + size_t(length);
  }
  return false;
}

// Whether the numbers of a PPM header (width, height, largest value) have at
// most nine digits each, as longer ones overflow the decoder's arithmetic,
// and the largest value fits a byte: the decoder sizes the pixels of a
// 16-bit file as bytes and then reads past them.
bool PnmHeaderFits(const uint8_t* data, size_t size) {
  size_t at = 2;  // past "P5" or "P6"
  uint64_t value = 0;
  for (int number = 0; number < 3; ++number) {
    for (;;) {
      while (at < size && std::isspace(data[at])) ++at;
      if (at >= size || data[at] != '#') break;
      while (at < size && data[at] != '\n' && data[at] != '\r') ++at;
    }
    size_t digits = 0;
    value = 0;
    while (at < size && std::isdigit(data[at])) value = value * 10 + uint64_t(data[at++] - '0'), ++digits;
    if (digits > 9) return false;
  }
  return value <= 255;
}

// Whether the decoder may be given the file: tables that fit their arrays,
// dimensions within bounds, and for TGA and PPM no more pixels than the bytes
// could hold (a TGA run-length packet of at least two bytes repeats a pixel at
// most 128 times), so a damaged header cannot make a tiny file decode for
// seconds.
bool Decodable(const uint8_t* data, size_t size, int& width, int& height, int& channels) {
  const D3DXIMAGE_FILEFORMAT format = FileFormatOf(data, size);
  // Every file: the decoder tries JPEG on files the format sniffing does not
  // call JPEG too.
  if (!JpegHuffmanTablesFit(data, size)) return false;
  if (format == D3DXIFF_PPM && !PnmHeaderFits(data, size)) return false;
  if (!stbi_info_from_memory(data, int(size), &width, &height, &channels)) return false;
  if (width <= 0 || height <= 0 || uint32_t(width) > kMaxImageDimension || uint32_t(height) > kMaxImageDimension)
    return false;
  const uint64_t pixels = uint64_t(width) * uint64_t(height);
  // A PPM holds its pixels uncompressed, a byte per channel.
  if (format == D3DXIFF_PPM) return pixels * uint64_t(channels) <= uint64_t(size);
  if (format == D3DXIFF_TGA) return pixels <= uint64_t(size) * 64;
  // Deflate packs at most 1032 bytes into one, and a PNG of one bit a pixel
  // holds 8 pixels a byte: no picture packs more pixels than this into a byte.
  // A few hundred bytes claiming a picture of hundreds of millions of pixels
  // would otherwise take seconds and a gigabyte to decode.
  return pixels <= uint64_t(size) * kMostPixelsPerByte;
}

}  // namespace

bool ReadCodecInfo(const uint8_t* data, size_t size, D3DXIMAGE_INFO& info) {
  if (!data || size == 0 || size > size_t(INT_MAX)) return false;
  int width = 0, height = 0, channels = 0;
  if (!Decodable(data, size, width, height, channels)) return false;
  info = {};
  info.Width = uint32_t(width);
  info.Height = uint32_t(height);
  info.Depth = 1;
  info.MipLevels = 1;
  info.ResourceType = D3DRTYPE_TEXTURE;
  info.ImageFileFormat = FileFormatOf(data, size);
  if (info.ImageFileFormat == D3DXIFF_HDR)
    info.Format = D3DFMT_A32B32G32R32F;
  else if (channels == 2 || channels == 4 ||
           (info.ImageFileFormat == D3DXIFF_PNG && PngHasTransparentColour(data, size)))
    info.Format = D3DFMT_A8R8G8B8;
  else
    info.Format = D3DFMT_X8R8G8B8;
  return true;
}

HRESULT DecodeCodecImage(const uint8_t* data, size_t size, Image& out) {
  if (!data || size == 0 || size > size_t(INT_MAX)) return D3DXERR_INVALIDDATA;
  int width = 0, height = 0, channels = 0;
  if (!Decodable(data, size, width, height, channels)) return D3DXERR_INVALIDDATA;
  std::unique_ptr<stbi_uc, StbFree> rgba(stbi_load_from_memory(data, int(size), &width, &height, &channels, 4));
  if (!rgba || width <= 0 || height <= 0 || uint32_t(width) > kMaxImageDimension ||
      uint32_t(height) > kMaxImageDimension)
    return D3DXERR_INVALIDDATA;
  out.Resize(uint32_t(width), uint32_t(height));
  const stbi_uc* in = rgba.get();
  uint8_t* texel = out.bgra.data();
  for (size_t i = 0, n = size_t(width) * size_t(height); i < n; ++i, in += 4, texel += 4) {
    texel[0] = in[2];
    texel[1] = in[1];
    texel[2] = in[0];
    texel[3] = in[3];
  }
  return S_OK;
}

}  // namespace tav::gpu::d3dx
