// Glyph rasterising: FreeType's own load-and-render (the baseline) against the
// GDI-shaped GetGlyphOutlineW size query plus fill, for 2,000 distinct CJK
// ideographs at 24 px, in interleaved rounds. Prints glyphs per second and the
// ratio. Each variant is one row: a function that renders every character once.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "FakeDevice.h"
#include "QuadFrameBench.h"
#include "text/TexString.h"
#include "platform/font/FreeTypeFont.h"
#include "platform/font/Gdi.h"

namespace {

constexpr int kGlyphs = 2000;
constexpr LONG kPixels = 24;
constexpr int kRounds = 9;

struct Row {
  std::string name;
  std::function<size_t()> run;  // renders every character once; gives the bytes produced
  std::vector<double> seconds;
};

}  // namespace

int main() {
  LOGFONTW lf{};
  lf.lfHeight = -kPixels;
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = PROOF_QUALITY;
  std::wcscpy(lf.lfFaceName, L"Meiryo");
  HFONT font = tav::font::CreateFontIndirectW(&lf);
  auto* real = dynamic_cast<tav::font::FreeTypeFont*>(font);
  if (!real) {
    std::fprintf(stderr, "no font\n");
    return 1;
  }
  HDC dc = tav::font::CreateCompatibleDC(nullptr);
  HGDIOBJ old = tav::font::SelectObject(dc, font);

  // The baseline opens the same file on its own library, sized the same.
  FT_Library library;
  FT_Face face;
  const FT_Face shared = real->SharedFace().Get();
  if (FT_Init_FreeType(&library) ||
      FT_New_Face(library, real->SharedFace().File().c_str(), FT_Long(shared->face_index), &face)) {
    std::fprintf(stderr, "cannot open the face\n");
    return 1;
  }
  FT_Set_Pixel_Sizes(face, 0, FT_UInt(kPixels));

  std::vector<wchar_t> chars;
  for (wchar_t ch = 0x4E00; ch < 0xA000 && chars.size() < size_t(kGlyphs); ++ch)
    if (FT_Get_Char_Index(face, FT_ULong(ch))) chars.push_back(ch);
  std::printf("%zu ideographs from U+4E00 in %s at %d px, %d rounds\n", chars.size(),
              real->SharedFace().Family().c_str(), int(kPixels), kRounds);

  std::vector<BYTE> buffer(size_t(kPixels) * kPixels * 4);
  const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
  std::vector<Row> rows;
  rows.push_back({"FreeType load + render", [&] {
                    size_t bytes = 0;
                    for (wchar_t ch : chars) {
                      if (FT_Load_Char(face, FT_ULong(ch), FT_LOAD_DEFAULT | FT_LOAD_TARGET_NORMAL)) continue;
                      if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL)) continue;
                      bytes += size_t(face->glyph->bitmap.rows) * face->glyph->bitmap.width;
                    }
                    return bytes;
                  }, {}});
  rows.push_back({"GetGlyphOutlineW query + fill", [&] {
                    size_t bytes = 0;
                    for (wchar_t ch : chars) {
                      GLYPHMETRICS gm;
                      DWORD size =
                          tav::font::GetGlyphOutlineW(dc, ch, GGO_GRAY8_BITMAP, &gm, 0, nullptr, &identity);
                      if (size == GDI_ERROR || size == 0) continue;
                      if (size > buffer.size()) buffer.resize(size);
                      size = tav::font::GetGlyphOutlineW(dc, ch, GGO_GRAY8_BITMAP, &gm, size, buffer.data(),
                                                         &identity);
                      if (size != GDI_ERROR) bytes += size;
                    }
                    return bytes;
                  }, {}});

  // Whole text textures as the message display makes them: one per character,
  // font, glyph and a texture filled from it, here on the Direct3D double so
  // only the engine's own work is timed.
  tavbench::FakeDevice fake(1280, 720);
  if (!fake.Ok()) {
    std::fprintf(stderr, "no device\n");
    return 1;
  }
  const LOGFONTW textFont = tav::TextFont(kPixels);
  rows.push_back({"glyph textures (text objects)", [&] {
                    size_t bytes = 0;
                    std::vector<std::unique_ptr<CTexString>> texts;
                    texts.reserve(chars.size());
                    for (wchar_t ch : chars) {
                      auto text = std::make_unique<CTexString>(&fake.Device());
                      const std::wstring name(1, ch);
                      if (tav::Rasterise(name, &fake.Device(), *text, name, textFont))
                        bytes += size_t(text->texWidth) * size_t(text->texHeight);
                      texts.push_back(std::move(text));
                    }
                    for (wchar_t ch : chars) fake.Device().EraseTexture(std::wstring(1, ch));
                    return bytes;
                  }, {}});

  for (Row& row : rows) row.run();  // warm caches and the face's tables
  for (int round = 0; round < kRounds; ++round)
    for (Row& row : rows) row.seconds.push_back(tavbench::Time([&] { row.run(); }));

  double baseline = tavbench::Median(rows[0].seconds);
  for (const Row& row : rows) {
    double median = tavbench::Median(row.seconds);
    std::printf("%-32s %8.1f ms  %10.0f glyphs/s  %.2fx the baseline's time\n", row.name.c_str(), median * 1e3,
                double(chars.size()) / median, median / baseline);
  }

  FT_Done_Face(face);
  FT_Done_FreeType(library);
  tav::font::SelectObject(dc, old);
  tav::font::DeleteDC(dc);
  tav::font::DeleteObject(font);
  std::printf("\n");
  return tavbench::RunQuadFrameBench(kRounds);
}
