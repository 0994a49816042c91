#pragma once
// Checking and completing the presentation parameters of CreateDevice(Ex) and
// Reset(Ex), and putting the window into the mode they ask for.
#include <SDL.h>

#include "platform/gpu/D3D9Types.h"
#include "platform/gpu/gl/GlProbe.h"

namespace tav::gpu::gl {

// The desktop mode of the display the window `on` stands on; without a
// window, of the display the engine window stands on (display 0 before there
// is one). False when the video system cannot tell.
bool DesktopMode(D3DDISPLAYMODE& mode, SDL_Window* on = nullptr);

// Checks `params` (FLIPEX only on a device of the Ex path; when `modeRecord`,
// as CreateDeviceEx and ResetEx do, a full-screen mode record is required for
// full screen and refused for windowed) and
// fills the defaults that do not depend on the window's size: the device
// window, back-buffer format and count. D3DERR_INVALIDCALL for bad arguments.
HRESULT CheckPresentParams(D3DPRESENT_PARAMETERS& params, HWND focusWindow, bool ex, bool modeRecord,
                           const D3DDISPLAYMODEEX* fullscreenMode);

// Puts the device window into full-screen-desktop or windowed mode and fills
// the back-buffer size (and refresh rate) the mode gives.
HRESULT ApplyWindowMode(D3DPRESENT_PARAMETERS& params);

// The swap interval the presentation interval asks for.
inline int SwapInterval(const D3DPRESENT_PARAMETERS& params) {
  return params.PresentationInterval == D3DPRESENT_INTERVAL_IMMEDIATE ? 0 : 1;
}

}  // namespace tav::gpu::gl
