#pragma once
// One line of text as a named texture: white pixels whose alpha is the glyph
// coverage, plus the glyph bitmaps and metrics that rebuild the texture after
// a device reset without asking the font system again.
#include <cstdint>
#include <string>
#include <vector>

#include "gfx/Restore.h"
#include "platform/font/Gdi.h"
#include "platform/gpu/D3D9.h"

class CBaseD3D;

class CTexString : public CRestore {
 public:
  explicit CTexString(CBaseD3D* d3d = nullptr) : device(d3d) {}
  CTexString(const CTexString&) = delete;
  CTexString& operator=(const CTexString&) = delete;
  ~CTexString() override;

  // The texture again at the same size and under the same name, refilled from
  // the stored glyphs (blank for an empty text).
  bool Restore() override;
  // The device empties its texture store itself before a reset.
  bool Release() override { return true; }

  // The font for `logfont`, its metrics and one grey bitmap per code unit.
  bool BuildGlyphs(const std::wstring& line, const LOGFONTW& logfont);
  // Copies the stored glyphs into the texture named `textureName`.
  bool FillTexture();

  CBaseD3D* device = nullptr;
  std::wstring textureName;
  std::wstring text;
  std::vector<std::vector<uint8_t>> glyphBitmaps;
  std::vector<GLYPHMETRICS> glyphMetrics;
  TEXTMETRICW textMetrics{};
  bool verticalLayout = false;
  int32_t texWidth = 0;
  int32_t texHeight = 0;
  HFONT font = nullptr;

 private:
  void ReplaceFont(HFONT replacement);
  bool FillLocked(IDirect3DTexture9* texture, const D3DSURFACE_DESC& desc);
  bool FillThroughDc(IDirect3DTexture9* texture);
};

namespace tav {

// Lays `line` out with `logfont` and makes the texture `textureName` on `d3d`
// for `target`. A line too large for the device's biggest texture is laid out
// again one pixel smaller until it fits; false when no size down to 1 fits
// (without a log line) or when a step failed (logged).
bool Rasterise(const std::wstring& line, CBaseD3D* d3d, CTexString& target, const std::wstring& textureName,
               const LOGFONTW& logfont);

// The font request of every text: `size` pixels of character height.
LOGFONTW TextFont(int size);

}  // namespace tav
