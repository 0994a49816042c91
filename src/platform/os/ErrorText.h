#pragma once
// Symbolic names and descriptions of result codes, for log lines.
#include <string>

#include "platform/os/ResultCodes.h"

namespace tav::os {

// "D3DERR_DEVICELOST" for a known code, else the code in hexadecimal.
std::wstring DXGetErrorStringW(HRESULT hr);
// One sentence saying what the code means; "Unknown error." when not known.
std::wstring DXGetErrorDescriptionW(HRESULT hr);

}  // namespace tav::os
