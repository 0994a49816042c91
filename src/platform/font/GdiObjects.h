#pragma once
// What the layer keeps behind the GDI handles: glyph images, drawing targets
// and DCs. The module (FontModule.h) owns the handles and implements the
// calls' contracts on top of the backend's fonts.
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/font/Gdi.h"
#include "platform/gpu/D3D9Types.h"

namespace tav::font {

// One glyph as GGO_GRAY8_BITMAP delivers it: levels 0..64, rows padded to a
// multiple of 4 bytes. A glyph without ink is 0 x 0.
struct GlyphImage {
  UINT width = 0;
  UINT height = 0;
  int32_t left = 0;  // left edge of the black box from the pen position
  int32_t top = 0;   // top of the black box, measured up from the baseline
  short advance = 0;
  std::vector<BYTE> levels;
  UINT Pitch() const { return (width + 3) & ~3u; }
  DWORD Bytes() const { return DWORD(Pitch()) * height; }
};

// The locked bits of a surface that a DC draws into.
struct DrawTarget {
  BYTE* bits = nullptr;
  int32_t pitch = 0;
  UINT width = 0;
  UINT height = 0;
  D3DFORMAT format = D3DFMT_UNKNOWN;
};

class DeviceContext {
 public:
  std::shared_ptr<FontObject> font;
  std::optional<DrawTarget> target;  // empty for a memory DC
  // The last glyph rendered: the engine asks for the size and then for the
  // bits of the same character, and the second call reuses the first's work.
  std::shared_ptr<FontObject> glyphFont;
  UINT glyphChar = 0;
  GlyphImage glyph;
};

}  // namespace tav::font
