// The highest shader profiles a device runs, from the versions in its caps.
#include <cstddef>
#include <iterator>

#include "platform/gpu/D3DX.h"

namespace {

struct Profile {
  DWORD major, minor;
  const char* name;
};

// Version words are 0xFFFE (vertex) or 0xFFFF (pixel) above major.minor.
const char* HighestProfile(IDirect3DDevice9* device, bool vertex, const Profile* profiles, size_t count) {
  if (!device) return nullptr;
  D3DCAPS9 caps;
  if (FAILED(device->GetDeviceCaps(&caps))) return nullptr;
  const DWORD version = vertex ? caps.VertexShaderVersion : caps.PixelShaderVersion;
  if ((version >> 16) != (vertex ? 0xFFFEu : 0xFFFFu)) return nullptr;
  const DWORD major = version >> 8 & 0xFF, minor = version & 0xFF;
  for (size_t i = 0; i < count; ++i) {
    const Profile& p = profiles[i];
    if (major > p.major || (major == p.major && minor >= p.minor)) return p.name;
  }
  return nullptr;
}

constexpr Profile kVertexProfiles[] = {{3, 0, "vs_3_0"}, {2, 0, "vs_2_0"}, {1, 1, "vs_1_1"}};
constexpr Profile kPixelProfiles[] = {{3, 0, "ps_3_0"}, {2, 0, "ps_2_0"}, {1, 4, "ps_1_4"}, {1, 1, "ps_1_1"}};

}  // namespace

const char* D3DXGetVertexShaderProfile(IDirect3DDevice9* device) {
  return HighestProfile(device, true, kVertexProfiles, std::size(kVertexProfiles));
}

const char* D3DXGetPixelShaderProfile(IDirect3DDevice9* device) {
  return HighestProfile(device, false, kPixelProfiles, std::size(kPixelProfiles));
}
