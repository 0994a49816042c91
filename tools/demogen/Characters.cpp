// The two characters as simple painted figures with transparent surroundings
// (300 x 560, feet off the bottom of the screen when placed at y 40), and the
// cut-in band with a close-up of Aoi.
#include <cmath>

#include "Art.h"
#include "Widgets.h"

namespace demogen {

namespace {

using Points = std::vector<std::pair<float, float>>;

// Figure coordinates (a 300 x 560 frame) to canvas coordinates.
struct Pen {
  float ox = 0, oy = 0, s = 1;
  float X(float x) const { return ox + x * s; }
  float Y(float y) const { return oy + y * s; }
  float L(float v) const { return v * s; }
  Points P(Points p) const {
    for (auto& [x, y] : p) x = X(x), y = Y(y);
    return p;
  }
  Box B(float l, float t, float r, float b) const { return Around(X(l), Y(t), X(r), Y(b), 3); }
};

const Rgba kSkin = Hex(0xFCE4D4), kSkinShade = Hex(0xEDC3AE);

void Face(Canvas& c, const Pen& p, Rgba iris, bool smile) {
  // Neck and face.
  c.Fill(p.B(130, 190, 170, 262), RoundedRect(p.X(132), p.Y(195), p.X(168), p.Y(262), p.L(10)),
         VerticalGradient(p.Y(195), kSkinShade, p.Y(240), kSkin));
  Shape face = Union(Ellipse(p.X(150), p.Y(150), p.L(56), p.L(64)),
                     Polygon(p.P({{100, 160}, {200, 160}, {170, 212}, {150, 220}, {130, 212}})));
  c.Fill(p.B(90, 80, 210, 225), face, VerticalGradient(p.Y(100), kSkin, p.Y(220), Mix(kSkin, kSkinShade, 0.4f)));
  // Eyes: white, iris with a darker top and a highlight, an upper lash line.
  for (float ex : {126.f, 174.f}) {
    c.Fill(p.B(ex - 14, 150, ex + 14, 185), Ellipse(p.X(ex), p.Y(168), p.L(11), p.L(13)), Solid(Hex(0xFFFFFF)));
    c.Fill(p.B(ex - 12, 150, ex + 12, 185), Ellipse(p.X(ex), p.Y(170), p.L(8.5f), p.L(12)),
           VerticalGradient(p.Y(158), Mix(iris, Hex(0x000000), 0.55f), p.Y(182), Mix(iris, Hex(0xFFFFFF), 0.25f)));
    c.Fill(p.B(ex - 6, 160, ex + 6, 176), Ellipse(p.X(ex), p.Y(171), p.L(4), p.L(6)), Solid(Mix(iris, Hex(0x000000), 0.7f)));
    c.Fill(p.B(ex - 6, 158, ex + 6, 172), Circle(p.X(ex + 3), p.Y(164), p.L(2.8f)), Solid(Hex(0xFFFFFF)));
    c.Fill(p.B(ex - 16, 150, ex + 16, 162), Capsule(p.X(ex - 12), p.Y(157), p.X(ex + 12), p.Y(ex < 150 ? 155 : 157), p.L(1.8f)),
           Solid(Hex(0x3A2228)));
    c.Fill(p.B(ex - 14, 132, ex + 14, 144), Capsule(p.X(ex - 10), p.Y(139), p.X(ex + 9), p.Y(137), p.L(1.2f)),
           Solid(WithAlpha(Hex(0x5A3A34), 0.8f)));
  }
  // Blush and mouth.
  for (float bx : {116.f, 184.f})
    c.Fill(p.B(bx - 16, 180, bx + 16, 200), Ellipse(p.X(bx), p.Y(190), p.L(12), p.L(5)), Solid(WithAlpha(Hex(0xF49AA6), 0.35f)), p.L(5));
  if (smile)
    c.Fill(p.B(136, 196, 164, 214), Intersect([=](float x, float y) { return std::abs(std::hypot(x - p.X(150), y - p.Y(194)) - p.L(10)) - p.L(1.3f); },
                                               [=](float, float y) { return p.Y(200) - y; }),
           Solid(Hex(0xB0505A)));
  else
    c.Fill(p.B(140, 200, 160, 210), Capsule(p.X(144), p.Y(205), p.X(156), p.Y(205), p.L(1.3f)), Solid(Hex(0xB0505A)));
}

// Aoi: long dark hair, a navy sailor uniform with a red ribbon.
void Aoi(Canvas& c, const Pen& p) {
  Rgba hair = Hex(0x3A2424), hairLight = Hex(0x6A463E);
  Paint hairPaint = VerticalGradient(p.Y(80), hairLight, p.Y(420), hair);
  // Hair behind the body, down past the shoulders.
  c.Fill(p.B(55, 70, 245, 430), Union(Ellipse(p.X(150), p.Y(150), p.L(78), p.L(86)),
                                       Polygon(p.P({{76, 160}, {224, 160}, {246, 420}, {200, 400}, {150, 410}, {100, 400}, {54, 420}}))),
         hairPaint);
  // Body: uniform with sleeves, shading to the sides.
  Shape body = Polygon(p.P({{118, 248}, {182, 248}, {238, 280}, {258, 560}, {42, 560}, {62, 280}}));
  Rgba navy = Hex(0x283A66);
  c.Fill(p.B(40, 240, 260, 560), body, [=](float x, float y) {
    float t = std::abs(x - p.X(150)) / p.L(110);
    return Mix(Mix(navy, Hex(0x3C5290), 0.3f * (1 - t)), Hex(0x1A2444), t * 0.6f + (y - p.Y(250)) / p.L(900));
  });
  // Sailor collar: white with a navy stripe, and the ribbon.
  c.Fill(p.B(60, 240, 240, 350), Polygon(p.P({{112, 246}, {150, 330}, {188, 246}, {236, 278}, {214, 300}, {150, 348}, {86, 300}, {64, 278}})),
         Solid(Hex(0xF4F6FA)));
  // A navy stripe along the collar's lower edges.
  for (auto [x0, y0, x1, y1] : {std::tuple{80.f, 294.f, 148.f, 340.f}, {220.f, 294.f, 152.f, 340.f}})
    c.Fill(p.B(70, 280, 230, 350), Capsule(p.X(x0), p.Y(y0), p.X(x1), p.Y(y1), p.L(2)), Solid(navy));
  c.Fill(p.B(125, 250, 175, 300), Polygon(p.P({{128, 250}, {150, 300}, {172, 250}})), Solid(kSkin));
  Rgba red = Hex(0xD0424E);
  c.Fill(p.B(110, 300, 190, 380), Union(Union(Polygon(p.P({{150, 318}, {118, 304}, {122, 334}})), Polygon(p.P({{150, 318}, {182, 304}, {178, 334}}))),
                                         Polygon(p.P({{144, 318}, {156, 318}, {170, 376}, {150, 366}, {130, 376}}))),
         VerticalGradient(p.Y(300), Mix(red, Hex(0xFFFFFF), 0.2f), p.Y(376), red));
  c.Fill(p.B(140, 310, 160, 328), Circle(p.X(150), p.Y(318), p.L(6)), Solid(Mix(red, Hex(0x000000), 0.2f)));
  Face(c, p, Hex(0x7A4A2E), true);
  // Bangs and side locks over the face.
  Shape cap = Intersect(Ellipse(p.X(150), p.Y(138), p.L(70), p.L(72)), [=](float, float y) { return y - p.Y(118); });
  Shape strands = Polygon(p.P({{84, 112}, {100, 168}, {112, 122}, {126, 150}, {138, 118}, {152, 152}, {162, 118}, {178, 150},
                               {188, 120}, {200, 168}, {216, 112}}));
  Shape locks = Union(Polygon(p.P({{84, 110}, {98, 118}, {92, 220}, {80, 270}, {74, 200}})),
                      Polygon(p.P({{216, 110}, {202, 118}, {208, 220}, {220, 270}, {226, 200}})));
  c.Fill(p.B(70, 60, 230, 280), Union(Union(cap, strands), locks), hairPaint);
  // A sheen across the crown.
  c.Fill(p.B(90, 80, 210, 120), [=](float x, float y) {
    return std::abs(std::hypot((x - p.X(150)) / 1.6f, y - p.Y(150)) - p.L(50)) - p.L(3);
  }, Solid(WithAlpha(Hex(0xB08A80), 0.3f)), p.L(3));
}

// Ren: short black hair, a white shirt under a dark blazer, a slim tie.
void Ren(Canvas& c, const Pen& p) {
  Rgba hair = Hex(0x1E2230), hairLight = Hex(0x3C4460);
  Paint hairPaint = VerticalGradient(p.Y(70), hairLight, p.Y(200), hair);
  c.Fill(p.B(70, 60, 230, 200), Ellipse(p.X(150), p.Y(140), p.L(72), p.L(80)), hairPaint);
  Shape body = Polygon(p.P({{116, 246}, {184, 246}, {246, 278}, {266, 560}, {34, 560}, {54, 278}}));
  Rgba blazer = Hex(0x2C3240);
  c.Fill(p.B(30, 240, 270, 560), body, [=](float x, float) {
    float t = std::abs(x - p.X(150)) / p.L(115);
    return Mix(Hex(0x444C60), blazer, t);
  });
  // Shirt front and collar between the lapels, and the tie.
  c.Fill(p.B(100, 240, 200, 560), Polygon(p.P({{120, 246}, {180, 246}, {170, 420}, {150, 560}, {130, 420}})), Solid(Hex(0xF2F4F8)));
  c.Fill(p.B(100, 240, 200, 300), Union(Polygon(p.P({{120, 246}, {150, 262}, {138, 286}})), Polygon(p.P({{180, 246}, {150, 262}, {162, 286}}))),
         Solid(Hex(0xFFFFFF)));
  c.Fill(p.B(130, 255, 170, 470), Polygon(p.P({{144, 262}, {156, 262}, {162, 440}, {150, 462}, {138, 440}})),
         VerticalGradient(p.Y(262), Hex(0x3A5BA0), p.Y(460), Hex(0x24407A)));
  c.Fill(p.B(60, 260, 240, 560), Union(Polygon(p.P({{120, 250}, {100, 262}, {130, 420}, {150, 560}, {136, 420}})),
                                         Polygon(p.P({{180, 250}, {200, 262}, {170, 420}, {150, 560}, {164, 420}}))),
         Solid(Hex(0x232836)));
  Face(c, p, Hex(0x3A4A6A), false);
  // Spiky fringe.
  Shape cap = Intersect(Ellipse(p.X(150), p.Y(136), p.L(70), p.L(70)), [=](float, float y) { return y - p.Y(112); });
  Shape spikes = Polygon(p.P({{82, 108}, {92, 160}, {106, 126}, {118, 152}, {132, 120}, {146, 150}, {160, 118}, {174, 148},
                              {186, 122}, {204, 160}, {218, 108}}));
  Shape sides = Union(Polygon(p.P({{82, 104}, {96, 116}, {94, 190}, {84, 176}})), Polygon(p.P({{218, 104}, {204, 116}, {206, 190}, {216, 176}})));
  c.Fill(p.B(70, 50, 230, 200), Union(Union(cap, spikes), sides), hairPaint);
  c.Fill(p.B(110, 70, 190, 100), Capsule(p.X(124), p.Y(90), p.X(168), p.Y(82), p.L(3)), Solid(WithAlpha(Hex(0x8A96B8), 0.4f)), p.L(3));
}

Canvas CutIn() {
  Canvas band(800, 200);
  Shape shape = Polygon({{40, 0}, {800, 0}, {760, 200}, {0, 200}});
  band.Fill({0, 0, 800, 200}, shape, [](float x, float) { return Mix(WithAlpha(Hex(0xF6B56C), 0.95f), WithAlpha(Hex(0xC9677A), 0.95f), x / 800); });
  // Speed lines from the right.
  Random rng(31);
  for (int i = 0; i < 30; ++i) {
    float y = rng.Range(8, 192), x = rng.Range(380, 760), len = rng.Range(60, 200);
    band.Fill(Around(x - len, y - 2, x, y + 2), Capsule(x - len, y, x, y, rng.Range(0.6f, 1.6f)), Solid(WithAlpha(Hex(0xFFFFFF), rng.Range(0.25f, 0.6f))));
  }
  // Aoi's face, twice her size, in the band's left half.
  Canvas face(800, 200);
  Aoi(face, Pen{-40, -180, 1.9f});
  face.MaskAlpha([=](float x, float y) { return std::clamp(0.5f - shape(x, y), 0.0f, 1.0f) * std::clamp((520 - x) / 120, 0.0f, 1.0f); });
  band.Draw(face, 0, 0);
  band.Fill({0, 0, 800, 200}, [=](float x, float y) { return std::abs(shape(x, y) + 1.5f) - 1.5f; }, Solid(WithAlpha(Hex(0xFFFFFF), 0.9f)));
  ShadowedText(band, L"約束、覚えてる？", 34, true, 470, 78, Hex(0xFFFFFF));
  return band;
}

}  // namespace

void WriteCharacters(Output& out) {
  Canvas aoi(300, 560), ren(300, 560);
  Aoi(aoi, Pen{});
  Ren(ren, Pen{});
  out.Write(L"ch\\aoi.png", aoi);
  out.Write(L"ch\\ren.png", ren);
  out.Write(L"ch\\cutin.png", CutIn());
}

}  // namespace demogen
