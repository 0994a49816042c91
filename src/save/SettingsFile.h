#pragma once
// The player's settings and the seen scenes as they are kept between runs:
//   Config.dat    a 64-byte settings record, int32 N, N x int32 edit-list scenes
//   Unlocked.dat  int32 count, count x int32 seen scenes, ascending
#include <array>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

// The channels' order in `volumes` and the sliders' order in `knobs`.
enum SliderKnob : size_t { kKnobMusic, kKnobEffect, kKnobVoice, kKnobTextSpeed, kKnobAutoWait, kKnobCount };

struct Settings {
  std::array<float, 3> volumes{1.0f, 1.0f, 1.0f};  // music, effect, voice: 0 to sqrt(10)
  int32_t textSpeed = 0;                           // ms between glyphs
  int32_t autoWait = 0;                            // ms before auto mode goes on
  bool instantEffects = false;
  bool skipUnread = false;
  bool option = true;  // the message window drawn opaque
  float level = 1.0f;  // its opacity while `option` is clear
  // Where each slider's knob was left; -1 while it was never moved.
  std::array<float, kKnobCount> knobs{-1.0f, -1.0f, -1.0f, -1.0f, -1.0f};
  // The message window's base offset (x, y), then its current offset (x, y).
  std::array<float, 4> offsets{};
};

// What values read from a file may be: the scenario's size, the sliders'
// maxima and the screen.
struct SettingsLimits {
  int32_t sceneCount = 0;
  uint32_t speedMaximum = 0;
  uint32_t autoWaitMaximum = 0;
  float screenWidth = 0;
  float screenHeight = 0;
};

inline constexpr float kMaximumVolume = 3.16227766f;  // 10^0.5

// The defaults: text speed and auto wait at half their maxima.
Settings DefaultSettings(uint32_t speedMaximum, uint32_t autoWaitMaximum);

std::string EncodeConfig(const Settings& settings, const std::vector<int32_t>& editList);
// A record shorter than 64 bytes leaves `settings` as it is; values a file
// cannot mean fall back to their defaults or are clamped into range; edit-list
// entries that are -1 or outside the scene table are dropped.
void DecodeConfig(std::string_view bytes, const SettingsLimits& limits, Settings& settings,
                  std::vector<int32_t>& editList);

std::string EncodeUnlocked(const std::set<int32_t>& seen);
// Adds the file's scenes to `seen`, leaving out -1 and scenes outside the table.
void DecodeUnlocked(std::string_view bytes, int32_t sceneCount, std::set<int32_t>& seen);

}  // namespace tav
