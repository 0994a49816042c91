#pragma once
// Message boxes and opening addresses in the user's browser.
#include "platform/os/WinTypes.h"

namespace tav::os {

// Shows a modal box (owned by `owner` when that is a live window; none is
// needed) with the buttons of MB_OK, MB_OKCANCEL, MB_YESNO or MB_YESNOCANCEL
// and the icon of MB_ICONERROR / MB_ICONWARNING / MB_ICONINFORMATION; a null
// caption is "Error". Returns the button pressed; closing the box counts as
// the cancelling button (No, Cancel or OK). When no box can be shown (no
// display) it returns that same cancelling button at once and sets the last
// error (ENODEV). An installed input source answers instead of the user.
int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);

// Opens a URL (operation null or "open") with the desktop's handler. As on the
// original system the result is a number disguised as a handle: greater than
// 32 on success, SE_ERR_NOASSOC (with the last error set) on failure.
HINSTANCE ShellExecuteW(HWND owner, LPCWSTR operation, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory,
                        int showCommand);

}  // namespace tav::os
