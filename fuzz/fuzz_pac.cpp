// A pac archive as the loader reads it from memory: the directory, then every
// entry inflated, then each entry asked for by name.
#include <cstdint>

#include "res/ArchiveStore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tav::ArchiveStore store;
  tav::ArchiveStore::LoadFromMemory(store, data, size, L"fuzz.pac", 1);
  for (const std::wstring& name : store.Names()) {
    const uint8_t* bytes = nullptr;
    uint32_t count = 0;
    store.Get(name, &bytes, &count);
  }
  return 0;
}
