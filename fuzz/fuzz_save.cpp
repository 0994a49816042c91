// The per-user files: the same bytes read as a save slot (its scenes and its
// label), as Config.dat and as Unlocked.dat, against a scenario of the demo's
// size.
#include <cstdint>
#include <set>
#include <string_view>
#include <vector>

#include "save/SettingsFile.h"
#include "save/SlotFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const int32_t sceneCount = 120;
  tav::SlotContents slot;
  tav::DecodeSlot(bytes, sceneCount, slot);
  std::wstring label;
  tav::DecodeSlotLabel(bytes, label);

  tav::SettingsLimits limits{sceneCount, 100, 4000, 800.0f, 600.0f};
  tav::Settings settings = tav::DefaultSettings(limits.speedMaximum, limits.autoWaitMaximum);
  std::vector<int32_t> editList;
  tav::DecodeConfig(bytes, limits, settings, editList);
  // What was read must survive being written and read again.
  tav::Settings again = tav::DefaultSettings(limits.speedMaximum, limits.autoWaitMaximum);
  std::vector<int32_t> editAgain;
  tav::DecodeConfig(tav::EncodeConfig(settings, editList), limits, again, editAgain);
  if (editAgain != editList) __builtin_trap();

  std::set<int32_t> seen;
  tav::DecodeUnlocked(bytes, sceneCount, seen);
  return 0;
}
