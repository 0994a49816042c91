// The scale benchmark's game generator, at a tiny size: the same seed gives the
// same files, and the packed game is one the runtime accepts, with every
// picture and sound its scenes name present and of the right kind.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <sys/wait.h>

#include "app/Config.h"
#include "platform/gpu/d3dx/ImageDecode.h"
#include "res/ArchiveStore.h"
#include "scenario/ScenarioLoader.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

int RunQuietly(const std::string& command) {
  int status = std::system((command + " > /dev/null 2>&1").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::map<std::string, std::string> Tree(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(root))
    if (e.is_regular_file()) files[e.path().lexically_relative(root).string()] = tavtest::ReadFileBytes(e.path());
  return files;
}

std::wstring Wide(const fs::path& path) {
  std::string s = path.string();
  return std::wstring(s.begin(), s.end());
}

TEST(ScaleGen, SameSeedSameGameAndTheRuntimeAcceptsIt) {
  tavtest::TempDir dir;
  const std::string generate = std::string(TAVRI_SCALEGEN_PATH) + " '%s' --scenes 7 --megabytes 1 --seed 5 "
                                                                   "--music-seconds 1";
  for (const char* stage : {"a", "b"}) {
    char command[4096];
    std::snprintf(command, sizeof command, generate.c_str(), (dir.Path() / stage).c_str());
    ASSERT_EQ(RunQuietly(command), 0) << command;
  }
  const auto files = Tree(dir.Path() / "a");
  EXPECT_EQ(files, Tree(dir.Path() / "b"));
  uint64_t resBytes = 0;
  for (const auto& [name, bytes] : files)
    if (name.rfind("Res/", 0) == 0) resBytes += bytes.size();
  EXPECT_GE(resBytes, 1u << 20);  // pictures fill up to the size asked for

  const fs::path game = dir.Path() / "game";
  fs::create_directories(game);
  for (const char* archive : {"Res", "Txt", "ID"})
    ASSERT_EQ(RunQuietly(std::string(TAVPACK_PATH) + " create '" + (game / archive).string() + ".pac' '" +
                  (dir.Path() / "a" / archive).string() + "'"),
              0);

  tavtest::ClearErrorLog();
  tav::ArchiveStore res, text, id;
  ASSERT_TRUE(tav::ArchiveStore::Load(res, Wide(game / "Res.pac")));
  ASSERT_TRUE(tav::ArchiveStore::Load(text, Wide(game / "Txt.pac")));
  ASSERT_TRUE(tav::ArchiveStore::Load(id, Wide(game / "ID.pac")));
  tav::GameConfig config;
  ASSERT_TRUE(tav::ReadConfig(text, config));
  EXPECT_EQ(config.screenWidth, 1280);
  EXPECT_EQ(config.screenHeight, 720);
  EXPECT_TRUE(tav::IdsAgree(text, res, id));
  std::vector<tav::SceneData> scenes;
  std::vector<tav::ImageSet> imageSets;
  ASSERT_TRUE(tav::LoadScenario(text, config, nullptr, scenes, imageSets));
  EXPECT_EQ(scenes.size(), 7u);
  ASSERT_EQ(imageSets.size(), 1u);

  auto isPicture = [&](const std::wstring& name) {
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    D3DXIMAGE_INFO info{};
    return res.Get(L"Res\\" + name, &data, &size) && tav::gpu::d3dx::ReadCodecInfo(data, size, info) &&
           (info.Width == 1280 || name.find(L"ch\\") == 0 || name == config.messageWindowName);
  };
  auto isSound = [&](const std::wstring& name) {
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    return res.Get(L"Res\\" + name, &data, &size) && size > 4 && std::string(data, data + 4) == "OggS";
  };
  EXPECT_TRUE(isPicture(config.messageWindowName));
  size_t voices = 0;
  for (const tav::SceneData& scene : scenes) {
    EXPECT_GE(scene.images.size(), 1u);
    for (const tav::ImageEntry& image : scene.images) EXPECT_TRUE(isPicture(image.image));
    for (const tav::SoundEntry& sound : scene.sounds) {
      EXPECT_TRUE(isSound(sound.name));
      voices += sound.name.find(L"voice\\") == 0;
    }
  }
  EXPECT_EQ(voices, 6u);  // every scene but the fifth is spoken
  EXPECT_EQ(tavtest::ReadErrorLog(), "");
}

}  // namespace
