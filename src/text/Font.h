#pragma once
// The sprite that shows one registered text texture: a quad sized to it.
#include <memory>
#include <string>

#include "gfx/Quad.h"

class CBaseD3D;

namespace tav {

class CFont {
 public:
  // A fresh quad on `d3d` that takes `textureName` (when not empty) and its
  // size, replacing the previous quad. False only when building it threw.
  bool Bind(const std::wstring& textureName, CBaseD3D* d3d);

  std::unique_ptr<CQuad> quad;
  CBaseD3D* device = nullptr;
};

}  // namespace tav
