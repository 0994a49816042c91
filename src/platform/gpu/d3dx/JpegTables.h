#pragma once
// A check of JPEG files before they reach the decoder: its Huffman table
// reader writes one entry per code into fixed arrays of 256, trusting the
// code counts of the file, so a table that counts more codes would write past
// them; and a scan that uses a table never defined makes it read far outside
// the table.
#include <cstddef>
#include <cstdint>

namespace tav::gpu::d3dx {

// False when a Huffman table segment of the file (before or between its
// scans) counts more than 256 codes in one table, or when a scan uses a table
// no segment before it defined. Any file the decoder would read as a JPEG is
// looked at, which includes one whose start-of-image marker follows extra
// fill bytes. Anything else that is wrong is left to the decoder to find.
bool JpegHuffmanTablesFit(const uint8_t* data, size_t size);

}  // namespace tav::gpu::d3dx
