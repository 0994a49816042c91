#include "save/UserFiles.h"

#include "core/ErrorLog.h"
#include "core/UserFolder.h"
#include "platform/os/Files.h"
#include "platform/os/LastError.h"
#include "platform/os/Paths.h"

namespace tav {
namespace {

// Far more than any save or settings file of a real game holds.
constexpr size_t kLargestUserFile = 16u << 20;

// The names are made of the game's data (its file prefix, a slot button's
// text), so a damaged or hostile game could name a file in another folder.
bool IsPlainName(const std::wstring& name) {
  const std::wstring separators(L"/\0", 2);
  return !name.empty() && name != L"." && name != L".." && name.find_first_of(separators) == std::wstring::npos;
}

}  // namespace

bool ReadUserFile(const std::wstring& name, std::string& bytes) {
  std::wstring folder;
  if (!IsPlainName(name) || !GetUserFolder(folder)) return false;
  return os::ReadWholeFile(os::JoinPath(folder, name), bytes, kLargestUserFile);
}

bool WriteUserFile(const std::wstring& name, std::string_view bytes) {
  if (!IsPlainName(name)) {
    LogError(name + L": not a file name the per-user folder can hold");
    return false;
  }
  std::wstring folder;
  if (!GetUserFolder(folder)) {
    LogError(name + L": no per-user folder to write it in");
    return false;
  }
  const std::wstring path = os::JoinPath(folder, name);
  if (os::ReplaceFile(path, bytes)) return true;
  LogError(path + L": cannot write: " + os::SystemMessage(os::GetLastError()));
  return false;
}

}  // namespace tav
