#pragma once
// Pixels of text drawn into a surface's locked bits: the opaque background box
// and glyph levels laid over it, in each format GetDC accepts.
#include "platform/font/GdiObjects.h"

namespace tav::font {

// The formats a surface can hand out a DC for.
bool DrawableFormat(D3DFORMAT format);
// Fills the rectangle (clipped to the target) with white.
void FillWhite(const DrawTarget& target, int left, int top, int right, int bottom);
// Darkens the pixels under the glyph's ink by its levels (black text at
// coverage level / 64); the black box's top-left lands on (x, y).
void DrawGlyph(const DrawTarget& target, const GlyphImage& glyph, int x, int y);

}  // namespace tav::font
