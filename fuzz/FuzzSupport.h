#pragma once
// What the fuzz targets share: a quiet, contained process set up once, and
// "bundles", inputs that hold several named text files.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "res/ArchiveStore.h"

namespace tavfuzz {

// Log lines written since the process started (they go nowhere else).
size_t LoggedLines();

// A bundle is a run of files, each introduced by a line "@@ NAME" at the start
// of a line; its bytes run up to the next such line. Bytes before the first
// name are ignored. Names are taken byte for byte ("Txt\scene.txt").
struct BundleFile {
  std::wstring name;
  const uint8_t* data = nullptr;
  size_t size = 0;
};
std::vector<BundleFile> SplitBundle(const uint8_t* data, size_t size);

// A store holding a bundle's files; a name given twice keeps its first file.
tav::ArchiveStore StoreFromBundle(const uint8_t* data, size_t size);

}  // namespace tavfuzz
