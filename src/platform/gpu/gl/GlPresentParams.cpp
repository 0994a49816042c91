#include "platform/gpu/gl/GlPresentParams.h"

#include <SDL.h>

#include "platform/gpu/gl/GlFormats.h"
#include "platform/os/Window.h"
#include "platform/os/WindowRegistry.h"

namespace tav::gpu::gl {

namespace {
constexpr UINT kMaxBackBuffers = 30;
}

bool DesktopMode(D3DDISPLAYMODE& mode, SDL_Window* on) {
  if (!os::StartVideo()) return false;
  if (!on) {
    HWND engine = os::detail::EngineWindow();
    on = engine ? engine->Sdl() : nullptr;
  }
  int display = on ? SDL_GetWindowDisplayIndex(on) : 0;
  if (display < 0) display = 0;
  SDL_DisplayMode desktop;
  if (SDL_GetDesktopDisplayMode(display, &desktop) != 0 || desktop.w <= 0 || desktop.h <= 0) return false;
  mode.Width = UINT(desktop.w);
  mode.Height = UINT(desktop.h);
  mode.RefreshRate = UINT(desktop.refresh_rate > 0 ? desktop.refresh_rate : 0);
  mode.Format = D3DFMT_X8R8G8B8;
  return true;
}

HRESULT CheckPresentParams(D3DPRESENT_PARAMETERS& params, HWND focusWindow, bool ex, bool modeRecord,
                           const D3DDISPLAYMODEEX* fullscreenMode) {
  if (!params.hDeviceWindow) params.hDeviceWindow = focusWindow;
  if (!params.hDeviceWindow || !params.hDeviceWindow->Sdl()) return D3DERR_INVALIDCALL;
  bool windowed = params.Windowed != 0;

  if (params.BackBufferFormat == D3DFMT_UNKNOWN) {
    if (!windowed) return D3DERR_INVALIDCALL;
    params.BackBufferFormat = D3DFMT_X8R8G8B8;  // the desktop's format
  }
  if (!IsDisplayFormat(params.BackBufferFormat)) return D3DERR_INVALIDCALL;
  if (params.BackBufferCount > kMaxBackBuffers) return D3DERR_INVALIDCALL;

  switch (params.SwapEffect) {
    case D3DSWAPEFFECT_DISCARD:
    case D3DSWAPEFFECT_FLIP:
      break;
    case D3DSWAPEFFECT_COPY:
      if (params.BackBufferCount > 1) return D3DERR_INVALIDCALL;
      break;
    case D3DSWAPEFFECT_FLIPEX:
      if (!ex) return D3DERR_INVALIDCALL;
      break;
    default:
      return D3DERR_INVALIDCALL;
  }
  if (params.BackBufferCount == 0) params.BackBufferCount = 1;
  if (params.MultiSampleType != D3DMULTISAMPLE_NONE) return D3DERR_INVALIDCALL;
  if (params.EnableAutoDepthStencil && !DepthFormat(params.AutoDepthStencilFormat)) return D3DERR_INVALIDCALL;
  constexpr DWORD kKnownFlags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER | D3DPRESENTFLAG_DISCARD_DEPTHSTENCIL;
  if (params.Flags & ~kKnownFlags) return D3DERR_INVALIDCALL;
  if (params.PresentationInterval != D3DPRESENT_INTERVAL_DEFAULT &&
      params.PresentationInterval != D3DPRESENT_INTERVAL_ONE &&
      params.PresentationInterval != D3DPRESENT_INTERVAL_IMMEDIATE)
    return D3DERR_INVALIDCALL;
  if (windowed && params.FullScreen_RefreshRateInHz != 0) return D3DERR_INVALIDCALL;
  if (modeRecord) {
    if (windowed && fullscreenMode) return D3DERR_INVALIDCALL;
    if (!windowed && (!fullscreenMode || fullscreenMode->Size != sizeof(D3DDISPLAYMODEEX)))
      return D3DERR_INVALIDCALL;
  }
  return S_OK;
}

HRESULT ApplyWindowMode(D3DPRESENT_PARAMETERS& params) {
  SDL_Window* window = params.hDeviceWindow->Sdl();
  if (params.Windowed) {
    if ((SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) && SDL_SetWindowFullscreen(window, 0) != 0)
      return D3DERR_NOTAVAILABLE;
    if (params.BackBufferWidth == 0 || params.BackBufferHeight == 0) {
      int width = 0, height = 0;
      params.hDeviceWindow->GetClientSize(width, height);
      if (width <= 0 || height <= 0) return D3DERR_INVALIDCALL;
      if (params.BackBufferWidth == 0) params.BackBufferWidth = UINT(width);
      if (params.BackBufferHeight == 0) params.BackBufferHeight = UINT(height);
    }
    return S_OK;
  }
  // Full screen covers the desktop of the window's display in its own mode;
  // the back buffer matches it.
  D3DDISPLAYMODE desktop;
  if (!DesktopMode(desktop, window)) return D3DERR_NOTAVAILABLE;
  if (SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) return D3DERR_NOTAVAILABLE;
  params.BackBufferWidth = desktop.Width;
  params.BackBufferHeight = desktop.Height;
  params.FullScreen_RefreshRateInHz = desktop.RefreshRate;
  return S_OK;
}

}  // namespace tav::gpu::gl
