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

TEST_F(GlDevice, ForcedLossNeedsAResetWithNoDefaultPoolResourceAlive) {
  tav::gpu::gl::GlDevice* impl = Impl(device_.Get());
  ASSERT_NE(impl, nullptr);
  EXPECT_EQ(device_->TestCooperativeLevel(), S_OK);
  EXPECT_EQ(device_->CheckDeviceState(nullptr), S_OK);
  impl->SimulateDeviceLost();
  EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
  EXPECT_EQ(device_->PresentEx(nullptr, nullptr, nullptr, nullptr, 0), D3DERR_DEVICELOST);
  EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  EXPECT_EQ(device_->CheckDeviceState(nullptr), D3DERR_DEVICELOST);

  Ref<IDirect3DTexture9> defaultPool, managed;
  ASSERT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, defaultPool.Out(), nullptr), S_OK);
  ASSERT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, managed.Out(), nullptr), S_OK);
  Ref<IDirect3DSurface9> depth;
  ASSERT_EQ(device_->CreateDepthStencilSurface(8, 8, D3DFMT_D16, D3DMULTISAMPLE_NONE, 0, 0, depth.Out(), nullptr),
            S_OK);
  // The implicit back buffer held by the application does not count.
  Ref<IDirect3DSurface9> back;
  ASSERT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.Out()), S_OK);
  D3DPRESENT_PARAMETERS params = Params();
  EXPECT_EQ(device_->Reset(&params), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  defaultPool.Reset();
  EXPECT_EQ(device_->Reset(&params), D3DERR_INVALIDCALL);
  depth.Reset();
  // A texture only the device still holds (bound to a stage) is let go by Reset.
  ASSERT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, defaultPool.Out(), nullptr), S_OK);
  ASSERT_EQ(device_->SetTexture(0, defaultPool.Get()), S_OK);
  defaultPool.Reset();
  ASSERT_EQ(device_->Reset(&params), S_OK);
  EXPECT_EQ(device_->TestCooperativeLevel(), S_OK);
  EXPECT_EQ(device_->CheckDeviceState(nullptr), S_OK);

  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF80, 1.0f, 0), S_OK);
  EXPECT_EQ(device_->PresentEx(nullptr, nullptr, nullptr, nullptr, 0), S_OK);
  EXPECT_TRUE(AllEqual(ReadBackBuffer(), 0xFF00FF80));
  // The back buffer the application kept is the device's back buffer still.
  Ref<IDirect3DSurface9> current;
  ASSERT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, current.Out()), S_OK);
  EXPECT_EQ(current.Get(), back.Get());
  // The managed texture lived through it.
  D3DLOCKED_RECT locked;
  ASSERT_EQ(managed->LockRect(0, &locked, nullptr, 0), S_OK);
  EXPECT_EQ(managed->UnlockRect(0), S_OK);
}

TEST_F(GlDevice, ResetChangesTheBackBufferAndRestoresDefaultState) {
  ASSERT_EQ(device_->SetRenderState(D3DRS_ALPHABLENDENABLE, 1), S_OK);
  ASSERT_EQ(device_->SetSamplerState(2, D3DSAMP_ADDRESSU, D3DTADDRESS_BORDER), S_OK);
  D3DPRESENT_PARAMETERS params = Params();
  params.BackBufferWidth = 20;
  params.BackBufferHeight = 10;
  params.EnableAutoDepthStencil = 0;
  ASSERT_EQ(device_->ResetEx(&params, nullptr), S_OK);
  EXPECT_EQ(params.BackBufferFormat, D3DFMT_X8R8G8B8);
  EXPECT_EQ(params.BackBufferCount, 1u);
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF123456, 1.0f, 0), S_OK);
  std::vector<uint32_t> pixels = ReadBackBuffer();
  EXPECT_EQ(pixels.size(), 200u);
  EXPECT_TRUE(AllEqual(pixels, 0xFF123456));
  D3DVIEWPORT9 viewport;
  ASSERT_EQ(device_->GetViewport(&viewport), S_OK);
  EXPECT_EQ(viewport.Width, 20u);
  EXPECT_EQ(viewport.Height, 10u);
  DWORD value = 0;
  ASSERT_EQ(device_->GetRenderState(D3DRS_ALPHABLENDENABLE, &value), S_OK);
  EXPECT_EQ(value, 0u);
  ASSERT_EQ(device_->GetRenderState(D3DRS_CULLMODE, &value), S_OK);
  EXPECT_EQ(value, DWORD(D3DCULL_CCW));
  ASSERT_EQ(device_->GetRenderState(D3DRS_ZENABLE, &value), S_OK);
  EXPECT_EQ(value, DWORD(D3DZB_FALSE));  // no automatic depth surface now
  ASSERT_EQ(device_->GetSamplerState(2, D3DSAMP_ADDRESSU, &value), S_OK);
  EXPECT_EQ(value, DWORD(D3DTADDRESS_WRAP));
  Ref<IDirect3DSurface9> depth;
  EXPECT_EQ(device_->GetDepthStencilSurface(depth.Out()), D3DERR_NOTFOUND);
  // Windowed with no size takes the window's size again.
  params = Params();
  ASSERT_EQ(device_->Reset(&params), S_OK);
  EXPECT_EQ(params.BackBufferWidth, UINT(kWidth));
  EXPECT_EQ(params.BackBufferHeight, UINT(kHeight));
  EXPECT_EQ(ReadBackBuffer().size(), size_t(kWidth * kHeight));
  ASSERT_EQ(device_->GetDepthStencilSurface(depth.Out()), S_OK);
}

