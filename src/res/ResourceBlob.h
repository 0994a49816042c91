#pragma once
#include <cstdint>
#include <memory>

namespace tav {

// One decompressed archive entry. Blobs are shared: the store keeps a reference
// for the whole run, so pointers into data stay valid.
struct ResourceBlob {
  std::shared_ptr<uint8_t[]> data;
  uint32_t size = 0;  // the bytes zlib actually produced
};

}  // namespace tav
