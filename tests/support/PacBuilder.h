#pragma once
// Writes pac archives byte by byte, independently of the engine's writer, so
// tests can state every field, including wrong ones.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>
#include <zlib.h>

namespace tavtest {

struct RawEntry {
  std::string nameBytes;  // stored as given: add the terminating NUL yourself
  uint32_t wideLength = 0;
  std::string data;
  std::optional<uint32_t> statedSize;      // default: the real size
  std::optional<uint32_t> statedNameSize;  // default: the real size
};

inline std::string Deflate(const std::string& bytes, int level = 9) {
  uLongf length = compressBound(bytes.size());
  std::string out(length, '\0');
  compress2(reinterpret_cast<Bytef*>(out.data()), &length, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size(),
            level);
  out.resize(length);
  return out;
}

inline void PutU32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(v >> (8 * i)));
}

inline std::string BuildRaw(const std::vector<RawEntry>& entries) {
  std::string names, directory, data;
  std::vector<std::string> streams;
  for (const RawEntry& e : entries) {
    std::string packed = Deflate(e.nameBytes);
    PutU32(names, e.wideLength);
    PutU32(names, e.statedNameSize.value_or(static_cast<uint32_t>(e.nameBytes.size())));
    PutU32(names, static_cast<uint32_t>(packed.size()));
    names += packed;
    streams.push_back(Deflate(e.data));
  }
  size_t offset = 4 + names.size() + 12 * entries.size();
  for (size_t i = 0; i < entries.size(); ++i) {
    PutU32(directory, static_cast<uint32_t>(offset));
    PutU32(directory, static_cast<uint32_t>(streams[i].size()));
    PutU32(directory, entries[i].statedSize.value_or(static_cast<uint32_t>(entries[i].data.size())));
    offset += streams[i].size();
    data += streams[i];
  }
  std::string out;
  PutU32(out, static_cast<uint32_t>(entries.size()));
  return out + names + directory + data;
}

// An archive of ASCII-named entries, names stored with their NUL.
inline std::string BuildArchive(const std::vector<std::pair<std::string, std::string>>& files) {
  std::vector<RawEntry> raw;
  for (const auto& [name, data] : files)
    raw.push_back({name + std::string(1, '\0'), static_cast<uint32_t>(name.size()), data, {}, {}});
  return BuildRaw(raw);
}

}  // namespace tavtest
