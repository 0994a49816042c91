#include "res/Stores.h"

namespace tav {

std::wstring ResFolderName = L"Res";
ArchiveStore& ResStore() {
  static ArchiveStore store;
  return store;
}

ArchiveStore& TextStore() {
  static ArchiveStore store;
  return store;
}

ArchiveStore& IdStore() {
  static ArchiveStore store;
  return store;
}

std::wstring ResKey(std::wstring_view name) {
  std::wstring key = ResFolderName;
  key += L'\\';
  key += name;
  return key;
}

std::wstring ResArchiveFileName() { return ResFolderName + L".pac"; }

}  // namespace tav
