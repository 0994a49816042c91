#pragma once
// The demo game as the build packed it (<build>/game), loaded once for all
// demo tests: the three archives, the configuration and the scenario.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/Config.h"
#include "platform/gpu/d3dx/Image.h"
#include "res/ArchiveStore.h"
#include "scenario/SceneData.h"

namespace demotest {

struct DemoGame {
  std::filesystem::path folder;
  tav::ArchiveStore res, txt, id;
  bool loaded = false;        // all three archives
  tav::GameConfig config;
  bool configRead = false;
  std::vector<tav::SceneData> scenes;
  std::vector<tav::ImageSet> sets;
  bool scenarioLoaded = false;
  std::vector<std::wstring> scenarioLog;  // what LoadScenario logged
};

const DemoGame& Game();

// Every entry name of a packed archive file, in archive order.
std::vector<std::wstring> EntryNames(const std::filesystem::path& archive);

// The kept lines of a text resource, as the engine reads them.
std::vector<std::wstring> TextLines(const tav::ArchiveStore& store, const std::wstring& name);

// A picture of the resource archive decoded; false when missing or damaged.
bool DecodeResource(const std::wstring& name, tav::gpu::d3dx::Image& image);

}  // namespace demotest