TEST_F(GlDevice, BadArgumentsAreInvalidCalls) {
  std::vector<Vertex> vertices = Corners({0, 0, 4, 4});
  // Drawing needs a scene, and scenes do not nest.
  EXPECT_EQ(device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, kClockwise, D3DFMT_INDEX16,
                                            vertices.data(), sizeof(Vertex)),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->EndScene(), D3DERR_INVALIDCALL);
  ASSERT_EQ(device_->BeginScene(), S_OK);
  EXPECT_EQ(device_->BeginScene(), D3DERR_INVALIDCALL);
  // An index past the vertices given would read beyond them.
  const uint16_t outside[6] = {0, 1, 2, 2, 1, 4};
  EXPECT_EQ(device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, outside, D3DFMT_INDEX16, vertices.data(),
                                            sizeof(Vertex)),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 1, 3, 2, kClockwise, D3DFMT_INDEX16,
                                            vertices.data(), sizeof(Vertex)),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, kClockwise, D3DFMT_A8R8G8B8,
                                            vertices.data(), sizeof(Vertex)),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, kClockwise, D3DFMT_INDEX16,
                                            vertices.data(), 16),
            D3DERR_INVALIDCALL);
  const uint32_t wide[6] = {0, 1, 2, 2, 1, 3};
  EXPECT_EQ(device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, wide, D3DFMT_INDEX32, vertices.data(),
                                            sizeof(Vertex)),
            S_OK);
  ASSERT_EQ(device_->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE), S_OK);
  EXPECT_EQ(device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, kClockwise, D3DFMT_INDEX16,
                                            vertices.data(), sizeof(Vertex)),
            D3DERR_INVALIDCALL);
  ASSERT_EQ(device_->EndScene(), S_OK);

  EXPECT_EQ(device_->SetRenderTarget(0, nullptr), D3DERR_INVALIDCALL);
  Ref<IDirect3DSurface9> back, depth;
  ASSERT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.Out()), S_OK);
  EXPECT_EQ(device_->SetRenderTarget(1, back.Get()), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->GetBackBuffer(0, 1, D3DBACKBUFFER_TYPE_MONO, depth.Out()), D3DERR_INVALIDCALL);
  ASSERT_EQ(device_->GetDepthStencilSurface(depth.Out()), S_OK);
  EXPECT_EQ(device_->SetRenderTarget(0, depth.Get()), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->SetDepthStencilSurface(back.Get()), D3DERR_INVALIDCALL);
  ASSERT_EQ(device_->SetDepthStencilSurface(nullptr), S_OK);
  EXPECT_EQ(device_->GetDepthStencilSurface(depth.Out()), D3DERR_NOTFOUND);
  EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->Clear(1, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), D3DERR_INVALIDCALL);
  D3DVIEWPORT9 tooBig{0, 0, UINT(kWidth) + 1, UINT(kHeight), 0, 1};
  EXPECT_EQ(device_->SetViewport(&tooBig), D3DERR_INVALIDCALL);
  D3DVIEWPORT9 badDepth{0, 0, 4, 4, 0.8f, 0.2f};
  EXPECT_EQ(device_->SetViewport(&badDepth), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->SetRenderState(D3DRENDERSTATETYPE(300), 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->SetSamplerState(16, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->SetTextureStageState(8, D3DTSS_COLOROP, D3DTOP_DISABLE), D3DERR_INVALIDCALL);
  // Rectangles for present belong to the copy swap effect only.
  RECT part{0, 0, 4, 4};
  EXPECT_EQ(device_->Present(&part, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);
  // A read-back needs a system-memory surface of the target's size and format.
  Ref<IDirect3DSurface9> small;
  ASSERT_EQ(device_->CreateOffscreenPlainSurface(4, 4, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, small.Out(), nullptr),
            S_OK);
  EXPECT_EQ(device_->GetRenderTargetData(back.Get(), small.Get()), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->GetRenderTargetData(small.Get(), small.Get()), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->CreateOffscreenPlainSurface(4, 4, D3DFMT_L8, D3DPOOL_SYSTEMMEM, small.Out(), nullptr),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->CreateDepthStencilSurface(4, 4, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0, 0, depth.Out(), nullptr),
            D3DERR_INVALIDCALL);
  const D3DVERTEXELEMENT9 unknownType[] = {{0, 0, 9, 0, D3DDECLUSAGE_POSITION, 0}, D3DDECL_END()};
  Ref<IDirect3DVertexDeclaration9> declaration;
  EXPECT_EQ(device_->CreateVertexDeclaration(unknownType, declaration.Out()), D3DERR_INVALIDCALL);
}

TEST_F(GlDevice, ObjectsOutliveTheDeviceInAnyOrder) {
  Ref<IDirect3DTexture9> texture;
  ASSERT_EQ(device_->CreateTexture(8, 8, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, texture.Out(), nullptr), S_OK);
  Ref<IDirect3DTexture9> target;
  ASSERT_EQ(device_->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, target.Out(),
                                   nullptr),
            S_OK);
  Ref<IDirect3DSurface9> level, back;
  ASSERT_EQ(target->GetSurfaceLevel(0, level.Out()), S_OK);
  ASSERT_EQ(device_->SetRenderTarget(0, level.Get()), S_OK);
  ASSERT_EQ(device_->SetTexture(0, texture.Get()), S_OK);
  ASSERT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.Out()), S_OK);
  // The surface of a texture keeps the texture.
  target.Reset();
  D3DSURFACE_DESC desc;
  ASSERT_EQ(level->GetDesc(&desc), S_OK);
  EXPECT_EQ(desc.Width, 8u);

  device_.Reset();
  // What is left answers without its device, and goes when released.
  D3DLOCKED_RECT locked;
  EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(texture->GetLevelCount(), 4u);
  EXPECT_EQ(back->LockRect(&locked, nullptr, 0), D3DERR_INVALIDCALL);
  level.Reset();
  texture.Reset();
  back.Reset();
}

