#pragma once
// A real OpenGL device in a hidden window with the demo game's quad shaders
// and the engine's default render states, for tests that look at pixels.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "gfx/BaseD3D.h"
#include "platform/os/Window.h"
#include "support/TempDir.h"

namespace tavtest {

class GlScene : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Window, device, shaders and render states at width x height.
  bool Start(UINT width, UINT height);
  // The back buffer as 0xAARRGGBB values, row by row; call inside a frame.
  std::vector<uint32_t> ReadBack();
  // With TAVRI_SCREENSHOT_DIR set, writes `pixels` there as `file`.
  void SaveShot(const std::vector<uint32_t>& pixels, const std::string& file) const;
  uint32_t At(const std::vector<uint32_t>& pixels, int x, int y) const {
    return pixels[size_t(y) * width_ + size_t(x)] & 0xFFFFFF;
  }

  TempDir dir_;
  std::filesystem::path saved_;
  std::unique_ptr<tav::os::Window> window_;
  std::unique_ptr<CBaseD3D> d3d_;
  UINT width_ = 0, height_ = 0;
};

// The back buffer of `d3d` as 0xAARRGGBB values, row by row; inside a frame.
std::vector<uint32_t> ReadBackBuffer(CBaseD3D& d3d, UINT width, UINT height);
// With TAVRI_SCREENSHOT_DIR set, writes `pixels` there as `file`.
void SaveScreenshot(const std::vector<uint32_t>& pixels, UINT width, UINT height, const std::string& file);

// True when each channel of `colour` is within `tolerance` of (r, g, b).
bool Near(uint32_t colour, int r, int g, int b, int tolerance = 3);

}  // namespace tavtest
