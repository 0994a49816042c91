#include "gfx/GlScene.h"

#include <cstdlib>
#include <cstring>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb/stb_image_write.h>

#include "app/RenderStates.h"
#include "gfx/DeviceObject.h"
#include "res/Stores.h"
#include "support/PacBuilder.h"

namespace tavtest {

void GlScene::SetUp() {
  saved_ = std::filesystem::current_path();
  const std::string shader =
      ReadFileBytes(std::string(TAVRI_SOURCE_DIR) + "/game/demo/Res/HLSL/QUAD_DEFAULT.hlsl");
  WriteFileBytes(dir_ / "Res.pac", BuildArchive({{"Res\\HLSL\\QUAD_DEFAULT.hlsl", shader}}));
  std::filesystem::current_path(dir_.Path());
  tav::direct3D.reset();
  tav::ex = false;
  ClearErrorLog();
}

void GlScene::TearDown() {
  d3d_.reset();
  tav::direct3D.reset();
  window_.reset();
  tav::ResStore() = tav::ArchiveStore();
  std::filesystem::current_path(saved_);
}

bool GlScene::Start(UINT width, UINT height) {
  width_ = width;
  height_ = height;
  if (!tav::CreateDirect3D(L"Tavri")) return false;
  window_.reset(tav::os::Window::Create(L"pixels", int(width), int(height), false));
  if (!window_) return false;
  d3d_ = std::make_unique<CBaseD3D>();
  if (!d3d_->InitDevice(window_.get(), width, height, true)) return false;
  tav::ApplyDefaultRenderStates(d3d_->Device());
  return true;
}

std::vector<uint32_t> GlScene::ReadBack() { return ReadBackBuffer(*d3d_, width_, height_); }

void GlScene::SaveShot(const std::vector<uint32_t>& pixels, const std::string& file) const {
  SaveScreenshot(pixels, width_, height_, file);
}

std::vector<uint32_t> ReadBackBuffer(CBaseD3D& d3d, UINT width, UINT height) {
  std::vector<uint32_t> pixels(size_t(width) * height);
  IDirect3DDevice9* device = d3d.Device();
  IDirect3DSurface9* target = nullptr;
  if (FAILED(device->GetRenderTarget(0, &target))) return {};
  auto heldTarget = tav::AdoptDeviceObject(target);
  IDirect3DSurface9* copy = nullptr;
  if (FAILED(device->CreateOffscreenPlainSurface(width, height, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &copy, nullptr)))
    return {};
  auto heldCopy = tav::AdoptDeviceObject(copy);
  D3DLOCKED_RECT locked;
  if (FAILED(device->GetRenderTargetData(target, copy)) || FAILED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY)))
    return {};
  for (UINT y = 0; y < height; ++y)
    std::memcpy(&pixels[size_t(y) * width], static_cast<uint8_t*>(locked.pBits) + size_t(y) * locked.Pitch,
                size_t(width) * 4);
  copy->UnlockRect();
  return pixels;
}

void SaveScreenshot(const std::vector<uint32_t>& pixels, UINT width, UINT height, const std::string& file) {
  const char* shots = std::getenv("TAVRI_SCREENSHOT_DIR");
  if (!shots || pixels.empty()) return;
  std::vector<uint8_t> rgba;
  rgba.reserve(pixels.size() * 4);
  for (uint32_t p : pixels) rgba.insert(rgba.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p), 255});
  stbi_write_png((std::string(shots) + "/" + file).c_str(), int(width), int(height), 4, rgba.data(),
                 int(width) * 4);
}

bool Near(uint32_t colour, int r, int g, int b, int tolerance) {
  auto channel = [&](int shift) { return int((colour >> shift) & 0xFF); };
  return std::abs(channel(16) - r) <= tolerance && std::abs(channel(8) - g) <= tolerance &&
         std::abs(channel(0) - b) <= tolerance;
}

}  // namespace tavtest
