// The configuration and the three id files, from a bundle naming
// "Txt\config.txt", "Txt\id.txt", "Res\id.txt" and "ID\id.txt".
#include <cstdint>

#include "FuzzSupport.h"
#include "app/Config.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const tav::ArchiveStore store = tavfuzz::StoreFromBundle(data, size);
  tav::GameConfig config;
  tav::ReadConfig(store, config);
  tav::IdsAgree(store, store, store);
  return 0;
}
