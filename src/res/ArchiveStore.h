#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "res/ResourceBlob.h"

namespace tav {

// The decompressed entries of a pac archive, by exact wide name (case-sensitive,
// backslash separators). Entries are only ever added.
class ArchiveStore {
 public:
  // Loads every entry of the archive file `path` into `store`. On failure logs
  // one line naming the archive and the problem and returns false; the entries
  // before the failing one stay in the store. Entries are inflated on all cores
  // when the archive is large enough for that to pay.
  static bool Load(ArchiveStore& store, std::wstring_view path);
  // The same with a fixed number of inflating threads (1 = on the caller's).
  static bool Load(ArchiveStore& store, std::wstring_view path, unsigned threads);
  // The same for an archive already in memory; `label` names it in the log.
  static bool LoadFromMemory(ArchiveStore& store, const uint8_t* file, size_t size, std::wstring_view label,
                             unsigned threads = 0);

  // Either output may be null. The data stays valid for the store's lifetime.
  bool Get(const std::wstring& name, const uint8_t** data, uint32_t* size) const;
  const ResourceBlob* Find(const std::wstring& name) const;
  // False, leaving the store as it was, when the name is already present.
  bool Insert(std::wstring name, ResourceBlob blob);
  size_t Count() const { return entries_.size(); }

 private:
  std::unordered_map<std::wstring, ResourceBlob> entries_;
};

}  // namespace tav
