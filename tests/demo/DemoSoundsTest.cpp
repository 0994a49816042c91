// Every sound the scenario names is in the resource archive and decodes to
// its end as Ogg Vorbis: a missing or damaged one would only be silence in
// play, with nothing on screen to tell.
#include <gtest/gtest.h>

#include <vorbis/vorbisfile.h>

#include <map>
#include <set>

#include "audio/OggStream.h"
#include "demo/DemoGame.h"
#include "platform/os/Locale.h"

namespace demotest {
namespace {

// The sound names of the scenario with the channel types they are played on;
// the music button's piece counts as music.
std::map<std::wstring, std::set<int32_t>> ScenarioSounds() {
  std::map<std::wstring, std::set<int32_t>> sounds;
  for (const auto& scene : Game().scenes) {
    for (const auto& s : scene.sounds) sounds[s.name].insert(s.type);
    for (const auto& e : scene.images)
      if (e.actionCode == 18) sounds[e.actionText].insert(0);
  }
  return sounds;
}

// Seconds of sound, or -1 when the bytes do not decode to their end.
double DecodedSeconds(const uint8_t* data, uint32_t size) {
  tav::MemorySource source{data, int64_t(size), 0};
  const ov_callbacks callbacks{&tav::MemoryRead, [](void* s, ogg_int64_t o, int w) { return tav::MemorySeek(s, o, w); },
                               &tav::MemoryClose, &tav::MemoryTell};
  OggVorbis_File file;
  if (ov_open_callbacks(&source, &file, nullptr, 0, callbacks) != 0) return -1;
  const vorbis_info* info = ov_info(&file, -1);
  const long rate = info ? info->rate : 0;
  const int channels = info ? info->channels : 0;
  int64_t frames = 0;
  char buffer[8192];
  for (;;) {
    int section = 0;
    const long got = ov_read(&file, buffer, sizeof buffer, 0, 2, 1, &section);
    if (got < 0 || rate <= 0 || channels <= 0) {
      ov_clear(&file);
      return -1;
    }
    if (got == 0) break;
    frames += got / (2 * channels);
  }
  ov_clear(&file);
  return double(frames) / double(rate);
}

TEST(DemoSounds, EverySoundTheScenarioNamesDecodesToItsEnd) {
  ASSERT_TRUE(Game().scenarioLoaded);
  const auto sounds = ScenarioSounds();
  EXPECT_GE(sounds.size(), 14u);  // three pieces, two effects, nine voiced lines
  std::set<int32_t> types;
  for (const auto& [name, on] : sounds) {
    SCOPED_TRACE(tav::os::WideToMultiByte(name));
    types.insert(on.begin(), on.end());
    EXPECT_EQ(on.size(), 1u) << "one sound played on two channels";
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    ASSERT_TRUE(Game().res.Get(L"Res\\" + name, &data, &size)) << "not in Res.pac";
    const double seconds = DecodedSeconds(data, size);
    EXPECT_GT(seconds, 0.5);
  }
  EXPECT_EQ(types, (std::set<int32_t>{0, 1, 2}));
}

}  // namespace
}  // namespace demotest
