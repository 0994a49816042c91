// The FreeType backend through the GDI calls: face choice, GDI's height
// meanings and cell metrics, and the contract of GetGlyphOutlineW.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cerrno>

#include "font/FontTestSupport.h"
#include "platform/font/FreeTypeFont.h"
#include "platform/os/LastError.h"

namespace tavtest::font {
namespace {

using namespace tav::font;

TEST(FreeTypeFont, MeiryoFallsBackToAFaceWithKana) {
  FontDC f(-24);
  ASSERT_TRUE(f.Ok()) << "last error " << tav::os::GetLastError();
  auto* real = dynamic_cast<FreeTypeFont*>(f.font);
  ASSERT_NE(real, nullptr);
  EXPECT_NE(FT_Get_Char_Index(real->SharedFace().Get(), 0x3042), 0u) << real->SharedFace().Family();
  EXPECT_EQ(f.Metrics().tmCharSet, SHIFTJIS_CHARSET);
  // A family that is installed is used as asked.
  FontDC dejavu(-24, L"DejaVu Sans");
  ASSERT_TRUE(dejavu.Ok());
  EXPECT_EQ(dynamic_cast<FreeTypeFont*>(dejavu.font)->SharedFace().Family(), "DejaVu Sans");
}

TEST(FreeTypeFont, FontsOfOneFaceShareTheOpenFile) {
  FontDC a(-20), b(30);
  ASSERT_TRUE(a.Ok() && b.Ok());
  EXPECT_EQ(&dynamic_cast<FreeTypeFont*>(a.font)->SharedFace(), &dynamic_cast<FreeTypeFont*>(b.font)->SharedFace());
}

TEST(FreeTypeFont, HeightsMeanWhatTheyMeanToGdi) {
  for (LONG h : {12, 16, 24, 25, 37, 64}) {
    FontDC em(-h), cell(h);
    ASSERT_TRUE(em.Ok() && cell.Ok());
    TEXTMETRICW emMetrics = em.Metrics(), cellMetrics = cell.Metrics();
    SCOPED_TRACE(h);
    // Positive: the whole cell is h pixels.
    EXPECT_EQ(cellMetrics.tmHeight, h);
    EXPECT_EQ(cellMetrics.tmHeight, cellMetrics.tmAscent + cellMetrics.tmDescent);
    EXPECT_EQ(emMetrics.tmHeight, emMetrics.tmAscent + emMetrics.tmDescent);
    // Negative: the em is h pixels, and the cell adds the internal leading.
    EXPECT_EQ(emMetrics.tmHeight - emMetrics.tmInternalLeading, h);
    int cellEm = cellMetrics.tmHeight - cellMetrics.tmInternalLeading;
    EXPECT_LT(cellEm, h);
    EXPECT_EQ(cellEm, dynamic_cast<FreeTypeFont*>(cell.font)->EmPixels());
    EXPECT_GT(emMetrics.tmAveCharWidth, 0);
    EXPECT_GE(emMetrics.tmMaxCharWidth, emMetrics.tmAveCharWidth);
    // The glyphs follow: a positive height gives a narrower ideograph.
    EXPECT_LT(FetchGlyph(cell.dc, L'漢').metrics.gmCellIncX, FetchGlyph(em.dc, L'漢').metrics.gmCellIncX);
  }
  // Zero asks for the default size.
  FontDC zero(0);
  ASSERT_TRUE(zero.Ok());
  EXPECT_EQ(zero.Metrics().tmHeight, kDefaultCellHeight);
}

TEST(FreeTypeFont, GlyphBitmapsKeepGdisLayout) {
  FontDC f(-24);
  ASSERT_TRUE(f.Ok());
  bool reachedFull = false;
  for (wchar_t ch : {L'あ', L'い', L'う', L'漢', L'A', L'g', L'W', L'■', L'|'}) {
    SCOPED_TRACE(unsigned(ch));
    Glyph g = FetchGlyph(f.dc, ch);
    ASSERT_GT(g.size, 0u);
    EXPECT_EQ(g.size, g.Pitch() * g.metrics.gmBlackBoxY);
    EXPECT_EQ(g.Pitch() % 4, 0u);
    EXPECT_EQ(g.metrics.gmCellIncY, 0);
    EXPECT_GT(g.metrics.gmCellIncX, 0);
    BYTE most = 0;
    for (UINT y = 0; y < g.metrics.gmBlackBoxY; ++y) {
      for (UINT x = 0; x < g.metrics.gmBlackBoxX; ++x) most = std::max(most, g.At(x, y));
      // Padding is written, not left as it was.
      for (UINT x = g.metrics.gmBlackBoxX; x < g.Pitch(); ++x) EXPECT_EQ(g.At(x, y), 0);
    }
    EXPECT_LE(most, 64);
    EXPECT_GT(most, 0);
    reachedFull |= most == 64;
    // The box is tight: ink in its first and last rows.
    auto rowInk = [&](UINT y) {
      for (UINT x = 0; x < g.metrics.gmBlackBoxX; ++x)
        if (g.At(x, y)) return true;
      return false;
    };
    EXPECT_TRUE(rowInk(0));
    EXPECT_TRUE(rowInk(g.metrics.gmBlackBoxY - 1));
  }
  EXPECT_TRUE(reachedFull) << "no glyph has a fully covered pixel";
  // Kana at 24 px sit inside one em cell.
  Glyph a = FetchGlyph(f.dc, L'あ');
  EXPECT_EQ(a.metrics.gmCellIncX, 24);
  EXPECT_LE(a.metrics.gmBlackBoxX, 24u);
}

TEST(FreeTypeFont, OriginMeasuresUpFromTheBaseline) {
  FontDC f(-32);
  ASSERT_TRUE(f.Ok());
  Glyph g = FetchGlyph(f.dc, L'g'), t = FetchGlyph(f.dc, L'T'), dash = FetchGlyph(f.dc, L'_');
  // "g" hangs below the baseline, "T" stands on it (the Japanese faces lift
  // their Latin letters a little).
  EXPECT_GT(g.metrics.gmptGlyphOrigin.y, 0);
  EXPECT_LT(g.metrics.gmptGlyphOrigin.y, int32_t(g.metrics.gmBlackBoxY));
  int tBottom = t.metrics.gmptGlyphOrigin.y - int32_t(t.metrics.gmBlackBoxY);
  EXPECT_GE(tBottom, 0);
  EXPECT_LE(tBottom, 3);
  EXPECT_LE(dash.metrics.gmptGlyphOrigin.y, 0);
  // Cap height under the ascent.
  EXPECT_LE(t.metrics.gmptGlyphOrigin.y, f.Metrics().tmAscent);
  EXPECT_GE(t.metrics.gmptGlyphOrigin.x, 0);
}

TEST(FreeTypeFont, BlankCharactersHaveAnAdvanceButNoBits) {
  FontDC f(-24);
  ASSERT_TRUE(f.Ok());
  for (wchar_t ch : {L' ', L'\u3000'}) {
    GLYPHMETRICS gm{};
    EXPECT_EQ(GetGlyphOutlineW(f.dc, ch, GGO_GRAY8_BITMAP, &gm, 0, nullptr, &kIdentity), 0u);
    EXPECT_EQ(gm.gmBlackBoxX, 1u);
    EXPECT_EQ(gm.gmBlackBoxY, 1u);
    EXPECT_GT(gm.gmCellIncX, 0);
    BYTE untouched[4] = {7, 7, 7, 7};
    EXPECT_EQ(GetGlyphOutlineW(f.dc, ch, GGO_GRAY8_BITMAP, &gm, sizeof untouched, untouched, &kIdentity), 0u);
    EXPECT_EQ(untouched[0], 7);
  }
  GLYPHMETRICS ideographic{};
  GetGlyphOutlineW(f.dc, L'\u3000', GGO_GRAY8_BITMAP, &ideographic, 0, nullptr, &kIdentity);
  EXPECT_EQ(ideographic.gmCellIncX, 24);
}

TEST(FreeTypeFont, RefusesWhatItCannotDo) {
  FontDC f(-24);
  ASSERT_TRUE(f.Ok());
  GLYPHMETRICS gm{};
  DWORD size = GetGlyphOutlineW(f.dc, L'あ', GGO_GRAY8_BITMAP, &gm, 0, nullptr, &kIdentity);
  ASSERT_NE(size, GDI_ERROR);
  ASSERT_GT(size, 4u);
  // One byte short: refused, and nothing written past what was given.
  std::vector<BYTE> buffer(size, 0xAB);
  tav::os::SetLastError(0);
  EXPECT_EQ(GetGlyphOutlineW(f.dc, L'あ', GGO_GRAY8_BITMAP, &gm, size - 1, buffer.data(), &kIdentity), GDI_ERROR);
  EXPECT_EQ(tav::os::GetLastError(), ENOBUFS);
  EXPECT_EQ(buffer.back(), 0xAB);
  // Turned or scaled glyphs and other formats are refused, not drawn upright.
  MAT2 turned{{0, 0}, {0, 1}, {0, -1}, {0, 0}};
  EXPECT_EQ(GetGlyphOutlineW(f.dc, L'あ', GGO_GRAY8_BITMAP, &gm, 0, nullptr, &turned), GDI_ERROR);
  EXPECT_EQ(GetGlyphOutlineW(f.dc, L'あ', GGO_GRAY8_BITMAP, &gm, 0, nullptr, nullptr), GDI_ERROR);
  EXPECT_EQ(GetGlyphOutlineW(f.dc, L'あ', 5, &gm, 0, nullptr, &kIdentity), GDI_ERROR);
  EXPECT_EQ(GetGlyphOutlineW(f.dc, L'あ', GGO_GRAY8_BITMAP, nullptr, 0, nullptr, &kIdentity), GDI_ERROR);
  // Heights no glyph cache could hold.
  LOGFONTW huge = Logfont(-1000000);
  EXPECT_EQ(CreateFontIndirectW(&huge), nullptr);
  EXPECT_EQ(tav::os::GetLastError(), EINVAL);
  EXPECT_EQ(CreateFontIndirectW(nullptr), nullptr);
}

TEST(FreeTypeFont, HandlesAreCheckedAndOutliveTheirUse) {
  LOGFONTW lf = Logfont(-20);
  HFONT font = CreateFontIndirectW(&lf);
  ASSERT_NE(font, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  ASSERT_NE(dc, nullptr);
  // A fresh DC draws with the stock font, which is what the first select gives back.
  TEXTMETRICW stock{};
  EXPECT_TRUE(GetTextMetricsW(dc, &stock));
  EXPECT_EQ(stock.tmHeight, kDefaultCellHeight);
  GLYPHMETRICS gm{};
  EXPECT_NE(GetGlyphOutlineW(dc, L'A', GGO_GRAY8_BITMAP, &gm, 0, nullptr, &kIdentity), GDI_ERROR);
  HGDIOBJ old = SelectObject(dc, font);
  ASSERT_NE(old, nullptr);
  // The glyph the DC remembers belongs to the stock font, not this one.
  GLYPHMETRICS bigger{};
  GetGlyphOutlineW(dc, L'A', GGO_GRAY8_BITMAP, &bigger, 0, nullptr, &kIdentity);
  EXPECT_GT(bigger.gmBlackBoxY, gm.gmBlackBoxY);
  // Deleting a selected font leaves the DC working until it lets go.
  EXPECT_TRUE(DeleteObject(font));
  TEXTMETRICW tm{};
  EXPECT_TRUE(GetTextMetricsW(dc, &tm));
  EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 20);
  EXPECT_FALSE(DeleteObject(font));
  EXPECT_EQ(tav::os::GetLastError(), EBADF);
  EXPECT_EQ(SelectObject(dc, font), nullptr);
  EXPECT_EQ(SelectObject(dc, old), font);
  EXPECT_TRUE(DeleteObject(old));  // a stock object: deleting it does nothing
  EXPECT_TRUE(GetTextMetricsW(dc, &tm));
  EXPECT_TRUE(DeleteDC(dc));
  EXPECT_FALSE(DeleteDC(dc));
  EXPECT_FALSE(GetTextMetricsW(dc, &tm));
  EXPECT_EQ(GetGlyphOutlineW(dc, L'A', GGO_GRAY8_BITMAP, &gm, 0, nullptr, &kIdentity), GDI_ERROR);
  EXPECT_FALSE(TextOutW(dc, 0, 0, L"A", 1));
}

TEST(FreeTypeFont, MemoryDcTextOutDrawsNothingButSucceeds) {
  FontDC f(-16);
  ASSERT_TRUE(f.Ok());
  EXPECT_TRUE(TextOutW(f.dc, 0, 0, L"あい", 2));
  EXPECT_FALSE(TextOutW(f.dc, 0, 0, nullptr, 2));
  EXPECT_FALSE(TextOutW(f.dc, 0, 0, L"あ", -1));
}

TEST(FreeTypeFont, BoldAndItalicAreDrawnSoWhenTheFaceHasNeither) {
  auto glyphOf = [](const LOGFONTW& lf, wchar_t ch) {
    HFONT font = CreateFontIndirectW(&lf);
    EXPECT_NE(font, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    Glyph g = FetchGlyph(dc, ch);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(font);
    return g;
  };
  auto ink = [](const Glyph& g) {
    int sum = 0;
    for (BYTE b : g.bits) sum += b;
    return sum;
  };
  LOGFONTW plain = Logfont(-32), bold = plain, italic = plain;
  bold.lfWeight = FW_BOLD;
  italic.lfItalic = 1;
  EXPECT_GT(ink(glyphOf(bold, L'l')), ink(glyphOf(plain, L'l')) * 5 / 4);
  // A slanted upright bar needs a wider box.
  EXPECT_GT(glyphOf(italic, L'|').metrics.gmBlackBoxX, glyphOf(plain, L'|').metrics.gmBlackBoxX + 3);
}

}  // namespace
}  // namespace tavtest::font
