#include "save/SettingsFile.h"

#include <algorithm>
#include <cmath>

#include "save/Bytes.h"

namespace tav {
namespace {

constexpr size_t kRecordSize = 64;

float Sane(float value, float fallback, float low, float high) {
  return std::isfinite(value) ? std::clamp(value, low, high) : fallback;
}

int32_t HalfOf(uint32_t maximum) { return int32_t(std::min<uint32_t>(maximum / 2, INT32_MAX)); }

int32_t Within(int32_t value, uint32_t maximum) {
  return std::clamp<int32_t>(value, 0, int32_t(std::min<uint32_t>(maximum, INT32_MAX)));
}

// Reads count-prefixed scene indices while the bytes last, keeping those of
// the table.
template <typename Keep>
void ReadScenes(CByteReader& in, int32_t sceneCount, Keep keep) {
  int32_t count = 0;
  if (!in.Int32(count)) return;
  for (int32_t i = 0; i < count && in.Remaining() >= 4; ++i) {
    int32_t scene = -1;
    in.Int32(scene);
    if (scene >= 0 && scene < sceneCount) keep(scene);
  }
}

}  // namespace

Settings DefaultSettings(uint32_t speedMaximum, uint32_t autoWaitMaximum) {
  Settings settings;
  settings.textSpeed = HalfOf(speedMaximum);
  settings.autoWait = HalfOf(autoWaitMaximum);
  return settings;
}

std::string EncodeConfig(const Settings& s, const std::vector<int32_t>& editList) {
  std::string out;
  for (float volume : s.volumes) PutFloat(out, volume);
  PutInt32(out, s.textSpeed);
  PutInt32(out, s.autoWait);
  const uint8_t flags[4] = {uint8_t(s.instantEffects), uint8_t(s.skipUnread), uint8_t(s.option), 0};
  PutBytes(out, flags, 4);
  PutFloat(out, s.level);
  for (float knob : s.knobs) PutFloat(out, knob);
  for (float offset : s.offsets) PutFloat(out, offset);
  PutInt32(out, int32_t(editList.size()));
  for (int32_t scene : editList) PutInt32(out, scene);
  return out;
}

void DecodeConfig(std::string_view bytes, const SettingsLimits& limits, Settings& settings,
                  std::vector<int32_t>& editList) {
  editList.clear();
  if (bytes.size() < kRecordSize) return;
  const Settings defaults = DefaultSettings(limits.speedMaximum, limits.autoWaitMaximum);
  CByteReader in(bytes);
  Settings s;
  for (float& volume : s.volumes) in.Float(volume);
  in.Int32(s.textSpeed);
  in.Int32(s.autoWait);
  uint8_t flags[4] = {};
  for (uint8_t& flag : flags) in.Byte(flag);
  s.instantEffects = flags[0] != 0;
  s.skipUnread = flags[1] != 0;
  s.option = flags[2] != 0;  // flags[3] is padding
  in.Float(s.level);
  for (float& knob : s.knobs) in.Float(knob);
  for (float& offset : s.offsets) in.Float(offset);

  // Damaged values fall back or are clamped: a volume of a billion would
  // deafen, a knob far off the screen could never be grabbed again.
  for (size_t i = 0; i < s.volumes.size(); ++i) s.volumes[i] = Sane(s.volumes[i], defaults.volumes[i], 0, kMaximumVolume);
  s.textSpeed = Within(s.textSpeed, limits.speedMaximum);
  s.autoWait = Within(s.autoWait, limits.autoWaitMaximum);
  s.level = Sane(s.level, defaults.level, 0, 1);
  for (float& knob : s.knobs)
    if (!std::isfinite(knob) || knob < 0 || knob > limits.screenWidth) knob = -1.0f;
  for (size_t i = 0; i < s.offsets.size(); ++i) {
    const float extent = i % 2 == 0 ? limits.screenWidth : limits.screenHeight;
    s.offsets[i] = Sane(s.offsets[i], 0, -extent, extent);
  }
  settings = s;
  ReadScenes(in, limits.sceneCount, [&](int32_t scene) { editList.push_back(scene); });
}

std::string EncodeUnlocked(const std::set<int32_t>& seen) {
  std::string out;
  PutInt32(out, int32_t(seen.size()));
  for (int32_t scene : seen) PutInt32(out, scene);
  return out;
}

void DecodeUnlocked(std::string_view bytes, int32_t sceneCount, std::set<int32_t>& seen) {
  CByteReader in(bytes);
  ReadScenes(in, sceneCount, [&](int32_t scene) { seen.insert(scene); });
}

}  // namespace tav
