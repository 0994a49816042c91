// The device wrapper on the real OpenGL backend, headless: it comes up, clears
// and presents, survives a forced loss and reset, and what it draws can be read
// back.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>

#include "gfx/BaseD3D.h"
#include "gfx/DeviceObject.h"
#include "platform/gpu/gl/GlDevice.h"
#include "platform/os/Window.h"
#include "support/PacBuilder.h"
#include "support/TempDir.h"

namespace {

class BaseD3DGlTest : public testing::Test {
 protected:
  void SetUp() override {
    saved_ = std::filesystem::current_path();
    tavtest::WriteFileBytes(dir_ / "Res.pac", tavtest::BuildArchive({}));
    std::filesystem::current_path(dir_.Path());
    tav::direct3D.reset();
    tav::ex = false;
  }
  void TearDown() override {
    d3d_.reset();
    tav::direct3D.reset();
    tav::ex = false;
    window_.reset();
    std::filesystem::current_path(saved_);
  }

  // One frame that clears to `colour` and reads the cleared back buffer.
  bool FrameReading(D3DCOLOR colour, uint32_t& pixel) {
    d3d_->clearColour = colour;
    CBaseD3D::FrameHooks hooks;
    hooks.draw = [&] {
      IDirect3DDevice9* device = d3d_->Device();
      IDirect3DSurface9* target = nullptr;
      if (FAILED(device->GetRenderTarget(0, &target))) return false;
      auto heldTarget = tav::AdoptDeviceObject(target);
      D3DSURFACE_DESC desc;
      target->GetDesc(&desc);
      IDirect3DSurface9* copy = nullptr;
      if (FAILED(device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM, &copy,
                                                     nullptr)))
        return false;
      auto heldCopy = tav::AdoptDeviceObject(copy);
      D3DLOCKED_RECT locked;
      if (FAILED(device->GetRenderTargetData(target, copy)) || FAILED(copy->LockRect(&locked, nullptr, 0)))
        return false;
      std::memcpy(&pixel, static_cast<uint8_t*>(locked.pBits) + 10 * locked.Pitch + 20 * 4, 4);
      copy->UnlockRect();
      return true;
    };
    return d3d_->RunFrame(window_.get(), hooks);
  }

  tavtest::TempDir dir_;
  std::filesystem::path saved_;
  std::unique_ptr<tav::os::Window> window_;
  std::unique_ptr<CBaseD3D> d3d_;
};

TEST_F(BaseD3DGlTest, ClearsPresentsAndSurvivesAForcedReset) {
  ASSERT_TRUE(tav::CreateDirect3D(L"Tavri"));
  EXPECT_TRUE(tav::ex);
  window_.reset(tav::os::Window::Create(L"Tavri device test", 64, 48, false));
  ASSERT_NE(window_, nullptr);
  d3d_ = std::make_unique<CBaseD3D>();
  ASSERT_TRUE(d3d_->InitDevice(window_.get(), 64, 48, true)) << tavtest::ReadErrorLog();
  EXPECT_NE(d3d_->GetTexture(L"DefaultRenderTargetTex"), nullptr);

  uint32_t pixel = 0;
  ASSERT_TRUE(FrameReading(0xFF336699, pixel));
  EXPECT_EQ(pixel & 0xFFFFFF, 0x336699u);

  static_cast<tav::gpu::gl::GlDevice*>(d3d_->Device())->SimulateDeviceLost();
  // The lost device keeps refusing to present until it is reset, so drawing
  // the new colour with the device Ok again proves the reset and the restore.
  pixel = 0;
  for (int frame = 0; frame < 3 && (pixel & 0xFFFFFF) != 0xC08040u; ++frame)
    ASSERT_TRUE(FrameReading(0xFFC08040, pixel));
  EXPECT_EQ(d3d_->State(), tav::DeviceState::Ok);
  EXPECT_EQ(pixel & 0xFFFFFF, 0xC08040u);
  EXPECT_NE(d3d_->GetTexture(L"DefaultTex"), nullptr);
  EXPECT_NE(d3d_->GetTexture(L"DefaultPeepholeTex"), nullptr);
}

}  // namespace
