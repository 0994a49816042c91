#pragma once
// The GDI text substitute: the types and constants of the font calls the engine
// makes, with GDI's layouts and numeric values, and the calls themselves in
// tav::font. Types live at global scope like the rest of the layer's Windows
// types. Failures set the layer's last error (tav::os::GetLastError).
#include <cstdint>

#include "platform/os/WinTypes.h"


constexpr int LF_FACESIZE = 32;

struct LOGFONTW {
  LONG lfHeight;
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  wchar_t lfFaceName[LF_FACESIZE];
};

struct TEXTMETRICW {
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  LONG tmOverhang;
  LONG tmDigitizedAspectX;
  LONG tmDigitizedAspectY;
  wchar_t tmFirstChar;
  wchar_t tmLastChar;
  wchar_t tmDefaultChar;
  wchar_t tmBreakChar;
  BYTE tmItalic;
  BYTE tmUnderlined;
  BYTE tmStruckOut;
  BYTE tmPitchAndFamily;
  BYTE tmCharSet;
};

// 16.16 fixed point as GDI splits it.
struct FIXED {
  WORD fract;
  short value;
};

struct MAT2 {
  FIXED eM11;
  FIXED eM12;
  FIXED eM21;
  FIXED eM22;
};

struct GLYPHMETRICS {
  UINT gmBlackBoxX;
  UINT gmBlackBoxY;
  POINT gmptGlyphOrigin;
  short gmCellIncX;
  short gmCellIncY;
};

namespace tav::font {

struct GlyphImage;

// The objects behind the handles. Callers only pass them back; a backend
// (FreeType, or a test double) implements the fonts.
class GdiObject {
 public:
  virtual ~GdiObject() = default;
};

class FontObject : public GdiObject {
 public:
  explicit FontObject(const LOGFONTW& logfont) : logfont_(logfont) {}
  const LOGFONTW& Logfont() const { return logfont_; }
  // Both return false with the last error set when they fail.
  virtual bool Metrics(TEXTMETRICW& metrics) = 0;
  virtual bool Glyph(UINT ch, GlyphImage& glyph) = 0;

 private:
  LOGFONTW logfont_;
};

}  // namespace tav::font

// A font is one kind of GDI object, so an HFONT converts to an HGDIOBJ.
using HGDIOBJ = tav::font::GdiObject*;
using HFONT = tav::font::FontObject*;

// GetGlyphOutlineW formats.
constexpr UINT GGO_METRICS = 0;
constexpr UINT GGO_GRAY8_BITMAP = 6;
constexpr DWORD GDI_ERROR = 0xFFFFFFFF;

// LOGFONTW fields.
constexpr BYTE ANSI_CHARSET = 0;
constexpr BYTE DEFAULT_CHARSET = 1;
constexpr BYTE SHIFTJIS_CHARSET = 128;
constexpr BYTE OUT_DEFAULT_PRECIS = 0;
constexpr BYTE OUT_TT_PRECIS = 4;
constexpr BYTE CLIP_DEFAULT_PRECIS = 0;
constexpr BYTE DEFAULT_QUALITY = 0;
constexpr BYTE DRAFT_QUALITY = 1;
constexpr BYTE PROOF_QUALITY = 2;
constexpr BYTE ANTIALIASED_QUALITY = 4;
constexpr BYTE DEFAULT_PITCH = 0;
constexpr BYTE FIXED_PITCH = 1;
constexpr BYTE VARIABLE_PITCH = 2;
constexpr BYTE FF_DONTCARE = 0x00;
constexpr BYTE FF_ROMAN = 0x10;
constexpr BYTE FF_SWISS = 0x20;
constexpr BYTE FF_MODERN = 0x30;
constexpr LONG FW_DONTCARE = 0;
constexpr LONG FW_NORMAL = 400;
constexpr LONG FW_BOLD = 700;

// TEXTMETRICW.tmPitchAndFamily bits. Note GDI's inverted sense: the bit is set
// for a variable-pitch font.
constexpr BYTE TMPF_FIXED_PITCH = 0x01;
constexpr BYTE TMPF_VECTOR = 0x02;
constexpr BYTE TMPF_TRUETYPE = 0x04;

namespace tav::font {

// Null on failure.
HFONT CreateFontIndirectW(const LOGFONTW* logfont);
BOOL DeleteObject(HGDIOBJ object);
// A memory DC: it has a font but no bitmap, so TextOutW on it draws nothing.
HDC CreateCompatibleDC(HDC dc);
BOOL DeleteDC(HDC dc);
// Gives the object selected before (the stock font on a fresh DC), null on failure.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
BOOL GetTextMetricsW(HDC dc, TEXTMETRICW* metrics);
// With GGO_GRAY8_BITMAP: levels 0..64, rows padded to 4 bytes. A null buffer
// or a zero size asks for the size; GDI_ERROR on failure.
DWORD GetGlyphOutlineW(HDC dc, UINT ch, UINT format, GLYPHMETRICS* metrics, DWORD size, void* buffer,
                       const MAT2* matrix);
// Black text on an opaque white box whose top-left is (x, y).
BOOL TextOutW(HDC dc, int x, int y, const wchar_t* text, int count);

}  // namespace tav::font
