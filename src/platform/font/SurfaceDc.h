#pragma once
// GetDC and ReleaseDC of a Direct3D surface, shared by the surface classes of
// every graphics backend: the DC draws into the surface's bits, which stay
// locked while it is out.
#include "platform/font/Gdi.h"
#include "platform/gpu/D3D9.h"

namespace tav::font {

// `held` is the surface's record of the DC it has handed out (null when none).
HRESULT GetSurfaceDC(IDirect3DSurface9& surface, HDC& held, HDC* dc);
HRESULT ReleaseSurfaceDC(IDirect3DSurface9& surface, HDC& held, HDC dc);

}  // namespace tav::font