TEST_F(GlDevice, DestroyedWindowFailsCallsWithoutCrashing) {
  Ref<IDirect3DTexture9> texture;
  ASSERT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, texture.Out(), nullptr), S_OK);
  window_->DestroyNative();
  EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);
  D3DLOCKED_RECT locked;
  ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), S_OK);
  EXPECT_EQ(texture->UnlockRect(0), D3DERR_INVALIDCALL);
  device_.Reset();
  texture.Reset();
}

using GlDirect3D = GlTest;

TEST_F(GlDirect3D, CapsAndFormatsDescribeWhatTheDeviceMakes) {
  D3DCAPS9 caps;
  ASSERT_EQ(d3d_->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &caps), S_OK);
  EXPECT_GE(caps.MaxTextureWidth, 2048u);
  EXPECT_EQ(caps.MaxTextureWidth, caps.MaxTextureHeight);
  EXPECT_EQ(caps.VertexShaderVersion, D3DVS_VERSION(3, 0));
  EXPECT_EQ(caps.PixelShaderVersion, D3DPS_VERSION(3, 0));
  EXPECT_EQ(caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY, 0u);
  EXPECT_NE(caps.Caps2 & D3DCAPS2_CANAUTOGENMIPMAP, 0u);
  EXPECT_EQ(caps.MaxSimultaneousTextures, 8u);
  EXPECT_EQ(d3d_->GetDeviceCaps(1, D3DDEVTYPE_HAL, &caps), D3DERR_INVALIDCALL);
  EXPECT_EQ(d3d_->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_REF, &caps), D3DERR_INVALIDCALL);

  auto check = [&](DWORD usage, D3DRESOURCETYPE type, D3DFORMAT format) {
    return d3d_->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, usage, type, format);
  };
  for (D3DFORMAT f : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4}) {
    EXPECT_EQ(check(D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, f), S_OK) << f;
    EXPECT_EQ(check(D3DUSAGE_AUTOGENMIPMAP, D3DRTYPE_TEXTURE, f), S_OK) << f;
  }
  for (D3DFORMAT f : {D3DFMT_L8, D3DFMT_A8, D3DFMT_A8L8}) {
    EXPECT_EQ(check(0, D3DRTYPE_TEXTURE, f), S_OK) << f;
    EXPECT_EQ(check(D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, f), D3DERR_NOTAVAILABLE) << f;
  }
  for (D3DFORMAT f : {D3DFMT_D16, D3DFMT_D24X8, D3DFMT_D32, D3DFMT_D24S8})
    EXPECT_EQ(check(D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, f), S_OK) << f;
  EXPECT_EQ(check(D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_A8R8G8B8), D3DERR_NOTAVAILABLE);
  EXPECT_EQ(check(0, D3DRTYPE_TEXTURE, D3DFMT_A16B16G16R16), D3DERR_NOTAVAILABLE);
  EXPECT_EQ(check(D3DUSAGE_AUTOGENMIPMAP, D3DRTYPE_TEXTURE, D3DFMT_DXT1), D3DERR_NOTAVAILABLE);
  EXPECT_EQ(check(0, D3DRTYPE_TEXTURE, D3DFMT_DXT5), tav::gpu::gl::Adapter().s3tc ? S_OK : D3DERR_NOTAVAILABLE);
  EXPECT_EQ(d3d_->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, D3DFMT_R5G6B5, 0, D3DRTYPE_TEXTURE,
                                    D3DFMT_A8R8G8B8),
            D3DERR_NOTAVAILABLE);
  EXPECT_EQ(d3d_->CheckDepthStencilMatch(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8,
                                         D3DFMT_D24S8),
            S_OK);
  EXPECT_EQ(d3d_->CheckDepthStencilMatch(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_L8,
                                         D3DFMT_D24S8),
            D3DERR_NOTAVAILABLE);

  D3DDISPLAYMODEEX mode;
  EXPECT_EQ(d3d_->GetAdapterDisplayModeEx(D3DADAPTER_DEFAULT, &mode, nullptr), D3DERR_INVALIDCALL);
  mode.Size = sizeof(mode);
  D3DDISPLAYROTATION rotation{};
  ASSERT_EQ(d3d_->GetAdapterDisplayModeEx(D3DADAPTER_DEFAULT, &mode, &rotation), S_OK);
  EXPECT_GT(mode.Width, 0u);
  EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
  EXPECT_EQ(rotation, D3DDISPLAYROTATION_IDENTITY);
  D3DDISPLAYMODE plain;
  ASSERT_EQ(d3d_->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &plain), S_OK);
  EXPECT_EQ(plain.Width, mode.Width);
  EXPECT_EQ(plain.Height, mode.Height);
}

