#include "effect/QuadEffect.h"

#include "gfx/BaseD3D.h"

namespace tav::effect {

bool CQuadEffect::Init(CBaseD3D* d3d) {
  device = d3d;
  quad.device = d3d;
  if (!textureName.empty()) quad.SetTextureName(textureName);
  return quad.DetectShaders();
}

bool CQuadEffect::Run(const std::array<float, 4>& from, const std::array<float, 4>& to, uint32_t durationMs) {
  if (!finished) return false;
  tween.from = from;
  tween.to = to;
  tween.duration = durationMs;
  tween.startTime = 0;
  tween.running = true;
  finished = false;
  return true;
}

void CQuadEffect::Update() {
  float channels[4];
  finished = tween.Evaluate(channels);
  // Fitting first: it rewrites the texture coordinates, which the peephole
  // sets itself, and it follows a texture re-made at another size after a
  // device reset.
  quad.SetTextureName(textureName);
  Apply(channels);
  quad.Update();
}

bool CQuadEffect::Draw() { return quad.Draw(); }

}  // namespace tav::effect
