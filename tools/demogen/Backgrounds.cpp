// The 800 x 600 backgrounds: a spring sky, a library room, the sea in the late
// afternoon, a street at dusk, a starry night, the title (the dusk street,
// darkened for the logo and buttons) and a quiet backdrop for the menus.
#include <cmath>
#include <numbers>

#include "Art.h"
#include "Widgets.h"

namespace demogen {

namespace {

constexpr int W = 800, H = 600;
constexpr float kPi = std::numbers::pi_v<float>;

// Inside where y is below the curve (greater y).
Shape Below(std::function<float(float)> curve) {
  return [curve = std::move(curve)](float x, float y) { return curve(x) - y; };
}

void Cloud(Canvas& c, float cx, float cy, float size, Rgba colour) {
  // A few overlapping puffs with a flat-ish bottom.
  const float puffs[][3] = {{-1.0f, 0.15f, 0.55f}, {-0.45f, -0.2f, 0.75f}, {0.2f, -0.3f, 0.85f}, {0.8f, 0.0f, 0.6f}, {0.1f, 0.25f, 0.7f}};
  for (auto& p : puffs) {
    float x = cx + p[0] * size, y = cy + p[1] * size, r = p[2] * size;
    c.Fill(Around(x - r, y - r, x + r, y + r, 14), Ellipse(x, y, r * 1.2f, r * 0.75f),
           VerticalGradient(y - r, colour, y + r, Mix(colour, Hex(0xC9D6EE, colour.a), 0.5f)), 12);
  }
}

void Glow(Canvas& c, float cx, float cy, float radius, Rgba colour) {
  c.Fill(Around(cx - radius, cy - radius, cx + radius, cy + radius), Circle(cx, cy, radius),
         RadialGradient(cx, cy, radius, colour, WithAlpha(colour, 0)));
}

// A vignette that darkens the corners a little, as a lens would.
void Vignette(Canvas& c, float strength) {
  c.Wash([=](float x, float y) {
    float dx = (x - W / 2.0f) / (W / 2.0f), dy = (y - H / 2.0f) / (H / 2.0f);
    float d = std::clamp((dx * dx + dy * dy - 0.45f) / 1.4f, 0.0f, 1.0f);
    return Rgba{0.05f, 0.03f, 0.08f, d * strength};
  });
}

Canvas Sky() {
  Canvas c(W, H);
  c.Wash(VerticalStops({{0, Hex(0x3D7BD9)}, {260, Hex(0x8FC0F0)}, {420, Hex(0xD8ECFA)}}));
  Glow(c, 660, 70, 220, WithAlpha(Hex(0xFFFDF0), 0.55f));
  Cloud(c, 180, 130, 70, WithAlpha(Hex(0xFFFFFF), 0.92f));
  Cloud(c, 560, 210, 50, WithAlpha(Hex(0xFFFFFF), 0.85f));
  Cloud(c, 720, 120, 36, WithAlpha(Hex(0xFFFFFF), 0.8f));
  Cloud(c, 390, 300, 30, WithAlpha(Hex(0xFFFFFF), 0.7f));
  // Far hills in haze, then the town, then the near hill.
  c.Fill({0, 300, W, H}, Below([](float x) { return 395 - 28 * std::sin(x * 0.006f + 1) - 14 * std::sin(x * 0.017f); }),
         Solid(Hex(0x9DBBD6)));
  Random rng(7);
  for (float x = 0; x < W;) {
    float w = rng.Range(18, 46), h = rng.Range(14, 52);
    c.Fill(Around(x, 420 - h * 0.6f, x + w, 440), RoundedRect(x, 420 - h * 0.6f, x + w - 2, 440, 2), Solid(Hex(0xA3BCD6)), 2);
    x += w;
  }
  c.Fill({0, 380, W, H}, Below([](float x) { return 450 - 30 * std::sin(x * 0.004f + 2.2f) - 8 * std::sin(x * 0.02f); }),
         VerticalGradient(420, Hex(0x7DBA6E), 600, Hex(0x4C8A4E)));
  // A cherry tree on the hill: trunk and a soft pink crown.
  c.Fill(Around(120, 330, 150, 460), Polygon({{128, 460}, {134, 380}, {124, 350}, {140, 372}, {146, 460}}), Solid(Hex(0x5B4035)));
  for (auto [x, y, r] : {std::tuple{100.f, 330.f, 42.f}, {150.f, 315.f, 48.f}, {185.f, 345.f, 36.f}, {125.f, 360.f, 34.f},
                         {75.f, 360.f, 28.f}, {165.f, 365.f, 30.f}, {130.f, 300.f, 34.f}})
    c.Fill(Around(x - r, y - r, x + r, y + r, 8), Circle(x, y, r), RadialGradient(x - r / 3, y - r / 3, r * 1.3f, Hex(0xFBDDE6), Hex(0xEBA6BC)), 4);
  for (int i = 0; i < 40; ++i) {  // a few petals in the air
    float x = rng.Range(60, 500), y = rng.Range(260, 560);
    c.Fill(Around(x - 4, y - 4, x + 4, y + 4), Ellipse(x, y, 3, 1.8f), Solid(WithAlpha(Hex(0xF7C6D5), 0.85f)));
  }
  Vignette(c, 0.35f);
  return c;
}

Canvas Street(bool forTitle) {
  Canvas c(W, H);
  c.Wash(VerticalStops({{0, Hex(0x262552)}, {170, Hex(0x6B457D)}, {300, Hex(0xD8746A)}, {390, Hex(0xF6B56C)}}));
  Glow(c, 560, 360, 260, WithAlpha(Hex(0xFFC27A), 0.5f));
  c.Fill(Around(510, 310, 610, 410), Circle(560, 360, 38), Solid(Hex(0xFFE2B0)), 2);
  // Power lines sagging across the sky; the title keeps its sky clear for the logo.
  for (auto [y0, sag] : {std::pair{120.f, 40.f}, {140.f, 46.f}, {190.f, 30.f}}) {
    if (forTitle) break;
    auto curve = [=](float x) { float t = x / W; return y0 + sag * 4 * t * (1 - t); };
    c.Fill({0, y0 - 4, W, y0 + sag + 4}, [=](float x, float y) { return std::abs(y - curve(x)) - 0.7f; },
           Solid(WithAlpha(Hex(0x1E1530), 0.8f)));
  }
  Random rng(11);
  // Far buildings, hazy purple, then near ones with lit windows. The near row
  // stays low around the sun so it can still be seen setting between them.
  for (float x = -10; x < W;) {
    float w = rng.Range(40, 90), h = rng.Range(50, 120);
    c.Fill(Around(x, 400 - h, x + w, 470), RoundedRect(x, 400 - h, x + w - 3, 470, 2), Solid(Hex(0x6A4A78)));
    x += w;
  }
  for (float x = -20; x < W;) {
    float w = rng.Range(70, 130);
    float nearSun = std::clamp(1 - std::abs(x + w / 2 - 560) / 160, 0.0f, 1.0f);
    float h = rng.Range(80, 190) * (1 - 0.6f * nearSun);
    float top = 450 - h;
    c.Fill(Around(x, top, x + w, 470), RoundedRect(x, top, x + w - 2, 472, 3), VerticalGradient(top, Hex(0x3B2A52), 460, Hex(0x251A38)));
    for (float wy = top + 14; wy < 430; wy += 22)
      for (float wx = x + 10; wx < x + w - 20; wx += 18)
        if (rng.Next() < 0.45f)
          c.Fill(Around(wx, wy, wx + 9, wy + 12), RoundedRect(wx, wy, wx + 9, wy + 12, 1.5f),
                 Solid(WithAlpha(Mix(Hex(0xFFD68A), Hex(0xFFF2CC), rng.Next()), 0.85f)));
    x += w;
  }
  // The road with the last light on it.
  c.Fill({0, 455, W, H}, [](float, float y) { return 460 - y; }, VerticalGradient(460, Hex(0x4B3450), 600, Hex(0x1E1528)));
  c.Fill({0, 455, W, 475}, [](float, float y) { return std::abs(y - 466) - 2; }, Solid(WithAlpha(Hex(0xF2B27A), 0.35f)));
  for (int i = 0; i < 7; ++i) {
    float y = 500 + i * 16.0f;
    c.Fill({0, y - 3, W, y + 3}, [=](float x, float yy) { return std::abs(yy - y) - 0.8f + 0.4f * std::sin(x * 0.05f + i); },
           Solid(WithAlpha(Hex(0xF6B56C), 0.10f)));
  }
  // Street lamps.
  for (float x : {110.f, 700.f}) {
    c.Fill(Around(x - 6, 250, x + 6, 470), Capsule(x, 262, x, 468, 3.5f), Solid(Hex(0x1B1426)));
    c.Fill(Around(x - 20, 240, x + 20, 270), Capsule(x, 262, x + (x < 400 ? 16 : -16), 252, 3), Solid(Hex(0x1B1426)));
    float lx = x + (x < 400 ? 18 : -18);
    Glow(c, lx, 258, 70, WithAlpha(Hex(0xFFE3A8), 0.55f));
    c.Fill(Around(lx - 8, 250, lx + 8, 268), Ellipse(lx, 259, 7, 5), Solid(Hex(0xFFF3D6)));
  }
  if (forTitle) {
    // Darker at the top for the logo and at the bottom for the menu.
    c.Wash([](float, float y) {
      float top = std::clamp(1 - y / 220, 0.0f, 1.0f), bottom = std::clamp((y - 300) / 300, 0.0f, 1.0f);
      return Rgba{0.08f, 0.05f, 0.14f, 0.45f * top + 0.45f * bottom};
    });
  }
  Vignette(c, 0.5f);
  return c;
}

Canvas Sea() {
  Canvas c(W, H);
  c.Wash(VerticalStops({{0, Hex(0x5A7FC8)}, {180, Hex(0xC59AB8)}, {300, Hex(0xF7C38A)}, {330, Hex(0xFFE0A8)}}));
  Glow(c, 400, 318, 200, WithAlpha(Hex(0xFFD7A0), 0.6f));
  c.Fill(Around(360, 280, 440, 330), Intersect(Circle(400, 318, 32), [](float, float y) { return y - 330; }), Solid(Hex(0xFFF0CC)), 2);
  Cloud(c, 160, 120, 46, WithAlpha(Hex(0xFFE6EE), 0.55f));
  Cloud(c, 650, 170, 40, WithAlpha(Hex(0xFFE0D0), 0.5f));
  // The sea, with the sun's path glittering on it.
  c.Fill({0, 325, W, H}, [](float, float y) { return 330 - y; }, VerticalGradient(330, Hex(0x4A6C9C), 480, Hex(0x23406E)));
  Random rng(5);
  for (int i = 0; i < 220; ++i) {
    float y = rng.Range(334, 470), spread = 20 + (y - 330) * 0.9f;
    float x = 400 + rng.Range(-1, 1) * spread * (rng.Next() < 0.8f ? 0.5f : 2.2f), len = rng.Range(6, 22) * (y - 300) / 120;
    c.Fill(Around(x - len, y - 2, x + len, y + 2), Capsule(x - len, y, x + len, y, 0.8f),
           Solid(WithAlpha(Hex(0xFFE4B0), rng.Range(0.3f, 0.8f))));
  }
  // Sand with the wash of a wave.
  auto shore = [](float x) { return 475 + 14 * std::sin(x * 0.008f) + 6 * std::sin(x * 0.03f + 1); };
  c.Fill({0, 440, W, H}, Below(shore), VerticalGradient(460, Hex(0xE8C9A0), 600, Hex(0xC9A27A)));
  c.Fill({0, 440, W, 520}, [=](float x, float y) { return std::abs(y - shore(x) - 3) - 2.2f; }, Solid(WithAlpha(Hex(0xFFFFFF), 0.6f)));
  for (int i = 0; i < 260; ++i) {  // grain
    float x = rng.Range(0, W), y = rng.Range(500, H);
    c.Fill(Around(x - 2, y - 2, x + 2, y + 2), Circle(x, y, 0.9f), Solid(WithAlpha(Hex(0x9C7A58), 0.35f)));
  }
  Vignette(c, 0.4f);
  return c;
}

Canvas Library() {
  Canvas c(W, H);
  c.Wash(VerticalGradient(0, Hex(0xE9D8BC), 480, Hex(0xCDB594)));
  // The window on the right, with afternoon light falling across the room.
  c.Fill(Around(540, 60, 760, 330), RoundedRect(548, 70, 752, 320, 4), Solid(Hex(0x7A5A3E)));
  c.Fill(Around(540, 60, 760, 330), RoundedRect(558, 80, 742, 310, 2), VerticalGradient(80, Hex(0x8DBDEB), 310, Hex(0xF4E2C4)));
  Cloud(c, 640, 150, 24, WithAlpha(Hex(0xFFFFFF), 0.8f));
  c.Fill(Around(640, 70, 660, 320), RoundedRect(646, 80, 654, 310, 1), Solid(Hex(0x7A5A3E)));
  c.Fill(Around(550, 180, 750, 200), RoundedRect(558, 190, 742, 198, 1), Solid(Hex(0x7A5A3E)));
  c.Fill({300, 70, W, H}, Polygon({{558, 80}, {742, 80}, {560, 600}, {300, 600}}),
         VerticalGradient(80, WithAlpha(Hex(0xFFF4D6), 0.28f), 600, WithAlpha(Hex(0xFFF4D6), 0.05f)), 30);
  // Two tall bookshelves full of books.
  Random rng(3);
  const uint32_t spines[] = {0x8E3B46, 0x3C5A8A, 0x4E7A52, 0xC08A3E, 0x6A4C7C, 0x2F4858, 0xA0624A, 0xD9C7A0};
  for (float left : {30.f, 280.f}) {
    float right = left + 230;
    c.Fill(Around(left, 40, right, 480), RoundedRect(left, 40, right, 480, 3), VerticalGradient(40, Hex(0x6B4A32), 480, Hex(0x4E3422)));
    for (float shelf = 60; shelf < 460; shelf += 80) {
      c.Fill(Around(left + 10, shelf, right - 10, shelf + 70), RoundedRect(left + 12, shelf, right - 12, shelf + 66, 1), Solid(Hex(0x3A2618)));
      for (float x = left + 14; x < right - 20;) {
        float w = rng.Range(8, 16), h = rng.Range(44, 62);
        Rgba col = Hex(spines[int(rng.Next() * 8) % 8]);
        c.Fill(Around(x, shelf + 66 - h, x + w, shelf + 66), RoundedRect(x, shelf + 66 - h, x + w - 1, shelf + 66, 1.5f),
               [=](float px, float) { return Mix(col, Mix(col, Hex(0xFFFFFF), 0.25f), 1 - std::abs(px - x - w / 2) / (w / 2)); });
        c.Fill(Around(x, shelf + 70 - h, x + w, shelf + 74 - h), Capsule(x + 2, shelf + 72 - h, x + w - 3, shelf + 72 - h, 0.7f),
               Solid(WithAlpha(Hex(0xF0D890), 0.7f)));
        x += w + (rng.Next() < 0.12f ? 10 : 0);
      }
      c.Fill(Around(left + 8, shelf + 64, right - 8, shelf + 72), RoundedRect(left + 8, shelf + 66, right - 8, shelf + 72, 1), Solid(Hex(0x5E4028)));
    }
  }
  // Wooden floor.
  c.Fill({0, 470, W, H}, [](float, float y) { return 480 - y; }, VerticalGradient(480, Hex(0xA77A52), 600, Hex(0x7C5636)));
  for (int i = 0; i < 6; ++i) {
    float y = 495 + i * 20.0f + i * i * 1.5f;
    c.Fill({0, y - 2, W, y + 2}, [=](float, float yy) { return std::abs(yy - y) - 0.6f; }, Solid(WithAlpha(Hex(0x5A3C24), 0.5f)));
  }
  // A reading table in front.
  c.Fill(Around(80, 500, 720, 560), RoundedRect(90, 505, 710, 525, 4), Solid(Hex(0x8A5E3A)));
  c.Fill(Around(80, 500, 720, 600), Union(RoundedRect(120, 520, 136, 600, 2), RoundedRect(664, 520, 680, 600, 2)), Solid(Hex(0x6B4628)));
  Vignette(c, 0.45f);
  return c;
}

Canvas Night() {
  Canvas c(W, H);
  c.Wash(VerticalStops({{0, Hex(0x070B22)}, {300, Hex(0x1C2354)}, {460, Hex(0x4A3A6E)}}));
  Random rng(23);
  for (int i = 0; i < 180; ++i) {
    float x = rng.Range(0, W), y = rng.Range(0, 430), r = rng.Range(0.6f, 1.7f);
    c.Fill(Around(x - 4, y - 4, x + 4, y + 4), Circle(x, y, r), Solid(WithAlpha(Hex(0xFFF8E8), rng.Range(0.4f, 1.0f))));
  }
  // A crescent moon with its halo.
  Glow(c, 620, 120, 140, WithAlpha(Hex(0xE8EEFF), 0.3f));
  c.Fill(Around(580, 80, 660, 160), Subtract(Circle(620, 120, 34), Circle(636, 108, 30)), Solid(Hex(0xFFF6D8)));
  c.Fill({0, 380, W, H}, Below([](float x) { return 470 - 40 * std::sin(x * 0.005f + 0.5f) - 10 * std::sin(x * 0.02f); }),
         Solid(Hex(0x141232)));
  // Small houses on the hill, a window lit in each.
  for (auto [x, y] : {std::pair{180.f, 450.f}, {250.f, 440.f}, {520.f, 470.f}, {590.f, 476.f}}) {
    c.Fill(Around(x - 30, y - 40, x + 30, y + 30), Union(RoundedRect(x - 22, y - 16, x + 22, y + 30, 1), Polygon({{x - 28, y - 14}, {x, y - 36}, {x + 28, y - 14}})),
           Solid(Hex(0x0C0A20)));
    c.Fill(Around(x - 10, y - 6, x + 4, y + 8), RoundedRect(x - 8, y - 4, x + 2, y + 6, 1), Solid(Hex(0xFFD98A)));
    Glow(c, x - 3, y + 1, 22, WithAlpha(Hex(0xFFD98A), 0.3f));
  }
  c.Fill({0, 480, W, H}, Below([](float x) { return 540 - 20 * std::sin(x * 0.007f + 2); }), Solid(Hex(0x09081A)));
  Vignette(c, 0.5f);
  return c;
}

Canvas MenuBackdrop() {
  Canvas c(W, H);
  c.Wash(VerticalStops({{0, Hex(0x1E2448)}, {400, Hex(0x3B3266)}, {600, Hex(0x5A3A66)}}));
  // Slanted bands of light and out-of-focus lights, kept faint behind menus.
  for (int i = 0; i < 4; ++i) {
    float x = 120 + i * 210.0f;
    c.Fill({0, 0, W, H}, Polygon({{x, 0}, {x + 60, 0}, {x - 240, H}, {x - 300, H}}), Solid(WithAlpha(Hex(0xFFFFFF), 0.035f)), 40);
  }
  Random rng(17);
  for (int i = 0; i < 26; ++i) {
    float x = rng.Range(0, W), y = rng.Range(0, H), r = rng.Range(10, 46);
    Rgba col = WithAlpha(Mix(Hex(0xF0A052), Hex(0xC9677A), rng.Next()), rng.Range(0.05f, 0.14f));
    c.Fill(Around(x - r, y - r, x + r, y + r, 4), Circle(x, y, r), Solid(col), 3);
  }
  Vignette(c, 0.5f);
  return c;
}

}  // namespace

void WriteBackgrounds(Output& out) {
  out.Write(L"bg\\sky.png", Sky());
  out.Write(L"bg\\street.png", Street(false));
  out.Write(L"bg\\title.png", Street(true));
  out.Write(L"bg\\sea.png", Sea());
  out.Write(L"bg\\library.png", Library());
  out.Write(L"bg\\night.png", Night());
  out.Write(L"bg\\menu.png", MenuBackdrop());
}

}  // namespace demogen
