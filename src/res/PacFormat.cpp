#include "res/PacFormat.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <zlib.h>

#include "platform/os/LastError.h"
#include "platform/os/Locale.h"

namespace tav::pac {

namespace {

constexpr size_t kHeaderSize = 4;
constexpr size_t kNameRecordSize = 12;  // before the compressed name bytes
constexpr size_t kDirectoryRecordSize = 12;

uint32_t ReadU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

std::wstring Num(uint64_t v) { return std::to_wstring(v); }

// Inflates `compressed` into a buffer of the stated size, capped by what the
// stream can possibly produce. Returns the zlib result; `produced` gets the size.
int Inflate(const uint8_t* compressed, uint32_t compressedSize, uint32_t statedSize,
            std::shared_ptr<uint8_t[]>& out, uint32_t& produced) {
  uint64_t capacity = std::min<uint64_t>(statedSize, MaxInflatedSize(compressedSize));
  out = std::make_shared_for_overwrite<uint8_t[]>(capacity);
  uLongf length = static_cast<uLongf>(capacity);
  int result = uncompress(out.get(), &length, compressed, compressedSize);
  produced = static_cast<uint32_t>(length);
  return result;
}

std::wstring ZlibProblem(const std::wstring& what, int result) {
  if (result == Z_BUF_ERROR) return what + L" inflates to more than its stated length";
  if (result == Z_MEM_ERROR) return what + L" needs more memory than is available";
  return what + L" is not a valid zlib stream";
}

}  // namespace

uint64_t MaxInflatedSize(uint64_t compressed) { return compressed * 1032 + 64; }

bool ReadDirectory(const uint8_t* file, size_t fileSize, std::vector<Entry>& entries, std::wstring& problem) {
  entries.clear();
  if (fileSize < kHeaderSize) {
    problem = L"the file is too short for an archive (" + Num(fileSize) + L" bytes)";
    return false;
  }
  const uint32_t count = ReadU32(file);
  // Every entry needs a name record and a directory record; a count the file
  // cannot hold is refused before anything is reserved for it.
  const uint64_t room = (fileSize - kHeaderSize) / (kNameRecordSize + kDirectoryRecordSize);
  if (count > room) {
    problem = L"entry count " + Num(count) + L" is more than a file of " + Num(fileSize) + L" bytes can hold";
    return false;
  }
  entries.resize(count);

  size_t pos = kHeaderSize;
  std::vector<uint8_t> text;
  std::wstring wide;
  for (uint32_t i = 0; i < count; ++i) {
    const std::wstring what = L"name " + Num(i);
    if (fileSize - pos < kNameRecordSize) {
      problem = what + L" runs past the end of the file";
      return false;
    }
    const uint32_t wideLength = ReadU32(file + pos);
    const uint32_t statedLength = ReadU32(file + pos + 4);
    const uint32_t compressedSize = ReadU32(file + pos + 8);
    pos += kNameRecordSize;
    if (fileSize - pos < compressedSize) {
      problem = what + L" runs past the end of the file";
      return false;
    }
    std::shared_ptr<uint8_t[]> bytes;
    uint32_t produced = 0;
    int result = Inflate(file + pos, compressedSize, statedLength, bytes, produced);
    if (result != Z_OK) {
      problem = ZlibProblem(what, result);
      return false;
    }
    pos += compressedSize;

    // The name text carries its NUL; together with it the wide form must fit in
    // both the stated wide length + 1 and the number of bytes the text has.
    if (!os::MultiByteToWide(std::string_view(reinterpret_cast<const char*>(bytes.get()), produced), wide)) {
      problem = what + L" cannot be converted from the locale's encoding: " + os::SystemMessage(EILSEQ);
      return false;
    }
    const uint64_t fits = std::min<uint64_t>(produced, uint64_t{wideLength} + 1);
    if (wide.size() + 1 > fits) {
      problem = what + L" (\"" + wide + L"\") is longer than its record says or lacks its terminating NUL";
      return false;
    }
    entries[i].name = wide;
  }

  if ((fileSize - pos) / kDirectoryRecordSize < count) {
    problem = L"the directory runs past the end of the file";
    return false;
  }
  for (uint32_t i = 0; i < count; ++i, pos += kDirectoryRecordSize) {
    Entry& e = entries[i];
    e.offset = ReadU32(file + pos);
    e.compressedSize = ReadU32(file + pos + 4);
    e.size = ReadU32(file + pos + 8);
    if (e.offset > fileSize || fileSize - e.offset < e.compressedSize) {
      problem = L"the data of \"" + e.name + L"\" lies outside the file";
      return false;
    }
  }
  return true;
}

bool InflateEntry(const uint8_t* file, const Entry& entry, ResourceBlob& blob, std::wstring& problem) {
  std::shared_ptr<uint8_t[]> data;
  uint32_t produced = 0;
  int result = Inflate(file + entry.offset, entry.compressedSize, entry.size, data, produced);
  if (result != Z_OK) {
    problem = ZlibProblem(L"the data of \"" + entry.name + L"\"", result);
    return false;
  }
  // A header that overstates the size leaves a mostly empty buffer: keep only
  // what was produced, so such an archive cannot hold memory it does not use.
  if (produced < entry.size / 2 && entry.size - produced > 65536) {
    auto exact = std::make_shared_for_overwrite<uint8_t[]>(produced);
    std::memcpy(exact.get(), data.get(), produced);
    data = std::move(exact);
  }
  blob.data = std::move(data);
  blob.size = produced;
  return true;
}

bool BuildArchive(const std::vector<PackedEntry>& entries, int level, std::vector<uint8_t>& out, std::wstring& problem) {
  constexpr uint64_t kLimit = std::numeric_limits<uint32_t>::max();
  out.clear();
  if (entries.size() > kLimit) {
    problem = L"too many entries for one archive";
    return false;
  }
  PutU32(out, static_cast<uint32_t>(entries.size()));
  for (const PackedEntry& e : entries) {
    std::string text = e.name;
    text.push_back('\0');
    std::vector<uint8_t> packed(compressBound(text.size()));
    uLongf packedSize = packed.size();
    if (compress2(packed.data(), &packedSize, reinterpret_cast<const Bytef*>(text.data()), text.size(), level) != Z_OK) {
      problem = L"cannot compress a name";
      return false;
    }
    PutU32(out, e.wideLength);
    PutU32(out, static_cast<uint32_t>(text.size()));
    PutU32(out, static_cast<uint32_t>(packedSize));
    out.insert(out.end(), packed.begin(), packed.begin() + packedSize);
  }
  uint64_t offset = out.size() + entries.size() * kDirectoryRecordSize;
  for (const PackedEntry& e : entries) {
    if (offset > kLimit || e.stream.size() > kLimit) {
      problem = L"the archive would be larger than 4 GiB";
      return false;
    }
    PutU32(out, static_cast<uint32_t>(offset));
    PutU32(out, static_cast<uint32_t>(e.stream.size()));
    PutU32(out, e.size);
    offset += e.stream.size();
  }
  if (offset > kLimit + 1) {
    problem = L"the archive would be larger than 4 GiB";
    return false;
  }
  out.reserve(offset);
  for (const PackedEntry& e : entries) out.insert(out.end(), e.stream.begin(), e.stream.end());
  return true;
}

}  // namespace tav::pac
