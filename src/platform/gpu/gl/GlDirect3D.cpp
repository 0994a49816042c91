#include "platform/gpu/gl/GlDirect3D.h"

#include "platform/gpu/gl/GlDevice.h"
#include "platform/gpu/gl/GlFormats.h"
#include "platform/gpu/gl/GlPresentParams.h"

namespace tav::gpu::gl {

namespace {

bool IsHal(UINT adapter, D3DDEVTYPE type) { return adapter == D3DADAPTER_DEFAULT && type == D3DDEVTYPE_HAL; }

// Exactly one way of processing vertices, as device creation requires.
bool ValidBehaviour(DWORD flags) {
  constexpr DWORD kMixed = 0x80;
  DWORD processing = flags & (D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING | kMixed);
  return processing == D3DCREATE_SOFTWARE_VERTEXPROCESSING || processing == D3DCREATE_HARDWARE_VERTEXPROCESSING ||
         processing == kMixed;
}

}  // namespace

void FillCaps(const AdapterInfo& adapter, D3DCAPS9& caps) {
  caps = D3DCAPS9{};
  caps.DeviceType = D3DDEVTYPE_HAL;
  caps.AdapterOrdinal = 0;
  caps.Caps2 = D3DCAPS2_CANAUTOGENMIPMAP;
  caps.Caps3 = D3DCAPS3_ALPHA_FULLSCREEN_FLIP_OR_DISCARD;
  caps.PresentationIntervals = D3DPRESENT_INTERVAL_IMMEDIATE | D3DPRESENT_INTERVAL_ONE;
  caps.DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_PUREDEVICE;
  caps.TextureCaps = D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_MIPMAP;
  caps.MaxTextureWidth = DWORD(adapter.maxTextureSize);
  caps.MaxTextureHeight = DWORD(adapter.maxTextureSize);
  caps.MaxSimultaneousTextures = 8;
  caps.NumSimultaneousRTs = 1;
  caps.VertexShaderVersion = D3DVS_VERSION(3, 0);
  caps.PixelShaderVersion = D3DPS_VERSION(3, 0);
}

HRESULT GlDirect3D::GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) {
  if (!caps || !IsHal(adapter, type)) return D3DERR_INVALIDCALL;
  FillCaps(adapter_, *caps);
  return S_OK;
}

HRESULT GlDirect3D::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) {
  if (!mode || adapter != D3DADAPTER_DEFAULT) return D3DERR_INVALIDCALL;
  return DesktopMode(*mode) ? S_OK : D3DERR_NOTAVAILABLE;
}

HRESULT GlDirect3D::GetAdapterDisplayModeEx(UINT adapter, D3DDISPLAYMODEEX* mode, D3DDISPLAYROTATION* rotation) {
  if (!mode || mode->Size != sizeof(D3DDISPLAYMODEEX) || adapter != D3DADAPTER_DEFAULT) return D3DERR_INVALIDCALL;
  D3DDISPLAYMODE desktop;
  if (!DesktopMode(desktop)) return D3DERR_NOTAVAILABLE;
  mode->Width = desktop.Width;
  mode->Height = desktop.Height;
  mode->RefreshRate = desktop.RefreshRate;
  mode->Format = desktop.Format;
  mode->ScanLineOrdering = D3DSCANLINEORDERING_PROGRESSIVE;
  if (rotation) *rotation = D3DDISPLAYROTATION_IDENTITY;
  return S_OK;
}

HRESULT GlDirect3D::CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                      D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) {
  if (!IsHal(adapter, type)) return D3DERR_INVALIDCALL;
  return CheckFormat(adapterFormat, usage, resourceType, checkFormat, adapter_.s3tc);
}

HRESULT GlDirect3D::CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                           D3DFORMAT renderTargetFormat, D3DFORMAT depthFormat) {
  if (!IsHal(adapter, type)) return D3DERR_INVALIDCALL;
  const FormatInfo* colour = TextureFormat(renderTargetFormat, adapter_.s3tc);
  bool ok = IsDisplayFormat(adapterFormat) && colour && colour->renderTarget && DepthFormat(depthFormat);
  return ok ? S_OK : D3DERR_NOTAVAILABLE;
}

HRESULT GlDirect3D::CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviourFlags,
                                 D3DPRESENT_PARAMETERS* params, IDirect3DDevice9** device) {
  if (!device) return D3DERR_INVALIDCALL;
  *device = nullptr;
  if (!params || !IsHal(adapter, type) || !ValidBehaviour(behaviourFlags)) return D3DERR_INVALIDCALL;
  GlDevice* made = nullptr;
  HRESULT hr = GlDevice::Create(this, adapter_, focusWindow, *params, false, nullptr, &made);
  if (SUCCEEDED(hr)) *device = made;
  return hr;
}

HRESULT GlDirect3D::CreateDeviceEx(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviourFlags,
                                   D3DPRESENT_PARAMETERS* params, D3DDISPLAYMODEEX* fullscreenMode,
                                   IDirect3DDevice9Ex** device) {
  if (!device) return D3DERR_INVALIDCALL;
  *device = nullptr;
  if (!params || !IsHal(adapter, type) || !ValidBehaviour(behaviourFlags)) return D3DERR_INVALIDCALL;
  GlDevice* made = nullptr;
  HRESULT hr = GlDevice::Create(this, adapter_, focusWindow, *params, true, fullscreenMode, &made);
  if (SUCCEEDED(hr)) *device = made;
  return hr;
}

}  // namespace tav::gpu::gl
