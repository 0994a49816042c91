#pragma once
// A GDI font double for tests: fonts whose metrics and glyphs the test sets,
// with failures injected per call and a record of what was asked for and what
// is still alive. Constructing a FakeFont installs it as the font module;
// destroying it restores the FreeType backend. The contracts of the calls
// (size queries, 4-byte row padding, handle checks) are the real module's.
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/font/Gdi.h"

namespace tav::fake {

class FakeFontModule;

class FakeFont {
 public:
  FakeFont();
  ~FakeFont();
  FakeFont(const FakeFont&) = delete;
  FakeFont& operator=(const FakeFont&) = delete;

  // A glyph's black box, origin (top measured up from the baseline) and
  // levels 0..64, `width` per row with no padding.
  struct Glyph {
    UINT width = 0;
    UINT height = 0;
    POINT origin{0, 0};
    std::vector<BYTE> levels;
  };

  // Knobs, read when the engine calls.
  // Metrics for a requested lfHeight. The default: cell height |lfHeight|
  // (16 for 0), ascent four fifths of it.
  std::function<TEXTMETRICW(LONG lfHeight)> metrics;
  // Advance of a character. The default: the em for ideographic and kana
  // characters (U+3000 and up), half of it for others.
  std::function<short(LONG lfHeight, wchar_t ch)> cellIncrement;
  // Glyphs by character; characters not listed get a solid box one pixel
  // inside their cell, from the baseline up to the ascent.
  std::map<wchar_t, Glyph> glyphs;
  // Characters without ink.
  std::set<wchar_t> blank{L' ', L'\u3000', L'\t'};

  // The next calls named `call` ("CreateFontIndirectW", "GetTextMetricsW",
  // "GetGlyphOutlineW", "TextOutW", "CreateCompatibleDC") fail in turn with
  // these last-error codes; a 0 lets that call through. Afterwards they
  // behave normally.
  void Script(const std::string& call, std::initializer_list<int> errors);

  // lfHeight of every CreateFontIndirectW call, in order.
  const std::vector<LONG>& RequestedHeights() const;
  // Fonts created and not deleted; DCs (memory and surface) not deleted.
  size_t LiveFonts() const;
  size_t LiveDCs() const;
  // How often each call was made.
  int Count(const std::string& call) const;

  // The metrics and glyph the knobs give (what the calls report).
  TEXTMETRICW MetricsFor(LONG lfHeight) const;
  Glyph GlyphFor(LONG lfHeight, wchar_t ch) const;

 private:
  std::unique_ptr<FakeFontModule> module_;
};

}  // namespace tav::fake
