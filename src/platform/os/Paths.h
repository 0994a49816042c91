#pragma once
// File-system paths. Inside the engine paths are wide text; the file system
// receives them in the locale's multibyte form.
#include <string>
#include <string_view>

namespace tav::os {

inline constexpr wchar_t kPathSeparator = L'/';

// a + separator + b.
std::wstring JoinPath(std::wstring_view a, std::wstring_view b);

// The wide path in the form the file system takes.
std::string NativePath(std::wstring_view path);

// The per-user data folder: $XDG_DATA_HOME when it is an absolute path, else
// $HOME/.local/share. The folder is created (mode 0700) when it does not exist
// yet, as a fresh account may lack it. False when no home folder is known.
bool GetAppDataFolder(std::wstring& folder);

bool PathIsDirectory(std::wstring_view path);

// Makes one folder; the parent must exist. False when it could not be made.
bool CreateDirectory(std::wstring_view path);

}  // namespace tav::os
