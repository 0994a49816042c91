#include "text/Font.h"

#include <exception>

#include "core/ErrorLog.h"

namespace tav {

bool CFont::Bind(const std::wstring& textureName, CBaseD3D* d3d) {
  try {
    device = d3d;
    auto fresh = std::make_unique<CQuad>(d3d);
    if (!textureName.empty()) fresh->SetTextureName(textureName);
    fresh->DetectShaders();
    quad = std::move(fresh);
    return true;
  } catch (const std::exception& e) {
    LogException(e.what());
    return false;
  }
}

}  // namespace tav
