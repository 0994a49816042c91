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

}  // namespace

bool ReadUserFile(const std::wstring& name, std::string& bytes) {
  std::wstring folder;
  if (!GetUserFolder(folder)) return false;
  return os::ReadWholeFile(os::JoinPath(folder, name), bytes, kLargestUserFile);
}

bool WriteUserFile(const std::wstring& name, std::string_view bytes) {
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
