#pragma once
// The look shared by every button of the demo: rounded, translucent navy at
// rest, warm dusk orange under the mouse, a deeper orange pressed (content one
// pixel lower), and a rose "on" face for toggles that show a state.
#include <functional>
#include <string>
#include <string_view>

#include "Canvas.h"
#include "Output.h"

namespace demogen {

enum class ButtonState { Normal, Hover, Pressed, On };

// The colours of the interface.
namespace ui {
inline const Rgba kInk = Hex(0xFFF6E8);       // labels
inline const Rgba kNavy = Hex(0x1C2340);      // panels
inline const Rgba kAccent = Hex(0xF0A052);    // dusk orange
inline const Rgba kAccentDeep = Hex(0xB85E34);
inline const Rgba kRose = Hex(0xC9677A);
}  // namespace ui

// Draws what goes on a button face (label or icon) in `ink`, moved down by dy.
using FaceArt = std::function<void(Canvas& canvas, Rgba ink, float dy)>;

// A w x h button in the given state with `art` on its face.
Canvas Button(int w, int h, ButtonState state, float radius, const FaceArt& art);
// Art that centres a text label of emPixels.
FaceArt Label(std::wstring text, int emPixels, bool bold = true);

// Writes base + "1", "2", "3" (normal, under the mouse, pressed) + extension,
// and base + "_on" when `withOn`.
void WriteButton(Output& out, const std::wstring& base, const std::wstring& ext, int w, int h, float radius,
                 const FaceArt& art, bool withOn = false);

// A line of text with a soft dark shadow, for headings drawn over pictures.
void ShadowedText(Canvas& canvas, std::wstring_view text, int emPixels, bool bold, float x, float top, Rgba colour);

// Throws when the font cannot draw every character of `text`.
void RequireGlyphs(std::wstring_view text);

}  // namespace demogen
