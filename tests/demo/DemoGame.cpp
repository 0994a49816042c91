#include "demo/DemoGame.h"

#include <gtest/gtest.h>

#include "core/ErrorLog.h"
#include "platform/gpu/d3dx/ImageFile.h"
#include "platform/os/Locale.h"
#include "res/PacFormat.h"
#include "res/TextLines.h"
#include "scenario/ScenarioLoader.h"
#include "support/TempDir.h"

namespace demotest {

namespace {

bool LoadArchive(tav::ArchiveStore& store, const std::filesystem::path& path) {
  std::wstring wide;
  return tav::os::MultiByteToWide(path.string(), wide) && tav::ArchiveStore::Load(store, wide);
}

DemoGame LoadGame() {
  DemoGame game;
  game.folder = TAVRI_DEMO_DIR;
  game.loaded = LoadArchive(game.res, game.folder / "Res.pac") && LoadArchive(game.txt, game.folder / "Txt.pac") &&
                LoadArchive(game.id, game.folder / "ID.pac");
  if (!game.loaded) return game;
  game.configRead = tav::ReadConfig(game.txt, game.config);
  if (!game.configRead) return game;
  tav::SetLogSink([&](std::wstring_view line) { game.scenarioLog.emplace_back(line); });
  game.scenarioLoaded = tav::LoadScenario(game.txt, game.config, nullptr, game.scenes, game.sets);
  tav::SetLogSink({});
  return game;
}

}  // namespace

const DemoGame& Game() {
  static const DemoGame game = LoadGame();
  return game;
}

std::vector<std::wstring> EntryNames(const std::filesystem::path& archive) {
  std::string bytes = tavtest::ReadFileBytes(archive);
  std::vector<tav::pac::Entry> entries;
  std::wstring problem;
  std::vector<std::wstring> names;
  if (!tav::pac::ReadDirectory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), entries, problem)) {
    ADD_FAILURE() << archive << ": " << tav::os::WideToMultiByte(problem);
    return names;
  }
  for (const auto& e : entries) names.push_back(e.name);
  return names;
}

std::vector<std::wstring> TextLines(const tav::ArchiveStore& store, const std::wstring& name) {
  const uint8_t* data = nullptr;
  uint32_t size = 0;
  std::vector<std::wstring> out;
  if (!store.Get(name, &data, &size)) return out;
  std::vector<std::string> lines;
  tav::SplitLines(data, size, lines);
  for (const std::string& line : lines) out.push_back(tav::LineToWide(line));
  return out;
}

bool DecodeResource(const std::wstring& name, tav::gpu::d3dx::Image& image) {
  const uint8_t* data = nullptr;
  uint32_t size = 0;
  if (!Game().res.Get(L"Res\\" + name, &data, &size)) return false;
  tav::gpu::d3dx::ImageFile file;
  return tav::gpu::d3dx::OpenImageFile(data, size, file) == D3D_OK &&
         tav::gpu::d3dx::DecodeImageLevel(file, 0, image) == D3D_OK;
}

}  // namespace demotest
