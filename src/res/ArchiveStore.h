#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "res/ResourceBlob.h"

namespace tav {

// The entries of pac archives, by exact wide name (case-sensitive, backslash
// separators), decompressed. Entries are only ever added, and an entry's bytes,
// once handed out, stay valid for the store's lifetime.
//
// An archive loaded from a file is by default kept mapped and each entry is
// inflated the first time it is asked for, so a game with hundreds of
// megabytes of pictures and voices starts without reading them and holds only
// what it has shown. Damage inside an entry's data is then found, and logged,
// when that entry is first asked for.
class ArchiveStore {
 public:
  enum class Inflation { OnFirstUse, AtLoad };

  // What the store has inflated so far, for measurements.
  struct InflateStats {
    uint64_t entries = 0;
    uint64_t compressedBytes = 0;
    uint64_t bytes = 0;
    // Summed over the entries, whichever thread inflated them: elapsed time,
    // and the processor time of the inflating threads.
    double seconds = 0;
    double cpuSeconds = 0;
  };

  ArchiveStore();
  ~ArchiveStore();
  ArchiveStore(ArchiveStore&&) noexcept;
  ArchiveStore& operator=(ArchiveStore&&) noexcept;

  // Adds the entries of the archive file `path` to `store`, inflating them as
  // the store's Inflation says. On failure logs one line naming the archive
  // and the problem and returns false; the entries before the failing one stay
  // in the store. At load, entries are inflated on all cores when the archive
  // is large enough for that to pay.
  static bool Load(ArchiveStore& store, std::wstring_view path);
  // Inflates every entry now, on a fixed number of threads (1 = on the
  // caller's, 0 = chosen by size), whatever the store's Inflation.
  static bool Load(ArchiveStore& store, std::wstring_view path, unsigned threads);
  // The same for an archive already in memory, which the caller keeps; every
  // entry is inflated now. `label` names it in the log.
  static bool LoadFromMemory(ArchiveStore& store, const uint8_t* file, size_t size, std::wstring_view label,
                             unsigned threads = 0);

  // How later Load(store, path) calls inflate; OnFirstUse unless set.
  void SetInflation(Inflation inflation) { inflation_ = inflation; }

  // Either output may be null. False when the name is missing or its data does
  // not inflate. Safe to call from several threads at once.
  bool Get(const std::wstring& name, const uint8_t** data, uint32_t* size) const;
  const ResourceBlob* Find(const std::wstring& name) const;
  // Whether the name is present, without inflating anything.
  bool Contains(const std::wstring& name) const;
  // False, leaving the store as it was, when the name is already present.
  bool Insert(std::wstring name, ResourceBlob blob);
  size_t Count() const { return entries_.size(); }
  // Every name in the store, in no particular order.
  std::vector<std::wstring> Names() const;
  // Not to be called while another thread may be inflating from this store.
  InflateStats Stats() const;

 private:
  struct Archive;
  struct Slot;
  static bool Map(std::wstring_view path, bool whole, std::shared_ptr<Archive>& archive);
  static bool LoadMapped(ArchiveStore& store, std::shared_ptr<Archive> archive);
  static bool LoadNow(ArchiveStore& store, const uint8_t* file, size_t size, std::wstring_view label,
                      unsigned threads);

  std::unordered_map<std::wstring, std::unique_ptr<Slot>> entries_;
  Inflation inflation_ = Inflation::OnFirstUse;
};

}  // namespace tav
