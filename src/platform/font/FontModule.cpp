#include "platform/font/FontModule.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <new>

#include "platform/font/SurfaceDraw.h"
#include "platform/os/LastError.h"

namespace tav::font {

namespace {

std::atomic<FontModule*> installed{nullptr};

bool IsIdentity(const MAT2& m) {
  return m.eM11.value == 1 && m.eM11.fract == 0 && m.eM22.value == 1 && m.eM22.fract == 0 && m.eM12.value == 0 &&
         m.eM12.fract == 0 && m.eM21.value == 0 && m.eM21.fract == 0;
}

template <typename T>
T Fail(int code, T result) {
  os::SetLastError(code);
  return result;
}

}  // namespace

FontModule& CurrentFontModule() {
  if (FontModule* module = installed.load()) return *module;
  return FreeTypeFontModule();
}

void InstallFontModule(FontModule* module) { installed.store(module); }

HFONT FontModule::CreateFontIndirectW(const LOGFONTW* logfont) {
  if (!logfont) return Fail<HFONT>(EINVAL, nullptr);
  std::shared_ptr<FontObject> font;
  try {
    font = MakeFont(*logfont);
  } catch (const std::bad_alloc&) {
    return Fail<HFONT>(ENOMEM, nullptr);
  }
  if (!font) return nullptr;
  std::lock_guard lock(mutex_);
  fonts_[font.get()] = font;
  return font.get();
}

BOOL FontModule::DeleteObject(HGDIOBJ object) {
  std::lock_guard lock(mutex_);
  if (object && object == stock_.get()) return TRUE;  // stock objects outlive every caller
  // A DC that still has the font selected keeps it alive until it lets go.
  if (!object || fonts_.erase(object) == 0) return Fail(EBADF, FALSE);
  return TRUE;
}

std::shared_ptr<FontObject> FontModule::StockFont() {
  if (!stock_) {
    LOGFONTW logfont{};
    logfont.lfCharSet = DEFAULT_CHARSET;
    try {
      stock_ = MakeFont(logfont);
    } catch (const std::bad_alloc&) {
      os::SetLastError(ENOMEM);
    }
  }
  return stock_;
}

DeviceContext* FontModule::FindDC(HDC dc) const {
  auto it = dcs_.find(dc);
  return it == dcs_.end() ? nullptr : it->second.get();
}

HDC FontModule::AddDC(std::unique_ptr<DeviceContext> dc) {
  std::lock_guard lock(mutex_);
  dc->font = StockFont();
  if (!dc->font) return nullptr;
  HDC handle = dc.get();
  dcs_[handle] = std::move(dc);
  return handle;
}

HDC FontModule::CreateCompatibleDC(HDC dc) {
  if (dc) {
    std::lock_guard lock(mutex_);
    if (!FindDC(dc)) return Fail<HDC>(EBADF, nullptr);
  }
  try {
    return AddDC(std::make_unique<DeviceContext>());
  } catch (const std::bad_alloc&) {
    return Fail<HDC>(ENOMEM, nullptr);
  }
}

BOOL FontModule::DeleteDC(HDC dc) {
  std::lock_guard lock(mutex_);
  DeviceContext* context = FindDC(dc);
  if (!context) return Fail(EBADF, FALSE);
  if (context->target) return Fail(EINVAL, FALSE);  // a surface's DC goes back through ReleaseDC
  dcs_.erase(dc);
  return TRUE;
}

HDC FontModule::CreateSurfaceDC(const DrawTarget& target) {
  try {
    auto dc = std::make_unique<DeviceContext>();
    dc->target = target;
    return AddDC(std::move(dc));
  } catch (const std::bad_alloc&) {
    return Fail<HDC>(ENOMEM, nullptr);
  }
}

BOOL FontModule::DeleteSurfaceDC(HDC dc) {
  std::lock_guard lock(mutex_);
  DeviceContext* context = FindDC(dc);
  if (!context || !context->target) return Fail(EBADF, FALSE);
  dcs_.erase(dc);
  return TRUE;
}

HGDIOBJ FontModule::SelectObject(HDC dc, HGDIOBJ object) {
  std::lock_guard lock(mutex_);
  DeviceContext* context = FindDC(dc);
  if (!context || !object) return Fail<HGDIOBJ>(EBADF, nullptr);
  std::shared_ptr<FontObject> font;
  if (object == stock_.get()) {
    font = stock_;
  } else {
    auto it = fonts_.find(object);
    if (it == fonts_.end()) return Fail<HGDIOBJ>(EBADF, nullptr);
    font = it->second;
  }
  HGDIOBJ previous = context->font.get();
  context->font = std::move(font);
  return previous;
}

BOOL FontModule::GetTextMetricsW(HDC dc, TEXTMETRICW* metrics) {
  std::lock_guard lock(mutex_);
  DeviceContext* context = FindDC(dc);
  if (!context) return Fail(EBADF, FALSE);
  if (!metrics) return Fail(EINVAL, FALSE);
  return context->font->Metrics(*metrics) ? TRUE : FALSE;
}

DWORD FontModule::GetGlyphOutlineW(HDC dc, UINT ch, UINT format, GLYPHMETRICS* metrics, DWORD size, void* buffer,
                                   const MAT2* matrix) {
  std::lock_guard lock(mutex_);
  DeviceContext* context = FindDC(dc);
  if (!context) return Fail(EBADF, GDI_ERROR);
  if (!metrics || !matrix) return Fail(EINVAL, GDI_ERROR);
  // Only the grey bitmap the engine asks for, upright and unscaled.
  if (format != GGO_GRAY8_BITMAP || !IsIdentity(*matrix)) return Fail(ENOTSUP, GDI_ERROR);

  if (context->glyphFont != context->font || context->glyphChar != ch) {
    context->glyphFont.reset();
    try {
      if (!context->font->Glyph(ch, context->glyph)) return GDI_ERROR;
    } catch (const std::bad_alloc&) {
      return Fail(ENOMEM, GDI_ERROR);
    }
    context->glyphFont = context->font;
    context->glyphChar = ch;
  }
  const GlyphImage& glyph = context->glyph;
  metrics->gmCellIncX = glyph.advance;
  metrics->gmCellIncY = 0;
  metrics->gmptGlyphOrigin = {glyph.left, glyph.top};
  if (glyph.width == 0 || glyph.height == 0) {
    // No ink: GDI reports a one-pixel box and no bits.
    metrics->gmBlackBoxX = metrics->gmBlackBoxY = 1;
    return 0;
  }
  metrics->gmBlackBoxX = glyph.width;
  metrics->gmBlackBoxY = glyph.height;
  DWORD needed = glyph.Bytes();
  if (!buffer || size == 0) return needed;
  if (size < needed) return Fail(ENOBUFS, GDI_ERROR);
  std::memcpy(buffer, glyph.levels.data(), needed);
  return needed;
}

BOOL FontModule::TextOutW(HDC dc, int x, int y, const wchar_t* text, int count) {
  std::lock_guard lock(mutex_);
  DeviceContext* context = FindDC(dc);
  if (!context) return Fail(EBADF, FALSE);
  if (count < 0 || (count > 0 && !text)) return Fail(EINVAL, FALSE);
  if (!context->target || count == 0) return TRUE;  // a memory DC has no bitmap to draw on
  const DrawTarget& target = *context->target;
  FontObject& font = *context->font;
  TEXTMETRICW metrics;
  if (!font.Metrics(metrics)) return FALSE;
  std::vector<GlyphImage> glyphs;
  int width = 0;
  try {
    glyphs.resize(size_t(count));
    for (int i = 0; i < count; ++i) {
      if (!font.Glyph(UINT(text[i]), glyphs[i])) return FALSE;
      width += glyphs[i].advance;
    }
  } catch (const std::bad_alloc&) {
    return Fail(ENOMEM, FALSE);
  }
  // Opaque background: the cells of the whole string, then the ink on one baseline.
  FillWhite(target, x, y, x + width, y + metrics.tmHeight);
  int pen = x, baseline = y + metrics.tmAscent;
  for (const GlyphImage& glyph : glyphs) {
    DrawGlyph(target, glyph, pen + glyph.left, baseline - glyph.top);
    pen += glyph.advance;
  }
  return TRUE;
}

size_t FontModule::LiveFonts() const {
  std::lock_guard lock(mutex_);
  return fonts_.size();
}

size_t FontModule::LiveDCs() const {
  std::lock_guard lock(mutex_);
  return dcs_.size();
}

}  // namespace tav::font
