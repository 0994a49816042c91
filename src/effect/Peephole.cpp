#include "effect/Peephole.h"

#include "gfx/BaseD3D.h"

namespace tav::effect {

namespace {

// A texture coordinate outside the texture: every corner there samples the
// opaque part (the border colour, or the texture's opaque corner when
// wrapping), which covers the whole screen.
constexpr float kClosed = -1.0f;

}  // namespace

void CPeephole::Start(float from, float to, uint32_t durationMs, bool withBorder, bool instant) {
  const float end = to - 0.5f;
  if (Run({instant ? end : from - 0.5f, 0, 0, 0}, {end, 0, 0, 0}, durationMs)) useBorder = withBorder;
}

void CPeephole::Apply(const float channels[4]) {
  quad.colours.fill(colour);
  const float v = channels[0];
  if (v == 0.5f) {
    // The hole has shrunk to nothing; the scale below would divide by zero.
    for (QuadPoint& uv : quad.uvs) uv = {kClosed, kClosed};
    return;
  }
  // The disc has radius 0.5 in texture space; spanning `span` texture units
  // across the screen's shorter side makes it (1 - 2v) of the inscribed circle.
  const float span = 0.5f / (0.5f - v);
  float spanU = span, spanV = span;
  // The longer side spans proportionally more, so the hole stays round on a
  // screen that is not square.
  if (device && device->present.BackBufferWidth && device->present.BackBufferHeight) {
    const float w = float(device->present.BackBufferWidth), h = float(device->present.BackBufferHeight);
    if (w > h) spanU *= w / h;
    if (h > w) spanV *= h / w;
  }
  const float u0 = 0.5f - spanU / 2, u1 = 0.5f + spanU / 2;
  const float v0 = 0.5f - spanV / 2, v1 = 0.5f + spanV / 2;
  quad.uvs = {{{u0, v0}, {u1, v0}, {u0, v1}, {u1, v1}}};
}

bool CPeephole::Draw() {
  IDirect3DDevice9* d3d = device ? device->Device() : nullptr;
  if (!d3d || !useBorder) return quad.Draw();
  if (device->probe) {
    device->probe->AddValue(colour);
    return quad.Draw();
  }
  d3d->SetSamplerState(0, D3DSAMP_BORDERCOLOR, colour);
  d3d->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_BORDER);
  d3d->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_BORDER);
  const bool drawn = quad.Draw();
  // Every other quad expects the default addressing.
  d3d->SetSamplerState(0, D3DSAMP_BORDERCOLOR, 0);
  d3d->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
  d3d->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP);
  return drawn;
}

}  // namespace tav::effect
