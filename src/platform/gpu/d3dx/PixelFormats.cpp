#include "platform/gpu/d3dx/PixelFormats.h"

#include <cmath>

namespace tav::gpu::d3dx {

namespace {

// Channel width conversions. Widening replicates the top bits so that 0 and the
// channel maximum map to 0 and 255; narrowing rounds to nearest, which makes a
// narrow -> wide -> narrow round trip exact.
constexpr uint8_t Widen5(uint32_t v) { return uint8_t((v << 3) | (v >> 2)); }
constexpr uint8_t Widen6(uint32_t v) { return uint8_t((v << 2) | (v >> 4)); }
constexpr uint8_t Widen4(uint32_t v) { return uint8_t(v * 17); }
constexpr uint32_t Narrow(uint32_t v, uint32_t max) { return (v * max + 127) / 255; }

constexpr uint8_t Luminance(const uint8_t* bgra) {
  // Rec. 709 weights in 1/256ths (54 + 183 + 19 = 256).
  return uint8_t((54u * bgra[2] + 183u * bgra[1] + 19u * bgra[0] + 128u) >> 8);
}

void Put16(uint8_t* out, uint32_t v) {
  out[0] = uint8_t(v);
  out[1] = uint8_t(v >> 8);
}
uint32_t Get16(const uint8_t* in) { return uint32_t(in[0]) | uint32_t(in[1]) << 8; }

}  // namespace

FormatLayout LayoutOf(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_A8B8G8R8:
      return {true, false, 4, true};
    case D3DFMT_X8R8G8B8:
    case D3DFMT_X8B8G8R8:
      return {true, false, 4, false};
    case D3DFMT_R8G8B8:
      return {true, false, 3, false};
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
      return {true, false, 2, false};
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_A8L8:
      return {true, false, 2, true};
    case D3DFMT_L8:
      return {true, false, 1, false};
    case D3DFMT_A8:
      return {true, false, 1, true};
    case D3DFMT_A16B16G16R16:
      return {true, false, 8, true};
    case D3DFMT_A32B32G32R32F:
      return {true, false, 16, true};
    case D3DFMT_DXT1:
      return {true, true, 8, true};
    case D3DFMT_DXT2:
    case D3DFMT_DXT3:
    case D3DFMT_DXT4:
    case D3DFMT_DXT5:
      return {true, true, 16, true};
    default:
      return {};
  }
}

uint64_t RowBytes(D3DFORMAT format, uint32_t width) {
  FormatLayout layout = LayoutOf(format);
  if (!layout.known) return 0;
  if (layout.compressed) return uint64_t(width == 0 ? 0 : (uint64_t(width) + 3) / 4) * layout.bytes;
  return uint64_t(width) * layout.bytes;
}

uint32_t RowCount(D3DFORMAT format, uint32_t height) {
  FormatLayout layout = LayoutOf(format);
  if (!layout.known) return 0;
  return layout.compressed ? uint32_t((uint64_t(height) + 3) / 4) : height;
}

uint64_t LevelBytes(D3DFORMAT format, uint32_t width, uint32_t height) {
  return RowBytes(format, width) * RowCount(format, height);
}

bool IsPlainFormat(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
    case D3DFMT_A8B8G8R8:
    case D3DFMT_X8B8G8R8:
    case D3DFMT_R8G8B8:
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_L8:
    case D3DFMT_A8:
    case D3DFMT_A8L8:
      return true;
    default:
      return false;
  }
}

