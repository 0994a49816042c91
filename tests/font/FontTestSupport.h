#pragma once
// Fonts and DCs of the font layer held for the length of a test, and a glyph
// fetched the way the engine fetches one (size query, then fill).
#include <gtest/gtest.h>

#include <cwchar>
#include <vector>

#include "platform/font/Gdi.h"

namespace tavtest::font {

inline LOGFONTW Logfont(LONG height, const wchar_t* face = L"Meiryo") {
  LOGFONTW lf{};
  lf.lfHeight = height;
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = PROOF_QUALITY;
  lf.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
  std::wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  return lf;
}

inline const MAT2 kIdentity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};

// A memory DC with one font selected; everything goes back at the end.
class FontDC {
 public:
  explicit FontDC(LONG height, const wchar_t* face = L"Meiryo") {
    LOGFONTW lf = Logfont(height, face);
    font = tav::font::CreateFontIndirectW(&lf);
    dc = tav::font::CreateCompatibleDC(nullptr);
    if (font && dc) old = tav::font::SelectObject(dc, font);
  }
  ~FontDC() {
    if (old) tav::font::SelectObject(dc, old);
    if (dc) tav::font::DeleteDC(dc);
    if (font) tav::font::DeleteObject(font);
  }
  FontDC(const FontDC&) = delete;
  FontDC& operator=(const FontDC&) = delete;
  bool Ok() const { return font && dc && old; }
  TEXTMETRICW Metrics() const {
    TEXTMETRICW tm{};
    EXPECT_TRUE(tav::font::GetTextMetricsW(dc, &tm));
    return tm;
  }

  HFONT font = nullptr;
  HDC dc = nullptr;
  HGDIOBJ old = nullptr;
};

struct Glyph {
  DWORD size = 0;
  GLYPHMETRICS metrics{};
  std::vector<BYTE> bits;
  UINT Pitch() const { return (metrics.gmBlackBoxX + 3) & ~3u; }
  BYTE At(UINT x, UINT y) const { return bits[size_t(y) * Pitch() + x]; }
};

// Size query then fill; the fill must report the size the query did.
inline Glyph FetchGlyph(HDC dc, wchar_t ch) {
  Glyph g;
  g.size = tav::font::GetGlyphOutlineW(dc, ch, GGO_GRAY8_BITMAP, &g.metrics, 0, nullptr, &kIdentity);
  EXPECT_NE(g.size, GDI_ERROR) << "character " << unsigned(ch);
  if (g.size == GDI_ERROR || g.size == 0) return g;
  g.bits.assign(g.size, 0xEE);
  GLYPHMETRICS again{};
  EXPECT_EQ(tav::font::GetGlyphOutlineW(dc, ch, GGO_GRAY8_BITMAP, &again, g.size, g.bits.data(), &kIdentity),
            g.size);
  EXPECT_EQ(again.gmBlackBoxX, g.metrics.gmBlackBoxX);
  EXPECT_EQ(again.gmBlackBoxY, g.metrics.gmBlackBoxY);
  return g;
}

}  // namespace tavtest::font
