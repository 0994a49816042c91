#include "platform/gpu/gl/GlModule.h"

#include <new>

#include "platform/gpu/gl/GlDirect3D.h"
#include "platform/gpu/gl/GlProbe.h"

namespace tav::gpu::gl {

namespace {

bool KnownSdkVersion(UINT version) { return version == D3D_SDK_VERSION || version == D3D_SDK_VERSION_DEBUG; }

const D3D9Module kModule{
    [](UINT sdkVersion, IDirect3D9Ex** object) -> HRESULT {
      if (!object) return D3DERR_INVALIDCALL;
      *object = nullptr;
      if (!KnownSdkVersion(sdkVersion) || !Adapter().available) return D3DERR_NOTAVAILABLE;
      GlDirect3D* made = new (std::nothrow) GlDirect3D(Adapter());
      if (!made) return E_OUTOFMEMORY;
      *object = made;
      return S_OK;
    },
    [](UINT sdkVersion) -> IDirect3D9* {
      if (!KnownSdkVersion(sdkVersion) || !Adapter().available) return nullptr;
      return new (std::nothrow) GlDirect3D(Adapter());
    },
};

}  // namespace

const D3D9Module* GlD3D9Module() { return Adapter().available ? &kModule : nullptr; }

bool DebugContextActive() { return Adapter().debugContext; }

}  // namespace tav::gpu::gl