void EncodeRow(D3DFORMAT format, const uint8_t* bgra, uint32_t count, uint8_t* out) {
  for (uint32_t i = 0; i < count; ++i, bgra += 4) {
    const uint32_t b = bgra[0], g = bgra[1], r = bgra[2], a = bgra[3];
    switch (format) {
      case D3DFMT_A8R8G8B8:
        out[0] = uint8_t(b), out[1] = uint8_t(g), out[2] = uint8_t(r), out[3] = uint8_t(a);
        out += 4;
        break;
      case D3DFMT_X8R8G8B8:
        out[0] = uint8_t(b), out[1] = uint8_t(g), out[2] = uint8_t(r), out[3] = 0xFF;
        out += 4;
        break;
      case D3DFMT_A8B8G8R8:
        out[0] = uint8_t(r), out[1] = uint8_t(g), out[2] = uint8_t(b), out[3] = uint8_t(a);
        out += 4;
        break;
      case D3DFMT_X8B8G8R8:
        out[0] = uint8_t(r), out[1] = uint8_t(g), out[2] = uint8_t(b), out[3] = 0xFF;
        out += 4;
        break;
      case D3DFMT_R8G8B8:
        out[0] = uint8_t(b), out[1] = uint8_t(g), out[2] = uint8_t(r);
        out += 3;
        break;
      case D3DFMT_R5G6B5:
        Put16(out, Narrow(r, 31) << 11 | Narrow(g, 63) << 5 | Narrow(b, 31));
        out += 2;
        break;
      case D3DFMT_X1R5G5B5:
        Put16(out, 0x8000u | Narrow(r, 31) << 10 | Narrow(g, 31) << 5 | Narrow(b, 31));
        out += 2;
        break;
      case D3DFMT_A1R5G5B5:
        Put16(out, (a >= 128 ? 0x8000u : 0u) | Narrow(r, 31) << 10 | Narrow(g, 31) << 5 | Narrow(b, 31));
        out += 2;
        break;
      case D3DFMT_A4R4G4B4:
        Put16(out, Narrow(a, 15) << 12 | Narrow(r, 15) << 8 | Narrow(g, 15) << 4 | Narrow(b, 15));
        out += 2;
        break;
      case D3DFMT_L8:
        *out++ = Luminance(bgra);
        break;
      case D3DFMT_A8:
        *out++ = uint8_t(a);
        break;
      case D3DFMT_A8L8:
        out[0] = Luminance(bgra), out[1] = uint8_t(a);
        out += 2;
        break;
      default:
        return;
    }
  }
}

void DecodeRow(D3DFORMAT format, const uint8_t* in, uint32_t count, uint8_t* bgra) {
  for (uint32_t i = 0; i < count; ++i, bgra += 4) {
    uint32_t v = 0;
    switch (format) {
      case D3DFMT_A8R8G8B8:
        bgra[0] = in[0], bgra[1] = in[1], bgra[2] = in[2], bgra[3] = in[3];
        in += 4;
        break;
      case D3DFMT_X8R8G8B8:
        bgra[0] = in[0], bgra[1] = in[1], bgra[2] = in[2], bgra[3] = 0xFF;
        in += 4;
        break;
      case D3DFMT_A8B8G8R8:
        bgra[0] = in[2], bgra[1] = in[1], bgra[2] = in[0], bgra[3] = in[3];
        in += 4;
        break;
      case D3DFMT_X8B8G8R8:
        bgra[0] = in[2], bgra[1] = in[1], bgra[2] = in[0], bgra[3] = 0xFF;
        in += 4;
        break;
      case D3DFMT_R8G8B8:
        bgra[0] = in[0], bgra[1] = in[1], bgra[2] = in[2], bgra[3] = 0xFF;
        in += 3;
        break;
      case D3DFMT_R5G6B5:
        v = Get16(in);
        bgra[0] = Widen5(v & 31), bgra[1] = Widen6(v >> 5 & 63), bgra[2] = Widen5(v >> 11 & 31), bgra[3] = 0xFF;
        in += 2;
        break;
      case D3DFMT_X1R5G5B5:
      case D3DFMT_A1R5G5B5:
        v = Get16(in);
        bgra[0] = Widen5(v & 31), bgra[1] = Widen5(v >> 5 & 31), bgra[2] = Widen5(v >> 10 & 31);
        bgra[3] = (format == D3DFMT_X1R5G5B5 || (v & 0x8000)) ? 0xFF : 0;
        in += 2;
        break;
      case D3DFMT_A4R4G4B4:
        v = Get16(in);
        bgra[0] = Widen4(v & 15), bgra[1] = Widen4(v >> 4 & 15), bgra[2] = Widen4(v >> 8 & 15);
        bgra[3] = Widen4(v >> 12 & 15);
        in += 2;
        break;
      case D3DFMT_L8:
        bgra[0] = bgra[1] = bgra[2] = in[0], bgra[3] = 0xFF;
        in += 1;
        break;
      case D3DFMT_A8:
        bgra[0] = bgra[1] = bgra[2] = 0, bgra[3] = in[0];
        in += 1;
        break;
      case D3DFMT_A8L8:
        bgra[0] = bgra[1] = bgra[2] = in[0], bgra[3] = in[1];
        in += 2;
        break;
      default:
        return;
    }
  }
}

uint8_t UnitToByte(float value) {
  if (!(value > 0.0f)) return 0;  // also NaN
  if (value >= 1.0f) return 255;
  return uint8_t(std::lround(value * 255.0f));
}

}  // namespace tav::gpu::d3dx
