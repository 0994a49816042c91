#include "save/SettingsStore.h"

#include "save/UserFiles.h"

namespace tav {

void CSettingsStore::Read(const std::wstring& prefix, const SettingsLimits& limits, Settings& settings,
                          std::set<int32_t>& seen) {
  std::string bytes;
  if (ReadUserFile(prefix + L"Config.dat", bytes)) DecodeConfig(bytes, limits, settings, editList);
  knobs = settings.knobs;
  if (ReadUserFile(prefix + L"Unlocked.dat", bytes)) DecodeUnlocked(bytes, limits.sceneCount, seen);
}

bool CSettingsStore::Write(const std::wstring& prefix, Settings settings, const std::set<int32_t>& seen) const {
  settings.knobs = knobs;
  const bool config = WriteUserFile(prefix + L"Config.dat", EncodeConfig(settings, editList));
  const bool unlocked = WriteUserFile(prefix + L"Unlocked.dat", EncodeUnlocked(seen));
  return config && unlocked;
}

}  // namespace tav
