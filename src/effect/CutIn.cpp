#include "effect/CutIn.h"

#include "core/ErrorLog.h"
#include "gfx/BaseD3D.h"

namespace tav::effect {

void CCutIn::Start(float fromX, float fromY, float toX, float toY, uint32_t durationMs, bool instant) {
  Run({instant ? toX : fromX, instant ? toY : fromY, 0, 0}, {toX, toY, 0, 0}, durationMs);
}

void CCutIn::Apply(const float channels[4]) {
  quad.translation = {channels[0], channels[1]};
  quad.colours.fill(colour);
}

namespace {

template <class Quads>
bool Snapshot(CBaseD3D& device, const Quads& quads) {
  if (quads.empty()) return true;
  // Without the target the convenience form would begin a scene on the back
  // buffer itself and the entries would land on screen.
  if (!device.Device() || !device.GetTexture(L"DefaultRenderTargetTex")) {
    LogError(L"SnapshotDrawEntries: no DefaultRenderTargetTex");
    return false;
  }
  if (!device.BeginRenderToTexture()) return false;
  bool drawn = true;
  for (const auto& quad : quads)
    if (quad && !quad->Draw()) drawn = false;
  device.EndRenderToTexture();
  return drawn;  // a failed draw has logged itself
}

}  // namespace

bool SnapshotDrawEntries(CBaseD3D& device, const std::vector<std::shared_ptr<_CQuad>>& quads) {
  return Snapshot(device, quads);
}

bool SnapshotDrawEntries(CBaseD3D& device, const std::vector<std::shared_ptr<CQuad>>& quads) {
  return Snapshot(device, quads);
}

}  // namespace tav::effect
