#pragma once
// The font module: the handle tables and the contracts of the GDI calls,
// shared by the FreeType backend and the test double, which differ only in the
// fonts they make (and the double in the failures it injects). The calls in
// Gdi.h go to the installed module.
#include <memory>
#include <mutex>
#include <unordered_map>

#include "platform/font/GdiObjects.h"

namespace tav::font {

class FontModule {
 public:
  FontModule() = default;
  virtual ~FontModule() = default;
  FontModule(const FontModule&) = delete;
  FontModule& operator=(const FontModule&) = delete;

  virtual HFONT CreateFontIndirectW(const LOGFONTW* logfont);
  virtual BOOL DeleteObject(HGDIOBJ object);
  virtual HDC CreateCompatibleDC(HDC dc);
  virtual BOOL DeleteDC(HDC dc);
  virtual HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
  virtual BOOL GetTextMetricsW(HDC dc, TEXTMETRICW* metrics);
  virtual DWORD GetGlyphOutlineW(HDC dc, UINT ch, UINT format, GLYPHMETRICS* metrics, DWORD size, void* buffer,
                                 const MAT2* matrix);
  virtual BOOL TextOutW(HDC dc, int x, int y, const wchar_t* text, int count);

  // The DC a surface hands out from GetDC, drawing into the surface's locked
  // bits, and its end at ReleaseDC. DeleteDC refuses these.
  virtual HDC CreateSurfaceDC(const DrawTarget& target);
  virtual BOOL DeleteSurfaceDC(HDC dc);

  // Fonts made by CreateFontIndirectW and not yet deleted; DCs of both kinds.
  size_t LiveFonts() const;
  size_t LiveDCs() const;

 protected:
  // The backend's font for a LOGFONTW; null with the last error set.
  virtual std::shared_ptr<FontObject> MakeFont(const LOGFONTW& logfont) = 0;

 private:
  std::shared_ptr<FontObject> StockFont();  // with mutex_ held
  DeviceContext* FindDC(HDC dc) const;      // with mutex_ held
  HDC AddDC(std::unique_ptr<DeviceContext> dc);

  mutable std::mutex mutex_;
  std::unordered_map<const GdiObject*, std::shared_ptr<FontObject>> fonts_;
  std::unordered_map<const DeviceContext*, std::unique_ptr<DeviceContext>> dcs_;
  std::shared_ptr<FontObject> stock_;
};

// The module the calls go to: the installed one, else the FreeType backend.
FontModule& CurrentFontModule();
// Tests substitute a double; null restores the FreeType backend.
void InstallFontModule(FontModule* module);

// The FreeType backend's module.
FontModule& FreeTypeFontModule();

}  // namespace tav::font
