#include "platform/font/SurfaceDc.h"

#include "platform/font/FontModule.h"
#include "platform/font/SurfaceDraw.h"

namespace tav::font {

HRESULT GetSurfaceDC(IDirect3DSurface9& surface, HDC& held, HDC* dc) {
  if (!dc || held) return D3DERR_INVALIDCALL;
  D3DSURFACE_DESC desc;
  HRESULT hr = surface.GetDesc(&desc);
  if (FAILED(hr)) return hr;
  if (!DrawableFormat(desc.Format)) return D3DERR_INVALIDCALL;
  D3DLOCKED_RECT locked;
  hr = surface.LockRect(&locked, nullptr, 0);
  if (FAILED(hr)) return hr;
  DrawTarget target{static_cast<BYTE*>(locked.pBits), locked.Pitch, desc.Width, desc.Height, desc.Format};
  HDC made = CurrentFontModule().CreateSurfaceDC(target);
  if (!made) {
    surface.UnlockRect();
    return E_FAIL;
  }
  held = made;
  *dc = made;
  return S_OK;
}

HRESULT ReleaseSurfaceDC(IDirect3DSurface9& surface, HDC& held, HDC dc) {
  if (!held || dc != held) return D3DERR_INVALIDCALL;
  CurrentFontModule().DeleteSurfaceDC(held);
  held = nullptr;
  return surface.UnlockRect();
}

}  // namespace tav::font
