#include "platform/gpu/d3dx/JpegTables.h"

#include <algorithm>

namespace tav::gpu::d3dx {

namespace {

constexpr uint8_t kDefineHuffmanTable = 0xC4;
constexpr uint8_t kStartOfScan = 0xDA;
constexpr size_t kMaxCodes = 256;

// Which tables the file has defined so far, by class (DC 0, AC 1) and slot.
struct DefinedTables {
  bool defined[2][4] = {};
};

// Bytes past the end of the file read as 0, as they do in the decoder.
uint8_t ByteAt(const uint8_t* data, size_t size, size_t i) { return i < size ? data[i] : 0; }

// The tables of one segment, read as the decoder reads them: a class and
// slot byte, 16 code counts, then as many symbols as the counts add up to,
// until the segment's stated length is used up.
bool SegmentTablesFit(const uint8_t* data, size_t size, size_t at, long remaining, DefinedTables& tables) {
  while (remaining > 0) {
    const uint8_t which = ByteAt(data, size, at++);
    size_t codes = 0;
    for (int i = 0; i < 16; ++i) codes += ByteAt(data, size, at++);
    if (codes > kMaxCodes) return false;
    if (which >> 4 <= 1 && (which & 15) <= 3) tables.defined[which >> 4][which & 15] = true;
    at += codes;
    remaining -= long(17 + codes);
  }
  return true;
}

// Whether a scan's components name only tables defined before it: a DC
// table when the scan holds DC coefficients for the first time, an AC table
// when it holds AC coefficients. The decoder reads an undefined table as all
// zeros and then indexes its symbols with garbage.
bool ScanTablesDefined(const uint8_t* data, size_t size, size_t at, const DefinedTables& tables) {
  const int components = ByteAt(data, size, at++);
  const size_t spectrum = at + size_t(components) * 2;
  const uint8_t start = ByteAt(data, size, spectrum), end = ByteAt(data, size, spectrum + 1);
  const uint8_t refinement = ByteAt(data, size, spectrum + 2) >> 4;
  for (int c = 0; c < components; ++c) {
    const uint8_t selectors = ByteAt(data, size, at + size_t(c) * 2 + 1);
    const int dc = selectors >> 4, ac = selectors & 15;
    if (start == 0 && refinement == 0 && (dc > 3 || !tables.defined[0][dc])) return false;
    if (end > 0 && (ac > 3 || !tables.defined[1][ac])) return false;
  }
  return true;
}

}  // namespace

bool JpegHuffmanTablesFit(const uint8_t* data, size_t size) {
  // The decoder takes a start-of-image marker after any number of fill bytes;
  // what does not start so is no JPEG to it.
  size_t at = 0;
  while (at < size && data[at] == 0xFF) ++at;
  if (at == 0 || at >= size || data[at] != 0xD8) return true;
  ++at;
  DefinedTables tables;
  while (at + 1 < size) {
    if (data[at] != 0xFF) {  // inside a scan's coded data
      ++at;
      continue;
    }
    const uint8_t marker = data[at + 1];
    // Fill bytes, stuffed zeros and markers that carry no length.
    if (marker == 0xFF) {
      ++at;
      continue;
    }
    if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {
      at += 2;
      continue;
    }
    if (marker == 0xD9) break;  // end of image
    if (at + 3 >= size) break;
    const size_t length = size_t(data[at + 2]) << 8 | data[at + 3];
    if (marker == kDefineHuffmanTable && !SegmentTablesFit(data, size, at + 4, long(length) - 2, tables))
      return false;
    if (marker == kStartOfScan && !ScanTablesDefined(data, size, at + 4, tables)) return false;
    at += 2 + std::max<size_t>(length, 2);
  }
  return true;
}

}  // namespace tav::gpu::d3dx
