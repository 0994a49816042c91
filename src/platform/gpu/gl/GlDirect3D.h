#pragma once
// The IDirect3D9Ex object of the OpenGL backend: one adapter (the OpenGL
// implementation the probe found), HAL devices only.
#include "platform/gpu/D3D9.h"
#include "platform/gpu/RefCounted.h"
#include "platform/gpu/gl/GlProbe.h"

namespace tav::gpu::gl {

// The capabilities a device on this adapter reports.
void FillCaps(const AdapterInfo& adapter, D3DCAPS9& caps);

class GlDirect3D final : public RefCounted<IDirect3D9Ex> {
 public:
  explicit GlDirect3D(const AdapterInfo& adapter) : adapter_(adapter) {}

  HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) override;
  HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override;
  HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                            D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) override;
  HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                 D3DFORMAT renderTargetFormat, D3DFORMAT depthFormat) override;
  HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviourFlags,
                       D3DPRESENT_PARAMETERS* params, IDirect3DDevice9** device) override;
  HRESULT GetAdapterDisplayModeEx(UINT adapter, D3DDISPLAYMODEEX* mode, D3DDISPLAYROTATION* rotation) override;
  HRESULT CreateDeviceEx(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviourFlags,
                         D3DPRESENT_PARAMETERS* params, D3DDISPLAYMODEEX* fullscreenMode,
                         IDirect3DDevice9Ex** device) override;

 private:
  ~GlDirect3D() override = default;
  AdapterInfo adapter_;
};

}  // namespace tav::gpu::gl
