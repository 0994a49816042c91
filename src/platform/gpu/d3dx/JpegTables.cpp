#include "platform/gpu/d3dx/JpegTables.h"

#include <algorithm>

namespace tav::gpu::d3dx {

namespace {

constexpr uint8_t kDefineHuffmanTable = 0xC4;
constexpr size_t kMaxCodes = 256;

// The tables of one segment, read as the decoder reads them: a class and
// slot byte, 16 code counts, then as many symbols as the counts add up to,
// until the segment's stated length is used up. Bytes past the end of the
// file read as 0, as they do in the decoder.
bool SegmentTablesFit(const uint8_t* data, size_t size, size_t at, long remaining) {
  auto byte = [&](size_t i) -> uint8_t { return i < size ? data[i] : 0; };
  while (remaining > 0) {
    ++at;  // class and slot
    size_t codes = 0;
    for (int i = 0; i < 16; ++i) codes += byte(at++);
    if (codes > kMaxCodes) return false;
    at += codes;
    remaining -= long(17 + codes);
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
    if (marker == kDefineHuffmanTable && !SegmentTablesFit(data, size, at + 4, long(length) - 2)) return false;
    at += 2 + std::max<size_t>(length, 2);
  }
  return true;
}

}  // namespace tav::gpu::d3dx
