#pragma once
// A font of the FreeType backend: one size of a shared face, with the cell
// metrics GDI derives from the face's Windows ascent and descent.
#include <memory>

#include "platform/font/FaceCache.h"
#include "platform/font/GdiObjects.h"

namespace tav::font {

class FreeTypeFont final : public FontObject {
 public:
  // Null with the last error set when the face cannot take the size.
  static std::shared_ptr<FreeTypeFont> Create(const LOGFONTW& logfont, std::shared_ptr<Face> face);
  ~FreeTypeFont() override;

  bool Metrics(TEXTMETRICW& metrics) override;
  bool Glyph(UINT ch, GlyphImage& glyph) override;

  // The em size the glyphs are rendered at, in pixels.
  int EmPixels() const { return em_; }
  const Face& SharedFace() const { return *face_; }

 private:
  FreeTypeFont(const LOGFONTW& logfont, std::shared_ptr<Face> face);
  bool Activate();

  std::shared_ptr<Face> face_;
  FT_Size size_ = nullptr;
  int em_ = 0;
  bool emboldenSynthetic_ = false;
  bool obliqueSynthetic_ = false;
  TEXTMETRICW metrics_{};
};

// The height a font gets when the LOGFONTW asks for 0: the cell height of
// GDI's default font.
constexpr LONG kDefaultCellHeight = 16;
// Larger requests are refused: one glyph would need hundreds of megabytes.
constexpr LONG kMaxHeight = 2048;

}  // namespace tav::font