TEST_F(GlDirect3D, DeviceCreationChecksItsParameters) {
  auto create = [&](D3DPRESENT_PARAMETERS params, bool ex, DWORD behaviour = D3DCREATE_HARDWARE_VERTEXPROCESSING) {
    HRESULT hr;
    if (ex) {
      Ref<IDirect3DDevice9Ex> device;
      hr = d3d_->CreateDeviceEx(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr, behaviour, &params, nullptr,
                                device.Out());
      EXPECT_EQ(bool(device), SUCCEEDED(hr));
    } else {
      Ref<IDirect3DDevice9> device;
      hr = d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr, behaviour, &params, device.Out());
      EXPECT_EQ(bool(device), SUCCEEDED(hr));
    }
    return hr;
  };
  D3DPRESENT_PARAMETERS params = Params();
  params.hDeviceWindow = nullptr;
  EXPECT_EQ(create(params, false), D3DERR_INVALIDCALL);
  params = Params();
  params.BackBufferFormat = D3DFMT_R5G6B5;
  EXPECT_EQ(create(params, false), D3DERR_INVALIDCALL);
  params = Params();
  params.BackBufferCount = 31;
  EXPECT_EQ(create(params, true), D3DERR_INVALIDCALL);
  params = Params();
  params.SwapEffect = D3DSWAPEFFECT_FLIPEX;
  EXPECT_EQ(create(params, false), D3DERR_INVALIDCALL);
  EXPECT_EQ(create(params, true), S_OK);
  params = Params();
  params.AutoDepthStencilFormat = D3DFMT_A8R8G8B8;
  EXPECT_EQ(create(params, false), D3DERR_INVALIDCALL);
  params = Params();
  params.PresentationInterval = 2;
  EXPECT_EQ(create(params, false), D3DERR_INVALIDCALL);
  EXPECT_EQ(create(Params(), false, D3DCREATE_PUREDEVICE), D3DERR_INVALIDCALL);
  EXPECT_EQ(create(Params(), false, D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_SOFTWARE_VERTEXPROCESSING),
            D3DERR_INVALIDCALL);

  // The plain entry point makes the same kind of device, and writes back what
  // it used.
  params = Params();
  params.BackBufferCount = 0;
  params.BackBufferWidth = 16;
  params.Flags = 0;
  Ref<IDirect3DDevice9> device;
  ASSERT_EQ(d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window_, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                               &params, device.Out()),
            S_OK);
  EXPECT_EQ(params.BackBufferWidth, 16u);
  EXPECT_EQ(params.BackBufferHeight, UINT(kHeight));
  EXPECT_EQ(params.BackBufferFormat, D3DFMT_X8R8G8B8);
  EXPECT_EQ(params.BackBufferCount, 1u);
  EXPECT_NE(dynamic_cast<IDirect3DDevice9Ex*>(device.Get()), nullptr);
  Ref<IDirect3D9> creator;
  ASSERT_EQ(device->GetDirect3D(creator.Out()), S_OK);
  EXPECT_EQ(creator.Get(), static_cast<IDirect3D9*>(d3d_.Get()));
  EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0), S_OK);
  EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), S_OK);

  // Without the lockable flag the back buffer cannot be locked.
  Ref<IDirect3DSurface9> back;
  ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.Out()), S_OK);
  D3DLOCKED_RECT locked;
  EXPECT_EQ(back->LockRect(&locked, nullptr, 0), D3DERR_INVALIDCALL);

  IDirect3D9* plain = module_->Direct3DCreate9(D3D_SDK_VERSION);
  ASSERT_NE(plain, nullptr);
  plain->Release();
  EXPECT_EQ(module_->Direct3DCreate9(31), nullptr);
}

