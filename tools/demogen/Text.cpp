#include "Text.h"

#include <cmath>
#include <cwchar>
#include <vector>

#include "platform/font/FreeTypeFont.h"

namespace demogen {

namespace {

constexpr MAT2 kIdentity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};

// GGO_GRAY8_BITMAP: 65 coverage levels, rows padded to four bytes.
struct Glyph {
  GLYPHMETRICS metrics{};
  std::vector<BYTE> bits;
  bool ok = false;
};

Glyph Fetch(HDC dc, wchar_t ch) {
  Glyph g;
  DWORD size = tav::font::GetGlyphOutlineW(dc, ch, GGO_GRAY8_BITMAP, &g.metrics, 0, nullptr, &kIdentity);
  if (size == GDI_ERROR) return g;
  g.bits.resize(size);
  if (size > 0 &&
      tav::font::GetGlyphOutlineW(dc, ch, GGO_GRAY8_BITMAP, &g.metrics, size, g.bits.data(), &kIdentity) != size)
    return g;
  g.ok = true;
  return g;
}

}  // namespace

TextPainter::TextPainter(int emPixels, bool bold) {
  LOGFONTW lf{};
  lf.lfHeight = -emPixels;
  lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  lf.lfCharSet = SHIFTJIS_CHARSET;
  lf.lfQuality = ANTIALIASED_QUALITY;
  std::wcsncpy(lf.lfFaceName, L"Meiryo", LF_FACESIZE - 1);
  font_ = tav::font::CreateFontIndirectW(&lf);
  dc_ = tav::font::CreateCompatibleDC(nullptr);
  if (font_ && dc_) old_ = tav::font::SelectObject(dc_, font_);
  if (old_ && !tav::font::GetTextMetricsW(dc_, &metrics_)) {
    tav::font::SelectObject(dc_, old_);
    old_ = nullptr;
  }
}

TextPainter::~TextPainter() {
  if (old_) tav::font::SelectObject(dc_, old_);
  if (dc_) tav::font::DeleteDC(dc_);
  if (font_) tav::font::DeleteObject(font_);
}

bool TextPainter::Covers(std::wstring_view text) const {
  auto* real = dynamic_cast<tav::font::FreeTypeFont*>(font_);
  if (!real) return false;
  for (wchar_t ch : text)
    if (ch != L' ' && FT_Get_Char_Index(real->SharedFace().Get(), FT_ULong(ch)) == 0) return false;
  return true;
}

int TextPainter::Width(std::wstring_view text) const {
  int width = 0;
  for (wchar_t ch : text) width += Fetch(dc_, ch).metrics.gmCellIncX;
  return width;
}

void TextPainter::Draw(Canvas& canvas, std::wstring_view text, float x, float top, Rgba colour) const {
  int pen = int(std::lround(x));
  int baseline = int(std::lround(top)) + metrics_.tmAscent;
  for (wchar_t ch : text) {
    Glyph g = Fetch(dc_, ch);
    if (!g.ok) continue;
    UINT pitch = (g.metrics.gmBlackBoxX + 3) & ~3u;
    int left = pen + g.metrics.gmptGlyphOrigin.x, glyphTop = baseline - g.metrics.gmptGlyphOrigin.y;
    if (!g.bits.empty())
      for (UINT j = 0; j < g.metrics.gmBlackBoxY; ++j)
        for (UINT i = 0; i < g.metrics.gmBlackBoxX; ++i) {
          BYTE level = g.bits[size_t(j) * pitch + i];
          if (level) canvas.Blend(left + int(i), glyphTop + int(j), colour, level / 64.0f);
        }
    pen += g.metrics.gmCellIncX;
  }
}

void TextPainter::DrawCentred(Canvas& canvas, std::wstring_view text, float cx, float cy, Rgba colour) const {
  Draw(canvas, text, std::round(cx - Width(text) / 2.0f), std::round(cy - metrics_.tmHeight / 2.0f), colour);
}

}  // namespace demogen
