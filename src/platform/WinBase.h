#pragma once
// The basic Windows types that the window, graphics and font substitutes all
// use, at global scope so the engine names them as it would on the original
// system. Each substitute's own types are in its folder.
#include <cstdint>

#include "platform/os/ResultCodes.h"

using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using UINT = uint32_t;
using ULONG = uint32_t;
using BOOL = int32_t;
using LONG = int32_t;

namespace tav::os {
class Window;
}
// A window: the engine's window, or one a device presents into.
using HWND = tav::os::Window*;

namespace tav::font {
class DeviceContext;
}
// A GDI device context (the font layer's); surfaces hand one out from GetDC.
using HDC = tav::font::DeviceContext*;

struct RECT {
  int32_t left, top, right, bottom;
};
struct POINT {
  int32_t x, y;
};
// A region as a list of rectangles (the dirty region of a present).
struct RGNDATAHEADER {
  uint32_t dwSize;
  uint32_t iType;  // RDH_RECTANGLES
  uint32_t nCount;
  uint32_t nRgnSize;
  RECT rcBound;
};
struct RGNDATA {
  RGNDATAHEADER rdh;
  char Buffer[1];  // nCount RECTs follow the header
};
inline constexpr uint32_t RDH_RECTANGLES = 1;
