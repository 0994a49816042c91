#include "Shot.h"

#include <cstdint>
#include <cstring>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb/stb_image_write.h>

#include "gfx/BaseD3D.h"
#include "gfx/DeviceObject.h"

namespace tav::replay {

bool SaveBackBuffer(CBaseD3D& d3d, const std::filesystem::path& file, std::string& problem) {
  IDirect3DDevice9* device = d3d.Device();
  if (!device) {
    problem = "there is no device";
    return false;
  }
  IDirect3DSurface9* target = nullptr;
  // The back buffer itself: an effect may leave a texture as the render target.
  if (FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &target)) || !target) {
    problem = "GetBackBuffer failed";
    return false;
  }
  auto heldTarget = AdoptDeviceObject(target);
  D3DSURFACE_DESC desc{};
  if (FAILED(target->GetDesc(&desc)) || desc.Width == 0 || desc.Height == 0) {
    problem = "GetDesc failed";
    return false;
  }
  IDirect3DSurface9* copy = nullptr;
  if (FAILED(device->CreateOffscreenPlainSurface(desc.Width, desc.Height, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &copy,
                                                 nullptr)) ||
      !copy) {
    problem = "CreateOffscreenPlainSurface failed";
    return false;
  }
  auto heldCopy = AdoptDeviceObject(copy);
  D3DLOCKED_RECT locked{};
  if (FAILED(device->GetRenderTargetData(target, copy))) {
    problem = "GetRenderTargetData failed";
    return false;
  }
  if (FAILED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
    problem = "LockRect failed";
    return false;
  }
  // X8R8G8B8 is B, G, R, X in memory; the PNG wants R, G, B.
  std::vector<uint8_t> rgb(size_t(desc.Width) * desc.Height * 3);
  for (UINT y = 0; y < desc.Height; ++y) {
    const auto* row = static_cast<const uint8_t*>(locked.pBits) + size_t(y) * size_t(locked.Pitch);
    uint8_t* out = &rgb[size_t(y) * desc.Width * 3];
    for (UINT x = 0; x < desc.Width; ++x) {
      out[x * 3 + 0] = row[x * 4 + 2];
      out[x * 3 + 1] = row[x * 4 + 1];
      out[x * 3 + 2] = row[x * 4 + 0];
    }
  }
  copy->UnlockRect();
  if (!stbi_write_png(file.c_str(), int(desc.Width), int(desc.Height), 3, rgb.data(), int(desc.Width) * 3)) {
    problem = "cannot write the file";
    return false;
  }
  return true;
}

}  // namespace tav::replay
