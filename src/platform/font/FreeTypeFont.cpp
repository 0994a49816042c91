#include "platform/font/FreeTypeFont.h"

#include FT_SIZES_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "platform/os/LastError.h"

namespace tav::font {

namespace {

// FreeType coverage 0..255 to GDI's 0..64, rounded.
const std::array<BYTE, 256>& LevelTable() {
  static const std::array<BYTE, 256> table = [] {
    std::array<BYTE, 256> t{};
    for (int i = 0; i < 256; ++i) t[size_t(i)] = BYTE((i * 64 + 127) / 255);
    return t;
  }();
  return table;
}

int Round(double v) { return int(std::lround(v)); }

bool Fail(FT_Error error) {
  os::SetLastError(error == FT_Err_Out_Of_Memory ? ENOMEM : EILSEQ);
  return false;
}

struct VerticalMetrics {
  double ascent;   // font units
  double descent;  // font units, positive below the baseline
  double lineGap;  // the extra leading of the horizontal header beyond the Windows cell
};

VerticalMetrics Vertical(FT_Face face) {
  VerticalMetrics v{double(face->ascender), double(-face->descender), 0};
  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
    v.ascent = os2->usWinAscent;
    v.descent = os2->usWinDescent;
  }
  if (auto* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA))) {
    double hheaHeight = double(hhea->Ascender) - hhea->Descender;
    v.lineGap = std::max(0.0, double(hhea->Line_Gap) - ((v.ascent + v.descent) - hheaHeight));
  }
  if (v.ascent + v.descent <= 0) v = {double(face->units_per_EM), 0, 0};
  return v;
}

}  // namespace

FreeTypeFont::FreeTypeFont(const LOGFONTW& logfont, std::shared_ptr<Face> face)
    : FontObject(logfont), face_(std::move(face)) {}

FreeTypeFont::~FreeTypeFont() {
  if (size_) FT_Done_Size(size_);
}

std::shared_ptr<FreeTypeFont> FreeTypeFont::Create(const LOGFONTW& logfont, std::shared_ptr<Face> face) {
  std::shared_ptr<FreeTypeFont> font(new FreeTypeFont(logfont, std::move(face)));
  FT_Face f = font->face_->Get();
  if (FT_Error error = FT_New_Size(f, &font->size_)) {
    font->size_ = nullptr;
    Fail(error);
    return nullptr;
  }
  VerticalMetrics v = Vertical(f);
  double cellUnits = v.ascent + v.descent;
  double upem = f->units_per_EM;

  // GDI: a negative height is the em, a positive one the whole cell.
  LONG requested = logfont.lfHeight == 0 ? kDefaultCellHeight : logfont.lfHeight;
  if (requested < -kMaxHeight || requested > kMaxHeight) {
    os::SetLastError(EINVAL);
    return nullptr;
  }
  TEXTMETRICW& tm = font->metrics_;
  if (requested < 0) {
    font->em_ = -requested;
    double scale = font->em_ / upem;
    tm.tmAscent = Round(v.ascent * scale);
    tm.tmDescent = Round(v.descent * scale);
  } else {
    font->em_ = std::max(1, Round(requested * upem / cellUnits));
    tm.tmAscent = Round(requested * v.ascent / cellUnits);
    tm.tmDescent = requested - tm.tmAscent;
  }
  // Whole pixels per em keep hinted stems on the pixel grid.
  if (!font->Activate()) return nullptr;
  if (FT_Error error = FT_Set_Pixel_Sizes(f, 0, FT_UInt(font->em_))) {
    Fail(error);
    return nullptr;
  }
  double scale = font->em_ / upem;

  bool faceBold = (f->style_flags & FT_STYLE_FLAG_BOLD) != 0;
  bool faceItalic = (f->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
  font->emboldenSynthetic_ = logfont.lfWeight >= 600 && !faceBold;
  font->obliqueSynthetic_ = logfont.lfItalic && !faceItalic;

  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(f, FT_SFNT_OS2));
  tm.tmHeight = tm.tmAscent + tm.tmDescent;
  tm.tmInternalLeading = tm.tmHeight - font->em_;
  tm.tmExternalLeading = Round(v.lineGap * scale);
  int average = os2 && os2->xAvgCharWidth > 0 ? Round(os2->xAvgCharWidth * scale) : 0;
  tm.tmMaxCharWidth = Round(f->max_advance_width * scale);
  if (average <= 0) average = std::max(1, tm.tmMaxCharWidth / 2);
  tm.tmAveCharWidth = average;
  tm.tmWeight = font->emboldenSynthetic_ ? FW_BOLD : os2 ? os2->usWeightClass : (faceBold ? FW_BOLD : FW_NORMAL);
  tm.tmOverhang = 0;
  tm.tmDigitizedAspectX = tm.tmDigitizedAspectY = 96;
  tm.tmFirstChar = os2 ? wchar_t(os2->usFirstCharIndex) : L' ';
  tm.tmLastChar = os2 ? wchar_t(os2->usLastCharIndex) : wchar_t(0xFFFF);
  tm.tmDefaultChar = os2 && os2->version >= 2 ? wchar_t(os2->usDefaultChar) : wchar_t(0x1F);
  tm.tmBreakChar = os2 && os2->version >= 2 ? wchar_t(os2->usBreakChar) : L' ';
  tm.tmItalic = (faceItalic || logfont.lfItalic) ? 0xFF : 0;
  tm.tmUnderlined = logfont.lfUnderline;
  tm.tmStruckOut = logfont.lfStrikeOut;
  // GDI sets the "fixed pitch" bit for fonts that are NOT fixed-pitch.
  tm.tmPitchAndFamily = BYTE((logfont.lfPitchAndFamily & 0xF0) | TMPF_VECTOR | TMPF_TRUETYPE |
                             (FT_IS_FIXED_WIDTH(f) ? 0 : TMPF_FIXED_PITCH));
  tm.tmCharSet = FT_Get_Char_Index(f, 0x3042) ? SHIFTJIS_CHARSET : ANSI_CHARSET;
  return font;
}

