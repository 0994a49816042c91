#include "platform/font/SurfaceDraw.h"

#include <algorithm>
#include <cstring>

namespace tav::font {

namespace {

// GDI writes zero into the alpha byte of 32-bit pixels it draws; the unused
// byte of X8R8G8B8 is left opaque so the texture samples as drawn.
void PutWhite(BYTE* p, D3DFORMAT format) {
  switch (format) {
    case D3DFMT_X8R8G8B8:
      p[0] = p[1] = p[2] = p[3] = 0xFF;
      break;
    case D3DFMT_A8R8G8B8:
      p[0] = p[1] = p[2] = 0xFF;
      p[3] = 0;
      break;
    case D3DFMT_R5G6B5: {
      uint16_t v = 0xFFFF;
      std::memcpy(p, &v, 2);
      break;
    }
    default: {  // X1R5G5B5
      uint16_t v = 0x7FFF;
      std::memcpy(p, &v, 2);
      break;
    }
  }
}

BYTE Scale(unsigned channel, unsigned keep) { return BYTE((channel * keep + 32) / 64); }

// Lays black at `level` / 64 coverage over the pixel.
void Darken(BYTE* p, D3DFORMAT format, unsigned level) {
  unsigned keep = 64 - level;
  switch (format) {
    case D3DFMT_X8R8G8B8:
    case D3DFMT_A8R8G8B8:
      for (int i = 0; i < 3; ++i) p[i] = Scale(p[i], keep);
      if (format == D3DFMT_A8R8G8B8) p[3] = 0;
      break;
    case D3DFMT_R5G6B5: {
      uint16_t v;
      std::memcpy(&v, p, 2);
      unsigned r = Scale(v >> 11, keep), g = Scale((v >> 5) & 0x3F, keep), b = Scale(v & 0x1F, keep);
      v = uint16_t(r << 11 | g << 5 | b);
      std::memcpy(p, &v, 2);
      break;
    }
    default: {
      uint16_t v;
      std::memcpy(&v, p, 2);
      unsigned r = Scale((v >> 10) & 0x1F, keep), g = Scale((v >> 5) & 0x1F, keep), b = Scale(v & 0x1F, keep);
      v = uint16_t(r << 10 | g << 5 | b);
      std::memcpy(p, &v, 2);
      break;
    }
  }
}

int TexelBytes(D3DFORMAT format) { return format == D3DFMT_X8R8G8B8 || format == D3DFMT_A8R8G8B8 ? 4 : 2; }

}  // namespace

bool DrawableFormat(D3DFORMAT format) {
  return format == D3DFMT_X8R8G8B8 || format == D3DFMT_A8R8G8B8 || format == D3DFMT_R5G6B5 ||
         format == D3DFMT_X1R5G5B5;
}

void FillWhite(const DrawTarget& target, int left, int top, int right, int bottom) {
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, int(target.width));
  bottom = std::min(bottom, int(target.height));
  int bytes = TexelBytes(target.format);
  for (int y = top; y < bottom; ++y) {
    BYTE* row = target.bits + ptrdiff_t(y) * target.pitch;
    for (int x = left; x < right; ++x) PutWhite(row + x * bytes, target.format);
  }
}

void DrawGlyph(const DrawTarget& target, const GlyphImage& glyph, int x, int y) {
  int bytes = TexelBytes(target.format);
  int pitch = int(glyph.Pitch());
  for (int row = 0; row < int(glyph.height); ++row) {
    int ty = y + row;
    if (ty < 0 || ty >= int(target.height)) continue;
    BYTE* line = target.bits + ptrdiff_t(ty) * target.pitch;
    const BYTE* levels = glyph.levels.data() + ptrdiff_t(row) * pitch;
    for (int col = 0; col < int(glyph.width); ++col) {
      int tx = x + col;
      if (tx < 0 || tx >= int(target.width) || levels[col] == 0) continue;
      Darken(line + tx * bytes, target.format, std::min<unsigned>(levels[col], 64));
    }
  }
}

}  // namespace tav::font
