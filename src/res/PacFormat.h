#pragma once
// The pac archive format: a count, compressed name records, a directory of
// (offset, compressed length, length) records, and one zlib stream per entry.
// All integers are unsigned 32-bit little-endian. Reading validates every count,
// length and offset against the file before anything is allocated or read.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "res/ResourceBlob.h"

namespace tav::pac {

struct Entry {
  std::wstring name;
  uint32_t offset = 0;
  uint32_t compressedSize = 0;
  uint32_t size = 0;  // as stated in the directory
};

// The most bytes a zlib stream of `compressed` bytes can inflate to (deflate
// cannot do better than about 1032 to 1). Buffers are never larger than this,
// whatever a header claims.
uint64_t MaxInflatedSize(uint64_t compressed);

// Reads the name table and the directory of an archive held in memory.
// On failure returns false and describes the problem in `problem`.
bool ReadDirectory(const uint8_t* file, size_t fileSize, std::vector<Entry>& entries, std::wstring& problem);

// Inflates one entry whose bounds ReadDirectory checked.
bool InflateEntry(const uint8_t* file, const Entry& entry, ResourceBlob& blob, std::wstring& problem);

// Writing: the bytes of an archive holding `names` (already in the locale's
// multibyte form, without terminator) with the given zlib streams.
struct PackedEntry {
  std::string name;          // multibyte, without its NUL
  uint32_t wideLength = 0;   // the name's length in wide characters
  std::vector<uint8_t> stream;
  uint32_t size = 0;         // uncompressed length
};
bool BuildArchive(const std::vector<PackedEntry>& entries, int level, std::vector<uint8_t>& out, std::wstring& problem);

}  // namespace tav::pac