TEST_F(GlDirect3D, FullScreenUsesTheDesktopSizeAndResetGoesBackToWindowed) {
  device_.Reset();
  D3DDISPLAYMODEEX desktop;
  desktop.Size = sizeof(desktop);
  ASSERT_EQ(d3d_->GetAdapterDisplayModeEx(D3DADAPTER_DEFAULT, &desktop, nullptr), S_OK);
  D3DPRESENT_PARAMETERS params = Params();
  params.Windowed = 0;
  params.BackBufferFormat = D3DFMT_X8R8G8B8;
  // The Ex path needs the mode record for full screen.
  EXPECT_EQ(d3d_->CreateDeviceEx(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window_, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                 &params, nullptr, device_.Out()),
            D3DERR_INVALIDCALL);
  ASSERT_EQ(d3d_->CreateDeviceEx(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window_, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                 &params, &desktop, device_.Out()),
            S_OK);
  EXPECT_EQ(params.BackBufferWidth, desktop.Width);
  EXPECT_EQ(params.BackBufferHeight, desktop.Height);
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF445566, 1.0f, 0), S_OK);
  EXPECT_EQ(device_->PresentEx(nullptr, nullptr, nullptr, nullptr, 0), S_OK);
  EXPECT_EQ(ReadBackBuffer().size(), size_t(desktop.Width) * desktop.Height);

  params = Params();
  params.BackBufferWidth = 40;
  params.BackBufferHeight = 30;
  EXPECT_EQ(device_->ResetEx(&params, &desktop), D3DERR_INVALIDCALL);  // no mode record when windowed
  ASSERT_EQ(device_->ResetEx(&params, nullptr), S_OK);
  EXPECT_EQ(ReadBackBuffer().size(), 40u * 30u);
}

}  // namespace
}  // namespace tavtest::gl
