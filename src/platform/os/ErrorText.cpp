#include "platform/os/ErrorText.h"

#include <cwchar>

namespace tav::os {

namespace {

struct CodeText {
  HRESULT code;
  const wchar_t* name;
  const wchar_t* description;
};

#define TAV_CODE(c, d) {c, L## #c, d}

constexpr CodeText kCodes[] = {
    TAV_CODE(S_OK, L"The call succeeded."),
    TAV_CODE(S_FALSE, L"The call succeeded but did nothing or returned a negative answer."),
    TAV_CODE(E_NOTIMPL, L"The operation is not implemented."),
    TAV_CODE(E_NOINTERFACE, L"The requested interface is not supported."),
    TAV_CODE(E_POINTER, L"A required pointer argument was null."),
    TAV_CODE(E_ABORT, L"The operation was aborted."),
    TAV_CODE(E_FAIL, L"An unspecified failure occurred."),
    TAV_CODE(E_UNEXPECTED, L"A catastrophic failure occurred."),
    TAV_CODE(E_ACCESSDENIED, L"Access was denied."),
    TAV_CODE(E_HANDLE, L"A handle was not valid."),
    TAV_CODE(E_OUTOFMEMORY, L"There was not enough memory to complete the call."),
    TAV_CODE(E_INVALIDARG, L"One or more arguments are not valid."),
    TAV_CODE(RPC_E_CHANGED_MODE, L"The threading model cannot be changed after it was set."),
    TAV_CODE(CLASS_E_NOAGGREGATION, L"The class cannot be created as part of an aggregate."),
    TAV_CODE(REGDB_E_CLASSNOTREG, L"The requested component is not installed."),
    TAV_CODE(CO_E_NOTINITIALIZED, L"The component library was not initialised on this thread."),
    TAV_CODE(D3DOK_NOAUTOGEN, L"The format cannot generate mip-maps automatically; the call otherwise succeeded."),
    TAV_CODE(S_NOT_RESIDENT, L"At least one resource is not in video memory."),
    TAV_CODE(S_RESIDENT_IN_SHARED_MEMORY, L"No resource is in video memory; some are in shared memory."),
    TAV_CODE(S_PRESENT_MODE_CHANGED, L"The desktop display mode changed; presentation still succeeded."),
    TAV_CODE(S_PRESENT_OCCLUDED, L"The window is hidden or covered; nothing was shown."),
    TAV_CODE(D3DERR_OUTOFVIDEOMEMORY, L"There is not enough video memory for the request."),
    TAV_CODE(D3DERR_WASSTILLDRAWING, L"The graphics processor is still using the resource."),
    TAV_CODE(D3DERR_WRONGTEXTUREFORMAT, L"The pixel format of the texture surface is not valid."),
    TAV_CODE(D3DERR_UNSUPPORTEDCOLOROPERATION, L"The device does not support the colour blending operation."),
    TAV_CODE(D3DERR_UNSUPPORTEDCOLORARG, L"The device does not support a colour blending argument."),
    TAV_CODE(D3DERR_UNSUPPORTEDALPHAOPERATION, L"The device does not support the alpha blending operation."),
    TAV_CODE(D3DERR_UNSUPPORTEDALPHAARG, L"The device does not support an alpha blending argument."),
    TAV_CODE(D3DERR_TOOMANYOPERATIONS, L"The application asks for more texture operations than the device has."),
    TAV_CODE(D3DERR_CONFLICTINGTEXTUREFILTER, L"The current texture filters cannot be used together."),
    TAV_CODE(D3DERR_UNSUPPORTEDFACTORVALUE, L"The device does not support the given texture factor."),
    TAV_CODE(D3DERR_CONFLICTINGRENDERSTATE, L"The current render states cannot be used together."),
    TAV_CODE(D3DERR_UNSUPPORTEDTEXTUREFILTER, L"The device does not support the given texture filter."),
    TAV_CODE(D3DERR_CONFLICTINGTEXTUREPALETTE, L"The current textures cannot be used together."),
    TAV_CODE(D3DERR_DRIVERINTERNALERROR, L"The graphics driver reported an internal error."),
    TAV_CODE(D3DERR_NOTFOUND, L"The requested item was not found."),
    TAV_CODE(D3DERR_MOREDATA, L"There is more data than the buffer can hold."),
    TAV_CODE(D3DERR_DEVICELOST, L"The device is lost and cannot be reset yet; nothing can be drawn."),
    TAV_CODE(D3DERR_DEVICENOTRESET, L"The device is lost but can be reset now."),
    TAV_CODE(D3DERR_NOTAVAILABLE, L"The device does not support the requested format or technique."),
    TAV_CODE(D3DERR_INVALIDDEVICE, L"The requested device type is not valid."),
    TAV_CODE(D3DERR_INVALIDCALL, L"The call is not valid, for example an argument is out of range."),
    TAV_CODE(D3DERR_DRIVERINVALIDCALL, L"The driver rejected the call."),
    TAV_CODE(D3DERR_DEVICEREMOVED, L"The graphics adapter was removed."),
    TAV_CODE(D3DERR_DEVICEHUNG, L"The device stopped responding and must be created again."),
    TAV_CODE(D3DXERR_CANNOTMODIFYINDEXBUFFER, L"The index buffer cannot be modified."),
    TAV_CODE(D3DXERR_INVALIDMESH, L"The mesh is not valid."),
    TAV_CODE(D3DXERR_CANNOTATTRSORT, L"Sorting by attribute is not supported here."),
    TAV_CODE(D3DXERR_SKINNINGNOTSUPPORTED, L"Skinning is not supported."),
    TAV_CODE(D3DXERR_TOOMANYINFLUENCES, L"Too many influences were given."),
    TAV_CODE(D3DXERR_INVALIDDATA, L"The data is not valid."),
    TAV_CODE(D3DXERR_LOADEDMESHASNODATA, L"The loaded mesh has no data."),
    TAV_CODE(D3DXERR_DUPLICATENAMEDFRAGMENT, L"A fragment with that name already exists."),
    TAV_CODE(D3DXERR_CANNOTREMOVELASTITEM, L"The last item cannot be removed."),
    TAV_CODE(XAUDIO2_E_INVALID_CALL, L"The sound call is not valid in the current state."),
    TAV_CODE(XAUDIO2_E_XMA_DECODER_ERROR, L"The hardware sound decoder failed."),
    TAV_CODE(XAUDIO2_E_XAPO_CREATION_FAILED, L"A sound effect processor could not be created."),
    TAV_CODE(XAUDIO2_E_DEVICE_INVALIDATED, L"The sound device was removed or became unusable."),
};

#undef TAV_CODE

const CodeText* Find(HRESULT hr) {
  for (const CodeText& c : kCodes)
    if (c.code == hr) return &c;
  return nullptr;
}

}  // namespace

std::wstring DXGetErrorStringW(HRESULT hr) {
  if (const CodeText* c = Find(hr)) return c->name;
  wchar_t buf[16];
  std::swprintf(buf, 16, L"0x%08X", static_cast<unsigned>(hr));
  return buf;
}

std::wstring DXGetErrorDescriptionW(HRESULT hr) {
  const CodeText* c = Find(hr);
  return c ? c->description : L"Unknown error.";
}

}  // namespace tav::os
