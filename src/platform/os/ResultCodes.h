#pragma once
// Result codes of the graphics, image, shader and sound substitutes, with the
// numeric values the original interfaces use, so that logs and stored numbers
// mean the same on every platform.
#include <cstdint>

using HRESULT = int32_t;

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

namespace tav::os::detail {
constexpr HRESULT Code(uint32_t value) { return static_cast<HRESULT>(value); }
}  // namespace tav::os::detail

// Common codes.
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = tav::os::detail::Code(0x80004001);
inline constexpr HRESULT E_NOINTERFACE = tav::os::detail::Code(0x80004002);
inline constexpr HRESULT E_POINTER = tav::os::detail::Code(0x80004003);
inline constexpr HRESULT E_ABORT = tav::os::detail::Code(0x80004004);
inline constexpr HRESULT E_FAIL = tav::os::detail::Code(0x80004005);
inline constexpr HRESULT E_UNEXPECTED = tav::os::detail::Code(0x8000FFFF);
inline constexpr HRESULT E_ACCESSDENIED = tav::os::detail::Code(0x80070005);
inline constexpr HRESULT E_HANDLE = tav::os::detail::Code(0x80070006);
inline constexpr HRESULT E_OUTOFMEMORY = tav::os::detail::Code(0x8007000E);
inline constexpr HRESULT E_INVALIDARG = tav::os::detail::Code(0x80070057);
inline constexpr HRESULT RPC_E_CHANGED_MODE = tav::os::detail::Code(0x80010106);
inline constexpr HRESULT CLASS_E_NOAGGREGATION = tav::os::detail::Code(0x80040110);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = tav::os::detail::Code(0x80040154);
inline constexpr HRESULT CO_E_NOTINITIALIZED = tav::os::detail::Code(0x800401F0);

// Direct3D 9.
inline constexpr HRESULT D3D_OK = S_OK;
inline constexpr HRESULT D3DOK_NOAUTOGEN = tav::os::detail::Code(0x0876086F);
inline constexpr HRESULT S_NOT_RESIDENT = tav::os::detail::Code(0x08760875);
inline constexpr HRESULT S_RESIDENT_IN_SHARED_MEMORY = tav::os::detail::Code(0x08760876);
inline constexpr HRESULT S_PRESENT_MODE_CHANGED = tav::os::detail::Code(0x08760877);
inline constexpr HRESULT S_PRESENT_OCCLUDED = tav::os::detail::Code(0x08760878);
inline constexpr HRESULT D3DERR_OUTOFVIDEOMEMORY = tav::os::detail::Code(0x8876017C);
inline constexpr HRESULT D3DERR_WASSTILLDRAWING = tav::os::detail::Code(0x8876021C);
inline constexpr HRESULT D3DERR_WRONGTEXTUREFORMAT = tav::os::detail::Code(0x88760818);
inline constexpr HRESULT D3DERR_UNSUPPORTEDCOLOROPERATION = tav::os::detail::Code(0x88760819);
inline constexpr HRESULT D3DERR_UNSUPPORTEDCOLORARG = tav::os::detail::Code(0x8876081A);
inline constexpr HRESULT D3DERR_UNSUPPORTEDALPHAOPERATION = tav::os::detail::Code(0x8876081B);
inline constexpr HRESULT D3DERR_UNSUPPORTEDALPHAARG = tav::os::detail::Code(0x8876081C);
inline constexpr HRESULT D3DERR_TOOMANYOPERATIONS = tav::os::detail::Code(0x8876081D);
inline constexpr HRESULT D3DERR_CONFLICTINGTEXTUREFILTER = tav::os::detail::Code(0x8876081E);
inline constexpr HRESULT D3DERR_UNSUPPORTEDFACTORVALUE = tav::os::detail::Code(0x8876081F);
inline constexpr HRESULT D3DERR_CONFLICTINGRENDERSTATE = tav::os::detail::Code(0x88760821);
inline constexpr HRESULT D3DERR_UNSUPPORTEDTEXTUREFILTER = tav::os::detail::Code(0x88760822);
inline constexpr HRESULT D3DERR_CONFLICTINGTEXTUREPALETTE = tav::os::detail::Code(0x88760826);
inline constexpr HRESULT D3DERR_DRIVERINTERNALERROR = tav::os::detail::Code(0x88760827);
inline constexpr HRESULT D3DERR_NOTFOUND = tav::os::detail::Code(0x88760866);
inline constexpr HRESULT D3DERR_MOREDATA = tav::os::detail::Code(0x88760867);
inline constexpr HRESULT D3DERR_DEVICELOST = tav::os::detail::Code(0x88760868);
inline constexpr HRESULT D3DERR_DEVICENOTRESET = tav::os::detail::Code(0x88760869);
inline constexpr HRESULT D3DERR_NOTAVAILABLE = tav::os::detail::Code(0x8876086A);
inline constexpr HRESULT D3DERR_INVALIDDEVICE = tav::os::detail::Code(0x8876086B);
inline constexpr HRESULT D3DERR_INVALIDCALL = tav::os::detail::Code(0x8876086C);
inline constexpr HRESULT D3DERR_DRIVERINVALIDCALL = tav::os::detail::Code(0x8876086D);
inline constexpr HRESULT D3DERR_DEVICEREMOVED = tav::os::detail::Code(0x88760870);
inline constexpr HRESULT D3DERR_DEVICEHUNG = tav::os::detail::Code(0x88760874);

// D3DX.
inline constexpr HRESULT D3DXERR_CANNOTMODIFYINDEXBUFFER = tav::os::detail::Code(0x88760B54);
inline constexpr HRESULT D3DXERR_INVALIDMESH = tav::os::detail::Code(0x88760B55);
inline constexpr HRESULT D3DXERR_CANNOTATTRSORT = tav::os::detail::Code(0x88760B56);
inline constexpr HRESULT D3DXERR_SKINNINGNOTSUPPORTED = tav::os::detail::Code(0x88760B57);
inline constexpr HRESULT D3DXERR_TOOMANYINFLUENCES = tav::os::detail::Code(0x88760B58);
inline constexpr HRESULT D3DXERR_INVALIDDATA = tav::os::detail::Code(0x88760B59);
inline constexpr HRESULT D3DXERR_LOADEDMESHASNODATA = tav::os::detail::Code(0x88760B5A);
inline constexpr HRESULT D3DXERR_DUPLICATENAMEDFRAGMENT = tav::os::detail::Code(0x88760B5B);
inline constexpr HRESULT D3DXERR_CANNOTREMOVELASTITEM = tav::os::detail::Code(0x88760B5C);

// XAudio2.
inline constexpr HRESULT XAUDIO2_E_INVALID_CALL = tav::os::detail::Code(0x88960001);
inline constexpr HRESULT XAUDIO2_E_XMA_DECODER_ERROR = tav::os::detail::Code(0x88960002);
inline constexpr HRESULT XAUDIO2_E_XAPO_CREATION_FAILED = tav::os::detail::Code(0x88960003);
inline constexpr HRESULT XAUDIO2_E_DEVICE_INVALIDATED = tav::os::detail::Code(0x88960004);
