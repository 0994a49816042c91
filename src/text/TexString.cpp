#include "text/TexString.h"

#include <algorithm>
#include <cstring>

#include "core/ErrorLog.h"
#include "gfx/BaseD3D.h"
#include "gfx/DeviceObject.h"

namespace {

// The identity transform for glyph outlines: 1.0 in 16.16 fixed point.
constexpr MAT2 kIdentity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};

// Selects a font into a fresh memory DC for the life of the object and puts
// the DC's previous object back before deleting it, on every path.
class FontDc {
 public:
  explicit FontDc(HFONT font) : dc_(tav::font::CreateCompatibleDC(nullptr)) {
    if (dc_) previous_ = tav::font::SelectObject(dc_, font);
  }
  ~FontDc() {
    if (!dc_) return;
    tav::font::SelectObject(dc_, previous_);
    tav::font::DeleteDC(dc_);
  }
  FontDc(const FontDc&) = delete;
  FontDc& operator=(const FontDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
  HGDIOBJ previous_ = nullptr;
};

// A grey level of 0..64 as 0..255 (values above 64 count as full coverage).
uint32_t Level(uint8_t grey) { return uint32_t(std::min<uint8_t>(grey, 64)) * 255 >> 6; }

}  // namespace

CTexString::~CTexString() { ReplaceFont(nullptr); }

void CTexString::ReplaceFont(HFONT replacement) {
  if (font) tav::font::DeleteObject(font);
  font = replacement;
}

bool CTexString::BuildGlyphs(const std::wstring& line, const LOGFONTW& logfont) {
  HFONT created = tav::font::CreateFontIndirectW(&logfont);
  if (!created) {
    tav::LogLastError();
    return false;
  }
  ReplaceFont(created);
  FontDc dc(font);
  if (!dc.Get()) {
    tav::LogLastError();
    return false;
  }
  if (!tav::font::GetTextMetricsW(dc.Get(), &textMetrics)) {
    tav::LogLastError();
    return false;
  }
  glyphBitmaps.assign(line.size(), {});
  glyphMetrics.assign(line.size(), GLYPHMETRICS{});
  for (size_t i = 0; i < line.size(); ++i) {
    GLYPHMETRICS metrics{};
    const UINT ch = UINT(line[i]);
    DWORD size = tav::font::GetGlyphOutlineW(dc.Get(), ch, GGO_GRAY8_BITMAP, &metrics, 0, nullptr, &kIdentity);
    if (size == GDI_ERROR) {
      tav::LogLastError();
      return false;
    }
    std::vector<uint8_t>& bitmap = glyphBitmaps[i];
    bitmap.resize(size);
    if (size > 0 && tav::font::GetGlyphOutlineW(dc.Get(), ch, GGO_GRAY8_BITMAP, &metrics, size, bitmap.data(),
                                                 &kIdentity) == GDI_ERROR) {
      tav::LogLastError();
      return false;
    }
    glyphMetrics[i] = metrics;
  }
  return true;
}

bool CTexString::FillTexture() {
  IDirect3DTexture9* texture = device ? device->GetTexture(textureName) : nullptr;
  D3DSURFACE_DESC desc{};
  HRESULT hr = texture ? texture->GetLevelDesc(0, &desc) : D3DERR_INVALIDCALL;
  if (FAILED(hr)) {
    tav::LogHResult(hr, L"GetLevelDesc");
    return false;
  }
  if (desc.Format == D3DFMT_A8R8G8B8 || desc.Format == D3DFMT_A1R5G5B5 || desc.Format == D3DFMT_A4R4G4B4)
    return FillLocked(texture, desc);
  return FillThroughDc(texture);
}

bool CTexString::FillLocked(IDirect3DTexture9* texture, const D3DSURFACE_DESC& desc) {
  D3DLOCKED_RECT locked{};
  HRESULT hr = texture->LockRect(0, &locked, nullptr, D3DLOCK_DISCARD);
  if (FAILED(hr)) {
    tav::LogHResult(hr, L"LockRect");
    return false;
  }
  auto* bits = static_cast<uint8_t*>(locked.pBits);
  std::memset(bits, 0, size_t(locked.Pitch) * desc.Height);

  const bool wide = desc.Format == D3DFMT_A8R8G8B8;
  const int64_t width = desc.Width, height = desc.Height;
  int64_t penX = 0, penY = 0;
  for (size_t i = 0; i < glyphBitmaps.size() && i < glyphMetrics.size(); ++i) {
    const std::vector<uint8_t>& bitmap = glyphBitmaps[i];
    const GLYPHMETRICS& m = glyphMetrics[i];
    const size_t pitch = (size_t(m.gmBlackBoxX) + 3) & ~size_t(3);
    // Bitmaps shorter than their stated box (a misbehaving font) keep only
    // the rows they hold.
    const size_t rows = pitch ? std::min<size_t>(m.gmBlackBoxY, bitmap.size() / pitch) : 0;
    const int64_t top = penY + textMetrics.tmAscent - m.gmptGlyphOrigin.y;
    const int64_t left = penX + m.gmptGlyphOrigin.x;
    for (size_t r = 0; r < rows; ++r) {
      const int64_t y = top + int64_t(r);
      if (y < 0 || y >= height) continue;
      uint8_t* row = bits + y * locked.Pitch;
      for (size_t k = 0; k < m.gmBlackBoxX; ++k) {
        const int64_t x = left + int64_t(k);
        const uint32_t level = Level(bitmap[r * pitch + k]);
        if (level == 0 || x < 0 || x >= width) continue;
        if (wide) {
          const uint32_t pixel = level << 24 | 0x00FFFFFF;
          std::memcpy(row + x * 4, &pixel, 4);
        } else {
          const uint16_t pixel = desc.Format == D3DFMT_A1R5G5B5
                                     ? uint16_t(0x7FFF | (level >= 128 ? 0x8000 : 0))
                                     : uint16_t(((level + 8) / 17) << 12 | 0x0FFF);
          std::memcpy(row + x * 2, &pixel, 2);
        }
      }
    }
    if (verticalLayout)
      penY += textMetrics.tmHeight + 1;
    else
      penX += m.gmCellIncX + 1;
  }
  hr = texture->UnlockRect(0);
  if (FAILED(hr)) {
    tav::LogHResult(hr, L"UnlockRect");
    return false;
  }
  return true;
}

bool CTexString::FillThroughDc(IDirect3DTexture9* texture) {
  IDirect3DSurface9* raw = nullptr;
  HRESULT hr = texture->GetSurfaceLevel(0, &raw);
  if (FAILED(hr) || !raw) {
    tav::LogHResult(hr, L"GetSurfaceLevel");
    return false;
  }
  auto surface = tav::AdoptDeviceObject(raw);
  HDC dc = nullptr;
  hr = surface->GetDC(&dc);
  if (FAILED(hr)) {
    tav::LogHResult(hr, L"GetDC");
    return false;
  }
  tav::font::SelectObject(dc, font);
  const bool drawn = tav::font::TextOutW(dc, 0, 0, text.c_str(), int(text.size()));
  // The error is read before releasing the DC can replace it.
  if (!drawn) tav::LogLastError();
  surface->ReleaseDC(dc);
  return drawn;
}

bool CTexString::Restore() {
  if (!device || !device->CreateNamedTexture(textureName, UINT(texWidth), UINT(texHeight), D3DUSAGE_DYNAMIC))
    return false;
  // An empty text has no glyphs: the fill leaves the texture transparent.
  return FillTexture();
}
