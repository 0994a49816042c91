#include "Widgets.h"

#include <cmath>
#include <stdexcept>

#include "Text.h"
#include "platform/os/Locale.h"

namespace demogen {

namespace {

struct Face {
  Rgba top, bottom, border;
  float borderWidth;
  Rgba ink;
  float dy;
  float glow;
};

Face FaceOf(ButtonState state) {
  using namespace ui;
  switch (state) {
    case ButtonState::Normal:
      return {WithAlpha(Hex(0x39456E), 0.78f), WithAlpha(kNavy, 0.82f), WithAlpha(kInk, 0.55f), 1.5f, kInk, 0, 0};
    case ButtonState::Hover:
      return {WithAlpha(Hex(0xEC9C55), 0.96f), WithAlpha(Hex(0xCF7438), 0.94f), WithAlpha(Hex(0xFFFFFF), 0.95f), 1.5f,
              Hex(0xFFFFFF), 0, 0.35f};
    case ButtonState::Pressed:
      return {WithAlpha(Hex(0x9C4826), 0.96f), WithAlpha(kAccentDeep, 0.96f), WithAlpha(Hex(0xFFE2C4), 0.9f), 1.5f,
              Hex(0xFFF0E0), 1, 0};
    case ButtonState::On:
      return {WithAlpha(Hex(0xDB8396), 0.92f), WithAlpha(kRose, 0.92f), WithAlpha(Hex(0xFFE6EC), 0.95f), 2.0f,
              Hex(0xFFFFFF), 0, 0};
  }
  return {};
}

}  // namespace

Canvas Button(int w, int h, ButtonState state, float radius, const FaceArt& art) {
  Face f = FaceOf(state);
  Canvas c(w, h);
  float inset = f.glow > 0 ? 2.0f : 1.0f;
  float l = inset, t = inset, r = w - inset, b = h - inset;
  if (f.glow > 0)  // a faint halo hugging the edge, inside the image
    c.Fill(Around(0, 0, float(w), float(h)), RoundedRect(l, t, r, b, radius),
           Solid(WithAlpha(Hex(0xFFD9A8), f.glow)), 4);
  c.Fill(Around(l, t, r, b), RoundedRect(l, t, r, b, radius), VerticalGradient(t, f.top, b, f.bottom));
  // A sheen on the upper half makes the face read as a soft, raised pill.
  c.Fill(Around(l, t, r, b), Intersect(RoundedRect(l + 1, t + 1, r - 1, b - 1, radius - 1), [mid = (t + b) / 2](float, float y) { return y - mid; }),
         VerticalGradient(t, WithAlpha(Hex(0xFFFFFF), 0.16f), (t + b) / 2, WithAlpha(Hex(0xFFFFFF), 0.02f)));
  auto ring = [shape = RoundedRect(l, t, r, b, radius), half = f.borderWidth / 2](float x, float y) {
    return std::abs(shape(x, y) + half) - half;
  };
  c.Fill(Around(l, t, r, b), ring, Solid(f.border));
  if (art) art(c, f.ink, f.dy);
  return c;
}

FaceArt Label(std::wstring text, int emPixels, bool bold) {
  RequireGlyphs(text);
  return [text = std::move(text), emPixels, bold](Canvas& c, Rgba ink, float dy) {
    // A label too long for its face is set smaller rather than clipped.
    int size = emPixels;
    while (size > 9 && TextPainter(size, bold).Width(text) > c.Width() - 14) --size;
    TextPainter painter(size, bold);
    float cx = c.Width() / 2.0f, cy = c.Height() / 2.0f + dy;
    painter.DrawCentred(c, text, cx, cy + 1, WithAlpha(Hex(0x000000), 0.45f));
    painter.DrawCentred(c, text, cx, cy, ink);
  };
}

void WriteButton(Output& out, const std::wstring& base, const std::wstring& ext, int w, int h, float radius,
                 const FaceArt& art, bool withOn) {
  out.Write(base + L"1" + ext, Button(w, h, ButtonState::Normal, radius, art));
  out.Write(base + L"2" + ext, Button(w, h, ButtonState::Hover, radius, art));
  out.Write(base + L"3" + ext, Button(w, h, ButtonState::Pressed, radius, art));
  if (withOn) out.Write(base + L"_on" + ext, Button(w, h, ButtonState::On, radius, art));
}

void ShadowedText(Canvas& canvas, std::wstring_view text, int emPixels, bool bold, float x, float top, Rgba colour) {
  RequireGlyphs(text);
  TextPainter painter(emPixels, bold);
  // A few offset copies make a soft shadow that keeps light text readable on
  // a light background.
  for (auto [dx, dy, a] : {std::tuple{0.f, 2.f, 0.35f}, {1.f, 1.f, 0.3f}, {-1.f, 1.f, 0.3f}, {0.f, 3.f, 0.2f}})
    painter.Draw(canvas, text, x + dx, top + dy, WithAlpha(Hex(0x141021), a));
  painter.Draw(canvas, text, x, top, colour);
}

void RequireGlyphs(std::wstring_view text) {
  TextPainter painter(16, false);
  if (!painter.Ok() || !painter.Covers(text))
    throw std::runtime_error("the font has no glyph for some character of \"" + tav::os::WideToMultiByte(text) +
                             "\"; install a Japanese font (fonts-ipafont-gothic)");
}

}  // namespace demogen
