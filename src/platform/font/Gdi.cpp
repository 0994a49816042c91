#include "platform/font/Gdi.h"

#include "platform/font/FontModule.h"

namespace tav::font {

HFONT CreateFontIndirectW(const LOGFONTW* logfont) { return CurrentFontModule().CreateFontIndirectW(logfont); }
BOOL DeleteObject(HGDIOBJ object) { return CurrentFontModule().DeleteObject(object); }
HDC CreateCompatibleDC(HDC dc) { return CurrentFontModule().CreateCompatibleDC(dc); }
BOOL DeleteDC(HDC dc) { return CurrentFontModule().DeleteDC(dc); }
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) { return CurrentFontModule().SelectObject(dc, object); }
BOOL GetTextMetricsW(HDC dc, TEXTMETRICW* metrics) { return CurrentFontModule().GetTextMetricsW(dc, metrics); }
DWORD GetGlyphOutlineW(HDC dc, UINT ch, UINT format, GLYPHMETRICS* metrics, DWORD size, void* buffer,
                       const MAT2* matrix) {
  return CurrentFontModule().GetGlyphOutlineW(dc, ch, format, metrics, size, buffer, matrix);
}
BOOL TextOutW(HDC dc, int x, int y, const wchar_t* text, int count) {
  return CurrentFontModule().TextOutW(dc, x, y, text, count);
}

}  // namespace tav::font
