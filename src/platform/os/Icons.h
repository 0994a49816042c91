#pragma once
// Icons loaded from .ico files.
#include "platform/os/WinTypes.h"

struct SDL_Surface;

namespace tav::os {

// IMAGE_ICON with LR_LOADFROMFILE: reads the .ico file `name` (relative to the
// working folder) and returns the entry that fits cx x cy best, scaled to that
// size (0: the entry's own size; LR_DEFAULTSIZE: 32). With LR_SHARED the same
// request returns the same handle, which DestroyIcon leaves alone. Null for a
// missing file (ENOENT), a damaged one (EINVAL), a file over 16 MiB (EFBIG),
// other image types or resources (ENOTSUP).
HANDLE LoadImageW(HINSTANCE instance, LPCWSTR name, UINT type, int cx, int cy, UINT flags);
BOOL DestroyIcon(HICON icon);

// The icon's pixels (SDL_PIXELFORMAT_RGBA32), null for a handle that is not
// a live icon.
SDL_Surface* IconSurface(HICON icon);

}  // namespace tav::os
