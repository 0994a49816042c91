// The font double: its knobs reach the engine's calls, failures arrive as
// scripted, it keeps the real contract, and it shows what leaked.
#include <cerrno>

#include "font/FontTestSupport.h"
#include "platform/fake/FakeFont.h"
#include "platform/font/FontModule.h"
#include "platform/os/LastError.h"

namespace tavtest::font {
namespace {

using namespace tav::font;

TEST(FakeFont, KnobsReachTheCalls) {
  tav::fake::FakeFont fake;
  fake.metrics = [](LONG h) {
    TEXTMETRICW tm{};
    tm.tmHeight = h + 100;
    tm.tmAscent = 7;
    return tm;
  };
  fake.cellIncrement = [](LONG h, wchar_t ch) { return short(ch == L'x' ? 3 : -h); };
  fake.glyphs[L'x'] = {5, 2, {-1, 9}, {1, 2, 3, 4, 5, 60, 61, 62, 63, 64}};
  {
    FontDC f(-20);
    ASSERT_TRUE(f.Ok());
    EXPECT_EQ(f.Metrics().tmHeight, 80);
    EXPECT_EQ(f.Metrics().tmAscent, 7);
    Glyph x = FetchGlyph(f.dc, L'x');
    // 5 wide pads to 8: the double keeps the real layout.
    EXPECT_EQ(x.size, 16u);
    EXPECT_EQ(x.metrics.gmBlackBoxX, 5u);
    EXPECT_EQ(x.metrics.gmptGlyphOrigin.x, -1);
    EXPECT_EQ(x.metrics.gmptGlyphOrigin.y, 9);
    EXPECT_EQ(x.metrics.gmCellIncX, 3);
    EXPECT_EQ(x.At(4, 0), 5);
    EXPECT_EQ(x.At(0, 1), 60);
    EXPECT_EQ(x.At(5, 1), 0);
    // A blank character: no bits, an advance, GDI's one-pixel box.
    GLYPHMETRICS gm{};
    EXPECT_EQ(GetGlyphOutlineW(f.dc, L' ', GGO_GRAY8_BITMAP, &gm, 0, nullptr, &kIdentity), 0u);
    EXPECT_EQ(gm.gmCellIncX, 20);
    EXPECT_EQ(gm.gmBlackBoxX, 1u);
    // Unlisted characters are solid boxes.
    Glyph box = FetchGlyph(f.dc, L'漢');
    EXPECT_EQ(box.At(0, 0), 64);
    std::vector<BYTE> small(box.size - 1);
    EXPECT_EQ(GetGlyphOutlineW(f.dc, L'漢', GGO_GRAY8_BITMAP, &gm, box.size - 1, small.data(), &kIdentity),
              GDI_ERROR);
  }
  EXPECT_EQ(fake.RequestedHeights(), std::vector<LONG>{-20});
}

TEST(FakeFont, ScriptedFailuresComeInTurn) {
  tav::fake::FakeFont fake;
  fake.Script("CreateFontIndirectW", {ENOENT, 0});
  LOGFONTW lf = Logfont(24);
  tav::os::SetLastError(0);
  EXPECT_EQ(CreateFontIndirectW(&lf), nullptr);
  EXPECT_EQ(tav::os::GetLastError(), ENOENT);
  HFONT font = CreateFontIndirectW(&lf);
  ASSERT_NE(font, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);

  fake.Script("GetTextMetricsW", {EIO});
  fake.Script("GetGlyphOutlineW", {0, ENOMEM});
  fake.Script("TextOutW", {EIO});
  TEXTMETRICW tm{};
  EXPECT_FALSE(GetTextMetricsW(dc, &tm));
  EXPECT_TRUE(GetTextMetricsW(dc, &tm));
  GLYPHMETRICS gm{};
  EXPECT_NE(GetGlyphOutlineW(dc, L'a', GGO_GRAY8_BITMAP, &gm, 0, nullptr, &kIdentity), GDI_ERROR);
  EXPECT_EQ(GetGlyphOutlineW(dc, L'a', GGO_GRAY8_BITMAP, &gm, 0, nullptr, &kIdentity), GDI_ERROR);
  EXPECT_EQ(tav::os::GetLastError(), ENOMEM);
  EXPECT_NE(GetGlyphOutlineW(dc, L'a', GGO_GRAY8_BITMAP, &gm, 0, nullptr, &kIdentity), GDI_ERROR);
  EXPECT_FALSE(TextOutW(dc, 0, 0, L"a", 1));
  EXPECT_TRUE(TextOutW(dc, 0, 0, L"a", 1));
  EXPECT_EQ(fake.Count("GetGlyphOutlineW"), 3);
  EXPECT_EQ(fake.RequestedHeights(), (std::vector<LONG>{24, 24}));

  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(font);
}

TEST(FakeFont, ShowsWhatIsStillAlive) {
  tav::fake::FakeFont fake;
  LOGFONTW lf = Logfont(-16);
  HFONT a = CreateFontIndirectW(&lf), b = CreateFontIndirectW(&lf);
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(fake.LiveFonts(), 2u);
  EXPECT_EQ(fake.LiveDCs(), 1u);
  DeleteObject(a);
  DeleteDC(dc);
  EXPECT_EQ(fake.LiveFonts(), 1u);
  EXPECT_EQ(fake.LiveDCs(), 0u);
  DeleteObject(b);
  EXPECT_EQ(fake.LiveFonts(), 0u);
  // The real module took none of it.
  EXPECT_EQ(FreeTypeFontModule().LiveFonts(), 0u);
}

TEST(FakeFont, GoingAwayRestoresTheRealFonts) {
  {
    tav::fake::FakeFont fake;
    EXPECT_EQ(&CurrentFontModule(), &CurrentFontModule());
    EXPECT_NE(&CurrentFontModule(), &FreeTypeFontModule());
  }
  EXPECT_EQ(&CurrentFontModule(), &FreeTypeFontModule());
}

}  // namespace
}  // namespace tavtest::font
