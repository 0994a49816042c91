// The whole scenario from a bundle: "Txt\scene.txt" and the scene files it
// lists, read with the demo's configuration.
#include <cstdint>

#include "FuzzSupport.h"
#include "scenario/ScenarioLoader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const tav::ArchiveStore store = tavfuzz::StoreFromBundle(data, size);
  tav::GameConfig config;
  config.screenWidth = 800;
  config.screenHeight = 600;
  config.fontSize = 22;
  config.textColour = 0xFFFFFFFF;
  config.charactersPerRow = 26;
  config.textOffsetX = 64;
  config.textOffsetY = 476;
  config.nameOffsetX = 64;
  config.nameOffsetY = 437;
  config.defaultEffectDuration = 600;
  config.backlogPageCapacity = 20;
  config.messageWindowName = L"ui\\msgwin.png";
  config.speedMaximum = 100;
  config.autoWaitMaximum = 4000;
  std::vector<tav::SceneData> scenes;
  std::vector<tav::ImageSet> imageSets;
  tav::LoadScenario(store, config, nullptr, scenes, imageSets);
  return 0;
}