bool FreeTypeFont::Activate() {
  if (FT_Error error = FT_Activate_Size(size_)) return Fail(error);
  return true;
}

bool FreeTypeFont::Metrics(TEXTMETRICW& metrics) {
  metrics = metrics_;
  return true;
}

bool FreeTypeFont::Glyph(UINT ch, GlyphImage& glyph) {
  if (!Activate()) return false;
  FT_Face f = face_->Get();
  // A character the face lacks gets its missing-glyph box, as GDI draws it.
  FT_UInt index = FT_Get_Char_Index(f, FT_ULong(ch));
  // Hinting for grey levels: outlines snap to the pixel grid vertically and
  // keep their shapes, which reads crisp at small sizes without jagged edges.
  if (FT_Error error = FT_Load_Glyph(f, index, FT_LOAD_DEFAULT | FT_LOAD_TARGET_NORMAL | FT_LOAD_NO_BITMAP))
    return Fail(error);
  FT_GlyphSlot slot = f->glyph;
  if (emboldenSynthetic_) FT_GlyphSlot_Embolden(slot);
  if (obliqueSynthetic_) FT_GlyphSlot_Oblique(slot);
  if (FT_Error error = FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL)) return Fail(error);

  const FT_Bitmap& bitmap = slot->bitmap;
  glyph.advance = short(std::clamp<FT_Pos>((slot->advance.x + 32) >> 6, -0x8000, 0x7FFF));
  glyph.left = slot->bitmap_left;
  glyph.top = slot->bitmap_top;
  glyph.width = bitmap.width;
  glyph.height = bitmap.rows;
  // A bitmap of only zeros has no ink either.
  bool ink = false;
  glyph.levels.assign(glyph.Bytes(), 0);
  const auto& levels = LevelTable();
  for (UINT row = 0; row < glyph.height; ++row) {
    const unsigned char* from = bitmap.buffer + ptrdiff_t(row) * bitmap.pitch;
    BYTE* to = glyph.levels.data() + size_t(row) * glyph.Pitch();
    for (UINT col = 0; col < glyph.width; ++col) {
      to[col] = levels[from[col]];
      ink |= to[col] != 0;
    }
  }
  if (!ink) {
    glyph.width = glyph.height = 0;
    glyph.levels.clear();
  }
  return true;
}

}  // namespace tav::font
