#include "platform/gpu/d3dx/DdsReader.h"

#include <cstring>

#include "platform/gpu/d3dx/DxtDecode.h"
#include "platform/gpu/d3dx/PixelFormats.h"

namespace tav::gpu::d3dx {

namespace {

constexpr size_t kMagicSize = 4;
constexpr uint32_t kHeaderSize = 124;
constexpr uint32_t kPixelFormatSize = 32;

// Surface description flags.
constexpr uint32_t kHasHeight = 0x2;
constexpr uint32_t kHasWidth = 0x4;
constexpr uint32_t kHasMipCount = 0x20000;
constexpr uint32_t kHasDepth = 0x800000;
// Pixel format flags.
constexpr uint32_t kAlphaPixels = 0x1;
constexpr uint32_t kAlphaOnly = 0x2;
constexpr uint32_t kFourCC = 0x4;
constexpr uint32_t kRgb = 0x40;
constexpr uint32_t kLuminance = 0x20000;
// Second capability word.
constexpr uint32_t kCubeMap = 0x200;
constexpr uint32_t kVolume = 0x200000;

uint32_t Dword(const uint8_t* header, size_t offset) {
  const uint8_t* p = header + offset;
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

struct PixelFormat {
  uint32_t flags, fourCC, bits, r, g, b, a;
};

struct MaskedFormat {
  uint32_t kind;  // kRgb, kLuminance or kAlphaOnly
  uint32_t bits, r, g, b, a;
  D3DFORMAT format;
};

constexpr MaskedFormat kMaskedFormats[] = {
    {kRgb, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, D3DFMT_A8R8G8B8},
    {kRgb, 32, 0xFF0000, 0xFF00, 0xFF, 0, D3DFMT_X8R8G8B8},
    {kRgb, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000, D3DFMT_A8B8G8R8},
    {kRgb, 32, 0xFF, 0xFF00, 0xFF0000, 0, D3DFMT_X8B8G8R8},
    {kRgb, 24, 0xFF0000, 0xFF00, 0xFF, 0, D3DFMT_R8G8B8},
    {kRgb, 16, 0xF800, 0x7E0, 0x1F, 0, D3DFMT_R5G6B5},
    {kRgb, 16, 0x7C00, 0x3E0, 0x1F, 0x8000, D3DFMT_A1R5G5B5},
    {kRgb, 16, 0x7C00, 0x3E0, 0x1F, 0, D3DFMT_X1R5G5B5},
    {kRgb, 16, 0xF00, 0xF0, 0xF, 0xF000, D3DFMT_A4R4G4B4},
    {kLuminance, 8, 0xFF, 0, 0, 0, D3DFMT_L8},
    {kLuminance, 16, 0xFF, 0, 0, 0xFF00, D3DFMT_A8L8},
    {kAlphaOnly, 8, 0, 0, 0, 0xFF, D3DFMT_A8},
};

D3DFORMAT FormatOf(const PixelFormat& pf) {
  if (pf.flags & kFourCC) {
    switch (pf.fourCC) {
      case D3DFMT_DXT1:
      case D3DFMT_DXT3:
      case D3DFMT_DXT5:
        return D3DFORMAT(pf.fourCC);
      default:
        return D3DFMT_UNKNOWN;
    }
  }
  // The alpha mask counts only when a flag says the format has alpha.
  const uint32_t alpha = (pf.flags & (kAlphaPixels | kAlphaOnly)) ? pf.a : 0;
  uint32_t kind = 0;
  if (pf.flags & kRgb)
    kind = kRgb;
  else if (pf.flags & kLuminance)
    kind = kLuminance;
  else if (pf.flags & kAlphaOnly)
    kind = kAlphaOnly;
  for (const MaskedFormat& m : kMaskedFormats) {
    if (m.kind == kind && m.bits == pf.bits && m.r == pf.r && m.g == pf.g && m.b == pf.b && m.a == alpha)
      return m.format;
  }
  return D3DFMT_UNKNOWN;
}

}  // namespace

bool HasDdsMagic(const uint8_t* data, size_t size) {
  return data && size >= kMagicSize && std::memcmp(data, "DDS ", kMagicSize) == 0;
}

HRESULT ReadDds(const uint8_t* data, size_t size, DdsFile& out) {
  out = {};
  if (!HasDdsMagic(data, size) || size < kMagicSize + kHeaderSize) return D3DXERR_INVALIDDATA;
  const uint8_t* header = data + kMagicSize;
  if (Dword(header, 0) != kHeaderSize || Dword(header, 72) != kPixelFormatSize) return D3DXERR_INVALIDDATA;

  const uint32_t flags = Dword(header, 4);
  const uint32_t height = Dword(header, 8), width = Dword(header, 12);
  const uint32_t depth = Dword(header, 20), mipCount = Dword(header, 24);
  const uint32_t caps2 = Dword(header, 108);
  if ((flags & (kHasWidth | kHasHeight)) != (kHasWidth | kHasHeight)) return D3DXERR_INVALIDDATA;
  if (width == 0 || height == 0 || width > kMaxImageDimension || height > kMaxImageDimension)
    return D3DXERR_INVALIDDATA;
  if ((caps2 & (kCubeMap | kVolume)) || ((flags & kHasDepth) && depth > 1)) return D3DXERR_INVALIDDATA;

  const PixelFormat pf{Dword(header, 76), Dword(header, 80), Dword(header, 84), Dword(header, 88),
                       Dword(header, 92), Dword(header, 96), Dword(header, 100)};
  const D3DFORMAT format = FormatOf(pf);
  if (format == D3DFMT_UNKNOWN) return D3DXERR_INVALIDDATA;

  uint32_t levels = (flags & kHasMipCount) && mipCount > 1 ? mipCount : 1;
  if (levels > FullChainLength(width, height)) return D3DXERR_INVALIDDATA;

  // Lay the chain out and check each level against the bytes that remain; the
  // sizes stay far below 64-bit overflow given the dimension cap.
  const uint8_t* cursor = data + kMagicSize + kHeaderSize;
  uint64_t remaining = size - kMagicSize - kHeaderSize;
  out.levels.reserve(levels);
  uint32_t w = width, h = height;
  for (uint32_t i = 0; i < levels; ++i) {
    const uint64_t bytes = LevelBytes(format, w, h);
    if (bytes == 0 || bytes > remaining) {
      out = {};
      return D3DXERR_INVALIDDATA;
    }
    out.levels.push_back({w, h, cursor, size_t(bytes)});
    cursor += bytes;
    remaining -= bytes;
    w = w > 1 ? w / 2 : 1;
    h = h > 1 ? h / 2 : 1;
  }
  out.format = format;
  out.width = width;
  out.height = height;
  return S_OK;
}

void DecodeDdsLevel(const DdsFile& file, size_t level, Image& out) {
  const DdsLevel& l = file.levels.at(level);
  if (LayoutOf(file.format).compressed) {
    DecodeDxtLevel(file.format, l.data, l.width, l.height, out);
    return;
  }
  out.Resize(l.width, l.height);
  const size_t pitch = size_t(RowBytes(file.format, l.width));
  for (uint32_t y = 0; y < l.height; ++y) DecodeRow(file.format, l.data + y * pitch, l.width, out.Row(y));
}

}  // namespace tav::gpu::d3dx
