#include <cstring>
#include <exception>

#include "core/ErrorLog.h"
#include "gfx/BaseD3D.h"
#include "gfx/TextureMath.h"
#include "text/TexString.h"

namespace tav {

LOGFONTW TextFont(int size) {
  LOGFONTW logfont{};
  logfont.lfHeight = -size;
  logfont.lfCharSet = DEFAULT_CHARSET;
  logfont.lfQuality = PROOF_QUALITY;
  logfont.lfPitchAndFamily = FF_MODERN | FIXED_PITCH;
  std::wcsncpy(logfont.lfFaceName, L"Meiryo", LF_FACESIZE - 1);
  return logfont;
}

bool Rasterise(const std::wstring& line, CBaseD3D* d3d, CTexString& target, const std::wstring& textureName,
               const LOGFONTW& logfont) {
  try {
    if (!d3d) return false;
    const int64_t requested = logfont.lfHeight;
    // Each round asks for a font one pixel smaller, towards zero.
    const int64_t step = requested > 0 ? -1 : 1;
    for (int64_t adjustment = 0; adjustment != -requested; adjustment += step) {
      LOGFONTW font = logfont;
      font.lfHeight = LONG(requested + adjustment);
      if (!target.BuildGlyphs(line, font)) return false;
      int64_t width = 0;
      for (const GLYPHMETRICS& m : target.glyphMetrics) width += int64_t(m.gmCellIncX) + 1;
      const int64_t height = int64_t(target.textMetrics.tmHeight) + 1;
      if (width < 0 || width > INT32_MAX || height < 0 || height > INT32_MAX) continue;
      target.texWidth = int32_t(width);
      target.texHeight = int32_t(height);
      if (RoundUpToPowerOfTwo(uint32_t(width)) > d3d->caps.MaxTextureWidth ||
          RoundUpToPowerOfTwo(uint32_t(height)) > d3d->caps.MaxTextureHeight)
        continue;
      target.device = d3d;
      target.textureName = textureName;
      target.text = line;
      target.verticalLayout = false;
      if (!d3d->CreateNamedTexture(textureName, UINT(width), UINT(height), D3DUSAGE_DYNAMIC)) return false;
      if (target.FillTexture()) return true;
      // A texture left behind would block the name for good.
      d3d->EraseTexture(textureName);
      return false;
    }
    return false;
  } catch (const std::exception& e) {
    LogException(e.what());
    return false;
  }
}

}  // namespace tav
