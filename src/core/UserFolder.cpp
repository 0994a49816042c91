#include "core/UserFolder.h"

#include "platform/os/Paths.h"

namespace tav {

std::wstring EngineFolderName = L"_TavErr";

bool GetUserFolder(std::wstring& folder) {
  std::wstring base;
  if (!os::GetAppDataFolder(base)) return false;
  folder = os::JoinPath(base, EngineFolderName);
  // A failure here shows up as the failed open of the file the caller wants.
  if (!os::PathIsDirectory(folder)) os::CreateDirectory(folder);
  return true;
}

}  // namespace tav
