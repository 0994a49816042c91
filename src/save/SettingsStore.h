#pragma once
// The settings that outlive a run: read from Config.dat and Unlocked.dat
// when the title is set up, written when the player quits (or the session
// ends the game). It keeps what only the files need between those moments:
// where each slider's knob was left, and the edit panel's list.
#include <array>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "save/SettingsFile.h"

namespace tav {

class CSettingsStore {
 public:
  // Fills `settings` from prefix + "Config.dat" (the defaults when it is
  // missing or short) and adds prefix + "Unlocked.dat"'s scenes to `seen`.
  void Read(const std::wstring& prefix, const SettingsLimits& limits, Settings& settings, std::set<int32_t>& seen);
  // Writes both files, each in one step; the knobs and the edit list are
  // this store's. False when either could not be written (logged).
  bool Write(const std::wstring& prefix, Settings settings, const std::set<int32_t>& seen) const;

  std::array<float, kKnobCount> knobs{-1.0f, -1.0f, -1.0f, -1.0f, -1.0f};
  std::vector<int32_t> editList;
};

}  // namespace tav
