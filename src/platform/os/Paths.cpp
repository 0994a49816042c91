#include "platform/os/Paths.h"

#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/os/LastError.h"
#include "platform/os/Locale.h"

namespace tav::os {

std::wstring JoinPath(std::wstring_view a, std::wstring_view b) {
  std::wstring path(a);
  if (!path.empty() && path.back() != kPathSeparator) path.push_back(kPathSeparator);
  path.append(b);
  return path;
}

std::string NativePath(std::wstring_view path) { return WideToMultiByte(path); }

namespace {
// mkdir -p with the given mode; failures are left to the caller's later use.
void MakeFolders(const std::string& path, mode_t mode) {
  for (size_t i = 1; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '/') ::mkdir(path.substr(0, i).c_str(), mode);
  }
}
}  // namespace

bool GetAppDataFolder(std::wstring& folder) {
  std::string base;
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && xdg[0] == '/') {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/') {
      const passwd* pw = ::getpwuid(::getuid());
      home = pw ? pw->pw_dir : nullptr;
    }
    if (!home || home[0] != '/') return false;
    base = std::string(home) + "/.local/share";
  }
  struct stat st {};
  if (::stat(base.c_str(), &st) != 0) MakeFolders(base, 0700);
  return MultiByteToWide(base, folder);
}

bool PathIsDirectory(std::wstring_view path) {
  struct stat st {};
  return ::stat(NativePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateDirectory(std::wstring_view path) {
  if (::mkdir(NativePath(path).c_str(), 0755) == 0) return true;
  SetLastError(errno);
  return false;
}

}  // namespace tav::os
