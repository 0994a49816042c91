// The built-in overlays' skins: backlog scroll parts and line buttons, the edit
// panel's buttons, the auto mark and the quit dialog. Sizes follow the
// overlays' layouts: 16-pixel scroll parts on the right edge, 32-pixel panel
// buttons (128 wide for the list arrows), rows of F + 1 = 23 pixels.
#include <cmath>
#include <numbers>

#include "Art.h"
#include "Text.h"
#include "Widgets.h"

namespace demogen {

namespace {

using Points = std::vector<std::pair<float, float>>;

// A triangle pointing up, down, left or right, centred in the face.
FaceArt Arrow(float dx, float dy, float size) {
  return [=](Canvas& c, Rgba ink, float shift) {
    float cx = c.Width() / 2.0f, cy = c.Height() / 2.0f + shift, s = size / 2;
    // Tip in the arrow's direction, base across it.
    float tx = cx + dx * s, ty = cy + dy * s * 0.9f;
    float bx = cx - dx * s * 0.8f, by = cy - dy * s * 0.7f;
    float px = -dy * s, py = dx * s;
    Points p{{tx, ty}, {bx + px, by + py}, {bx - px, by - py}};
    c.Fill(Around(cx - s - 2, cy - s - 2, cx + s + 2, cy + s + 2), Polygon(p), Solid(ink));
  };
}

FaceArt ArrowWithLabel(float dy, std::wstring label) {
  FaceArt text = Label(label, 14);
  return [=](Canvas& c, Rgba ink, float shift) {
    Canvas left(28, c.Height());
    Arrow(0, dy, 12)(left, ink, shift);
    c.Draw(left, 10, 0);
    text(c, ink, shift);
  };
}

FaceArt Speaker() {
  return [](Canvas& c, Rgba ink, float dy) {
    float cy = c.Height() / 2.0f + dy;
    c.Fill(Around(3, cy - 7, 12, cy + 7), Polygon({{4, cy - 2.5f}, {7, cy - 2.5f}, {11, cy - 6}, {11, cy + 6}, {7, cy + 2.5f}, {4, cy + 2.5f}}),
           Solid(ink));
    // Two sound waves: arcs of rings on the right of the cone.
    for (float r : {4.5f, 8.0f}) {
      Shape arc = Intersect([=](float x, float y) { return std::abs(std::hypot(x - 11, y - cy) - r) - 0.8f; },
                            [=](float x, float y) { return std::abs(y - cy) - (x - 11) * 1.2f; });
      c.Fill(Around(11, cy - r - 1, 11 + r + 1, cy + r + 1), arc, Solid(ink));
    }
  };
}

// "Return to this line": a hooked arrow.
FaceArt BackHook() {
  return [](Canvas& c, Rgba ink, float dy) {
    float cy = c.Height() / 2.0f + dy;
    Shape hook = Intersect([=](float x, float y) { return std::abs(std::hypot(x - 8.5f, y - cy) - 3.8f) - 0.9f; },
                           [=](float x, float) { return 8.5f - x; });
    c.Fill(Around(4, cy - 6, 14, cy + 6), Union(hook, Capsule(6.5f, cy + 3.8f, 8.5f, cy + 3.8f, 0.9f)), Solid(ink));
    c.Fill(Around(2, cy - 8, 10, cy), Polygon({{3.5f, cy - 3.8f}, {7.5f, cy - 7}, {7.5f, cy - 0.6f}}), Solid(ink));
  };
}

FaceArt Plus() {
  return [](Canvas& c, Rgba ink, float dy) {
    float cx = c.Width() / 2.0f, cy = c.Height() / 2.0f + dy;
    c.Fill(Around(cx - 9, cy - 9, cx + 9, cy + 9),
           Union(Capsule(cx - 7, cy, cx + 7, cy, 1.6f), Capsule(cx, cy - 7, cx, cy + 7, 1.6f)), Solid(ink));
  };
}

// Clear the playlist: a small bin.
FaceArt Bin() {
  return [](Canvas& c, Rgba ink, float dy) {
    float cx = c.Width() / 2.0f, cy = c.Height() / 2.0f + dy;
    Shape lid = Capsule(cx - 8, cy - 6, cx + 8, cy - 6, 1.2f);
    Shape knob = RoundedRect(cx - 3, cy - 9.5f, cx + 3, cy - 6, 1);
    Shape body = Polygon({{cx - 6.5f, cy - 4}, {cx + 6.5f, cy - 4}, {cx + 5.5f, cy + 9}, {cx - 5.5f, cy + 9}});
    Shape slits = Union(Capsule(cx - 2.5f, cy - 1, cx - 2.2f, cy + 6, 0.7f), Capsule(cx + 2.5f, cy - 1, cx + 2.2f, cy + 6, 0.7f));
    c.Fill(Around(cx - 10, cy - 11, cx + 10, cy + 11), Union(Union(lid, knob), Subtract(body, slits)), Solid(ink));
  };
}

FaceArt Play() {
  return [](Canvas& c, Rgba ink, float dy) {
    float cx = c.Width() / 2.0f + 1, cy = c.Height() / 2.0f + dy;
    c.Fill(Around(cx - 8, cy - 9, cx + 9, cy + 9), Polygon({{cx - 6, cy - 8}, {cx + 8, cy}, {cx - 6, cy + 8}}), Solid(ink));
  };
}

// A colour-mode swatch: a disc painted the way the mode shows the picture.
FaceArt Swatch(int mode) {
  return [mode](Canvas& c, Rgba ink, float dy) {
    float cx = c.Width() / 2.0f, cy = c.Height() / 2.0f + dy;
    Paint paint = [=](float x, float y) {
      // A little landscape: sky above, hill below, a sun at the top right.
      bool sun = std::hypot(x - cx - 4, y - cy + 4) < 3.2f;
      bool hill = y > cy + 2 + 2 * std::sin((x - cx) * 0.4f);
      Rgba c0 = sun ? Hex(0xFFD257) : hill ? Hex(0x4FA86A) : Hex(0x5E9BE0);
      float grey = 0.3f * c0.r + 0.59f * c0.g + 0.11f * c0.b;
      switch (mode) {
        case 1: return Rgba{1 - c0.r, 1 - c0.g, 1 - c0.b, 1};
        case 2: return Rgba{grey, grey, grey, 1};
        case 3: return Rgba{std::min(1.f, grey * 1.07f + 0.08f), grey * 0.92f + 0.04f, grey * 0.72f, 1};
        default: return c0;
      }
    };
    c.Fill(Around(cx - 10, cy - 10, cx + 10, cy + 10), Circle(cx, cy, 9), paint);
    c.Fill(Around(cx - 11, cy - 11, cx + 11, cy + 11), [=](float x, float y) { return std::abs(std::hypot(x - cx, y - cy) - 9.5f) - 0.7f; },
           Solid(WithAlpha(ink, 0.9f)));
  };
}

void WriteScroll(Output& out) {
  // The track: a slim groove the whole height between the arrows.
  Canvas track(16, 568);
  track.Fill(Around(4, 0, 12, 568), RoundedRect(5, 1, 11, 567, 3), Solid(WithAlpha(Hex(0x0D1022), 0.55f)));
  track.Fill(Around(4, 0, 12, 568), [shape = RoundedRect(5, 1, 11, 567, 3)](float x, float y) { return std::abs(shape(x, y) + 0.5f) - 0.5f; },
             Solid(WithAlpha(ui::kInk, 0.35f)));
  out.Write(L"Default\\s0.dds", track);

  // The thumb is stretched to its length, so its image is a plain pill.
  const Rgba thumbs[3] = {WithAlpha(ui::kInk, 0.8f), WithAlpha(ui::kAccent, 0.95f), WithAlpha(ui::kAccentDeep, 0.95f)};
  for (int i = 0; i < 3; ++i) {
    Canvas thumb(16, 64);
    thumb.Fill(Around(0, 0, 16, 64), RoundedRect(3, 1, 13, 63, 5), Solid(thumbs[i]));
    out.Write(L"Default\\s" + std::to_wstring(i + 1) + L".dds", thumb);
  }
  WriteButton(out, L"Default\\top", L".dds", 16, 16, 4, Arrow(0, -1, 9));
  WriteButton(out, L"Default\\btm", L".dds", 16, 16, 4, Arrow(0, 1, 9));
  WriteButton(out, L"Default\\l", L".dds", 16, 16, 4, Arrow(-1, 0, 9));
  WriteButton(out, L"Default\\r", L".dds", 16, 16, 4, Arrow(1, 0, 9));
  WriteButton(out, L"Default\\v", L".dds", 20, 20, 5, Speaker());
  WriteButton(out, L"Default\\b", L".dds", 16, 16, 4, BackHook());
}

void WriteEditPanel(Output& out) {
  WriteButton(out, L"Default\\etop", L".dds", 128, 32, 8, ArrowWithLabel(-1, L"上へ"));
  WriteButton(out, L"Default\\ebtm", L".dds", 128, 32, 8, ArrowWithLabel(1, L"下へ"));
  WriteButton(out, L"Default\\edel", L".dds", 32, 32, 8, Bin());
  WriteButton(out, L"Default\\eadd", L".dds", 32, 32, 8, Plus());
  WriteButton(out, L"Default\\eplay", L".dds", 32, 32, 8, Play());
  WriteButton(out, L"Default\\er", L".dds", 32, 32, 8, Swatch(0));
  WriteButton(out, L"Default\\en", L".dds", 32, 32, 8, Swatch(1));
  WriteButton(out, L"Default\\em", L".dds", 32, 32, 8, Swatch(2));
  WriteButton(out, L"Default\\es", L".dds", 32, 32, 8, Swatch(3));
}

void WriteAutoMark(Output& out) {
  Canvas mark(56, 20);
  mark.Fill(Around(0, 0, 56, 20), RoundedRect(1, 1, 55, 19, 9), Solid(WithAlpha(ui::kAccent, 0.9f)));
  mark.Fill(Around(6, 4, 16, 16), Polygon({{8, 5}, {15, 10}, {8, 15}}), Solid(Hex(0xFFFFFF)));
  TextPainter text(12, true);
  RequireGlyphs(L"AUTO");
  text.DrawCentred(mark, L"AUTO", 34, 10, Hex(0xFFFFFF));
  out.Write(L"Default\\auto.dds", mark);
}

// The quit dialog. The panel is 448 wide for 128-wide buttons: the dialog's
// layout puts yes at half its width less 16 from the left edge and no at half
// of (panel + button) less 16, which leaves both 48 pixels from their edges.
void WriteQuitDialog(Output& out) {
  Canvas panel(448, 200);
  panel.Fill(Around(0, 0, 448, 200), RoundedRect(2, 2, 446, 198, 16), Solid(WithAlpha(Hex(0x000000), 0.25f)), 6);
  panel.Fill(Around(0, 0, 448, 200), RoundedRect(4, 4, 444, 196, 14),
             VerticalGradient(4, WithAlpha(Hex(0x2E3760), 0.96f), 196, WithAlpha(Hex(0x161B33), 0.96f)));
  panel.Fill(Around(0, 0, 448, 200), [shape = RoundedRect(4, 4, 444, 196, 14)](float x, float y) { return std::abs(shape(x, y) + 1) - 1; },
             Solid(WithAlpha(ui::kAccent, 0.8f)));
  panel.Fill(Around(40, 40, 408, 44), Capsule(48, 42, 400, 42, 0.6f), Solid(WithAlpha(ui::kInk, 0.3f)));
  TextPainter title(15, false), question(22, true);
  RequireGlyphs(L"確認ゲームを終了しますか？");
  title.DrawCentred(panel, L"確認", 224, 24, WithAlpha(ui::kAccent, 1));
  question.DrawCentred(panel, L"ゲームを終了しますか？", 224, 88, ui::kInk);
  out.Write(L"Default\\close.dds", panel);

  const ButtonState states[3] = {ButtonState::Normal, ButtonState::Hover, ButtonState::Pressed};
  for (int i = 0; i < 3; ++i) {
    std::wstring n = std::to_wstring(i + 1);
    out.Write(L"Default\\yes" + n + L".dds", Button(128, 40, states[i], 12, Label(L"はい", 18)));
    out.Write(L"Default\\no" + n + L".dds", Button(128, 40, states[i], 12, Label(L"いいえ", 18)));
  }
}

}  // namespace

void WriteSkins(Output& out) {
  WriteScroll(out);
  WriteEditPanel(out);
  WriteAutoMark(out);
  WriteQuitDialog(out);
}

}  // namespace demogen
