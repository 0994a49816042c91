#pragma once
// A device of the OpenGL backend on a hidden window, and helpers to draw and
// read pixels back.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gpu/D3D9.h"
#include "platform/gpu/gl/GlDevice.h"
#include "platform/gpu/gl/GlModule.h"
#include "platform/os/Window.h"

namespace tavtest::gl {

// Holds one reference of an object of the substitute.
template <typename T>
class Ref {
 public:
  Ref() = default;
  explicit Ref(T* p) : p_(p) {}
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  Ref(Ref&& other) noexcept : p_(other.p_) { other.p_ = nullptr; }
  ~Ref() { Reset(); }
  void Reset() {
    if (p_) p_->Release();
    p_ = nullptr;
  }
  T** Out() {
    Reset();
    return &p_;
  }
  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

// One pre-transformed vertex (FVF 0x144).
struct Vertex {
  float x, y, z, rhw;
  uint32_t colour;
  float u, v;
};

struct Quad {
  float x0, y0, x1, y1;  // pixels of the target; corners at x - 0.5 put texels on pixels
  uint32_t colour = 0xFFFFFFFF;
  float u0 = 0, v0 = 0, u1 = 1, v1 = 1;
  float z = 0.5f;
};

// Corners in the order top-left, top-right, bottom-left, bottom-right.
std::vector<Vertex> Corners(const Quad& quad);
// Both triangles clockwise on screen (drawn under the default culling).
inline const uint16_t kClockwise[6] = {0, 1, 2, 2, 1, 3};
// Both counter-clockwise on screen.
inline const uint16_t kCounterClockwise[6] = {0, 2, 1, 1, 2, 3};

// Colour channels of 0xAARRGGBB.
inline int Channel(uint32_t colour, int shift) { return int((colour >> shift) & 0xFF); }
// Whether every channel is within `tolerance` of the expected one.
bool Near(uint32_t actual, uint32_t expected, int tolerance = 1);

class GlTest : public ::testing::Test {
 protected:
  static constexpr int kWidth = 64;
  static constexpr int kHeight = 48;

  void SetUp() override;
  void TearDown() override;

  D3DPRESENT_PARAMETERS Params() const;
  // Draws one quad through the fixed-function path inside its own scene.
  HRESULT DrawQuad(const Quad& quad, const uint16_t* indices = kClockwise);
  // The pixels of a render target, first row first, as 0xAARRGGBB.
  std::vector<uint32_t> ReadTarget(IDirect3DSurface9* target);
  std::vector<uint32_t> ReadBackBuffer();
  // A managed texture filled from `texels` (rows of `width` values of the
  // format's texel size, tightly packed).
  Ref<IDirect3DTexture9> MakeTexture(UINT width, UINT height, D3DFORMAT format, const void* texels,
                                     UINT bytesPerTexel);
  // A render-target texture and its level-0 surface.
  void MakeTarget(UINT width, UINT height, D3DFORMAT format, Ref<IDirect3DTexture9>& texture,
                  Ref<IDirect3DSurface9>& surface);

  bool visible_ = false;  // set before SetUp: the window is shown (mapped)
  const tav::gpu::D3D9Module* module_ = nullptr;
  tav::os::Window* window_ = nullptr;
  Ref<IDirect3D9Ex> d3d_;
  Ref<IDirect3DDevice9Ex> device_;
};

// The device class behind the interface (for the loss switch).
inline tav::gpu::gl::GlDevice* Impl(IDirect3DDevice9Ex* device) {
  return dynamic_cast<tav::gpu::gl::GlDevice*>(device);
}

}  // namespace tavtest::gl
