#pragma once
// Crisp text for labels and headings, rasterised through the engine's font
// layer (the same glyphs the game's message text gets) and painted onto a
// canvas with the glyphs' coverage as alpha.
#include <string_view>

#include "Canvas.h"
#include "platform/font/Gdi.h"

namespace demogen {

class TextPainter {
 public:
  // `emPixels` is the size of the em square; bold is synthesised when the face
  // has no bold of its own.
  TextPainter(int emPixels, bool bold);
  ~TextPainter();
  TextPainter(const TextPainter&) = delete;
  TextPainter& operator=(const TextPainter&) = delete;

  bool Ok() const { return old_ != nullptr; }
  // Whether the face has a real glyph for every character (labels drawn with
  // the missing-glyph box would ship unreadable buttons).
  bool Covers(std::wstring_view text) const;

  int Width(std::wstring_view text) const;
  int CellHeight() const { return metrics_.tmHeight; }

  // The text's cell has its top-left corner at (x, top).
  void Draw(Canvas& canvas, std::wstring_view text, float x, float top, Rgba colour) const;
  // Centred on (cx, cy) by its advance width and cell height.
  void DrawCentred(Canvas& canvas, std::wstring_view text, float cx, float cy, Rgba colour) const;

 private:
  HFONT font_ = nullptr;
  HDC dc_ = nullptr;
  HGDIOBJ old_ = nullptr;
  TEXTMETRICW metrics_{};
};

}  // namespace demogen
