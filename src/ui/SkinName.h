#pragma once
// The built-in overlays' skins are resources under "Default\": a family name
// and, for buttons, the state (1 normal, 2 under the mouse, 3 pressed).
#include <string>
#include <string_view>

namespace tav {

inline std::wstring SkinName(std::wstring_view family, int state = 0) {
  return L"Default\\" + std::wstring(family) + (state > 0 ? std::to_wstring(state) : L"") + L".dds";
}

}  // namespace tav
