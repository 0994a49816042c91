#include "gpu/GlTestSupport.h"

#include <cstdlib>
#include <cstring>

namespace tavtest::gl {

std::vector<Vertex> Corners(const Quad& q) {
  return {{q.x0, q.y0, q.z, 1.0f, q.colour, q.u0, q.v0},
          {q.x1, q.y0, q.z, 1.0f, q.colour, q.u1, q.v0},
          {q.x0, q.y1, q.z, 1.0f, q.colour, q.u0, q.v1},
          {q.x1, q.y1, q.z, 1.0f, q.colour, q.u1, q.v1}};
}

bool Near(uint32_t actual, uint32_t expected, int tolerance) {
  for (int shift = 0; shift < 32; shift += 8)
    if (std::abs(Channel(actual, shift) - Channel(expected, shift)) > tolerance) return false;
  return true;
}

void GlTest::SetUp() {
  module_ = tav::gpu::gl::GlD3D9Module();
  if (!module_) GTEST_SKIP() << "no OpenGL 4.1 core context on this machine";
  window_ = tav::os::Window::Create(L"gl test", kWidth, kHeight, visible_);
  ASSERT_NE(window_, nullptr);
  ASSERT_EQ(module_->Direct3DCreate9Ex(D3D_SDK_VERSION, d3d_.Out()), S_OK);
  D3DPRESENT_PARAMETERS params = Params();
  ASSERT_EQ(d3d_->CreateDeviceEx(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window_, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                 &params, nullptr, device_.Out()),
            S_OK);
  ASSERT_EQ(device_->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1), S_OK);
  ASSERT_EQ(device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE), S_OK);
  ASSERT_EQ(device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE), S_OK);
}

void GlTest::TearDown() {
  device_.Reset();
  d3d_.Reset();
  delete window_;
}

D3DPRESENT_PARAMETERS GlTest::Params() const {
  D3DPRESENT_PARAMETERS params;
  params.Windowed = 1;
  params.SwapEffect = D3DSWAPEFFECT_DISCARD;
  params.BackBufferFormat = D3DFMT_UNKNOWN;
  params.hDeviceWindow = window_;
  params.EnableAutoDepthStencil = 1;
  params.AutoDepthStencilFormat = D3DFMT_D24S8;
  params.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
  params.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
  return params;
}

HRESULT GlTest::DrawQuad(const Quad& quad, const uint16_t* indices) {
  std::vector<Vertex> vertices = Corners(quad);
  HRESULT hr = device_->BeginScene();
  if (FAILED(hr)) return hr;
  hr = device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, indices, D3DFMT_INDEX16, vertices.data(),
                                       sizeof(Vertex));
  HRESULT end = device_->EndScene();
  return FAILED(hr) ? hr : end;
}

std::vector<uint32_t> GlTest::ReadTarget(IDirect3DSurface9* target) {
  D3DSURFACE_DESC desc;
  EXPECT_EQ(target->GetDesc(&desc), S_OK);
  Ref<IDirect3DSurface9> copy;
  EXPECT_EQ(device_->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM,
                                                 copy.Out(), nullptr),
            S_OK);
  EXPECT_EQ(device_->GetRenderTargetData(target, copy.Get()), S_OK);
  std::vector<uint32_t> pixels(size_t(desc.Width) * desc.Height);
  D3DLOCKED_RECT locked;
  EXPECT_EQ(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY), S_OK);
  for (UINT y = 0; y < desc.Height; ++y)
    std::memcpy(&pixels[size_t(y) * desc.Width], static_cast<const uint8_t*>(locked.pBits) + size_t(y) * locked.Pitch,
                desc.Width * 4);
  EXPECT_EQ(copy->UnlockRect(), S_OK);
  return pixels;
}

std::vector<uint32_t> GlTest::ReadBackBuffer() {
  Ref<IDirect3DSurface9> back;
  EXPECT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.Out()), S_OK);
  D3DSURFACE_DESC desc;
  EXPECT_EQ(back->GetDesc(&desc), S_OK);
  std::vector<uint32_t> pixels(size_t(desc.Width) * desc.Height);
  D3DLOCKED_RECT locked;
  EXPECT_EQ(back->LockRect(&locked, nullptr, D3DLOCK_READONLY), S_OK);
  for (UINT y = 0; y < desc.Height; ++y)
    std::memcpy(&pixels[size_t(y) * desc.Width], static_cast<const uint8_t*>(locked.pBits) + size_t(y) * locked.Pitch,
                desc.Width * 4);
  EXPECT_EQ(back->UnlockRect(), S_OK);
  return pixels;
}

Ref<IDirect3DTexture9> GlTest::MakeTexture(UINT width, UINT height, D3DFORMAT format, const void* texels,
                                           UINT bytesPerTexel) {
  Ref<IDirect3DTexture9> texture;
  EXPECT_EQ(device_->CreateTexture(width, height, 1, 0, format, D3DPOOL_MANAGED, texture.Out(), nullptr), S_OK);
  if (!texture) return texture;
  D3DLOCKED_RECT locked;
  EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), S_OK);
  for (UINT y = 0; y < height; ++y)
    std::memcpy(static_cast<uint8_t*>(locked.pBits) + size_t(y) * locked.Pitch,
                static_cast<const uint8_t*>(texels) + size_t(y) * width * bytesPerTexel, width * bytesPerTexel);
  EXPECT_EQ(texture->UnlockRect(0), S_OK);
  return texture;
}

void GlTest::MakeTarget(UINT width, UINT height, D3DFORMAT format, Ref<IDirect3DTexture9>& texture,
                        Ref<IDirect3DSurface9>& surface) {
  ASSERT_EQ(device_->CreateTexture(width, height, 1, D3DUSAGE_RENDERTARGET, format, D3DPOOL_DEFAULT, texture.Out(),
                                   nullptr),
            S_OK);
  ASSERT_EQ(texture->GetSurfaceLevel(0, surface.Out()), S_OK);
}

}  // namespace tavtest::gl
