// The Direct3D object and device of the OpenGL backend: creation, clearing,
// presenting, loss and reset, and the calls that must refuse bad arguments.
#include <algorithm>

#include "gpu/GlTestSupport.h"

namespace tavtest::gl {
namespace {

bool AllEqual(const std::vector<uint32_t>& pixels, uint32_t value) {
  return std::all_of(pixels.begin(), pixels.end(), [&](uint32_t p) { return p == value; });
}

using GlDevice = GlTest;

TEST_F(GlDevice, ClearPresentAndReadBackGiveTheClearColour) {
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF3366CC, 1.0f, 0), S_OK);
  EXPECT_EQ(device_->PresentEx(nullptr, nullptr, nullptr, nullptr, 0), S_OK);
  std::vector<uint32_t> pixels = ReadBackBuffer();
  ASSERT_EQ(pixels.size(), size_t(kWidth * kHeight));
  EXPECT_TRUE(AllEqual(pixels, 0xFF3366CC));
  EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
}

}  // namespace
}  // namespace tavtest::gl
