#include "res/ArchiveStore.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <exception>
#include <mutex>
#include <numeric>
#include <thread>
#include <unordered_set>
#include <vector>

#include "core/ErrorLog.h"
#include "platform/os/LastError.h"
#include "platform/os/Locale.h"
#include "platform/os/MappedFile.h"
#include "platform/os/Threads.h"
#include "res/PacFormat.h"

namespace tav {

// A mapped archive file, shared by its entries that are not inflated yet.
struct ArchiveStore::Archive {
  os::MappedFile file;
  std::wstring label;
};

struct ArchiveStore::Slot {
  ResourceBlob blob;  // valid once `ready`
  // Where the data lies until it is inflated; dropped then, so that the file
  // is unmapped once every one of its entries is in.
  std::shared_ptr<const Archive> archive;
  pac::Entry entry;
  std::once_flag once;
  std::atomic<bool> ready{false};
  bool failed = false;    // the data did not inflate; set once, under `once`
  bool inflated = false;  // by this store (not handed in through Insert)
  double seconds = 0;
  double cpuSeconds = 0;
};

namespace {

// Below this much compressed data, starting threads costs more than it saves.
constexpr uint64_t kParallelThreshold = 4u << 20;

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

unsigned ChooseThreads(const std::vector<pac::Entry>& entries) {
  uint64_t total = 0;
  for (const pac::Entry& e : entries) total += e.compressedSize;
  if (total < kParallelThreshold) return 1;
  return std::max(1u, std::thread::hardware_concurrency());
}

struct Outcome {
  ResourceBlob blob;
  std::wstring problem;
  std::exception_ptr exception;
  bool ok = false;
  double seconds = 0;
  double cpuSeconds = 0;
};

// Inflates entries [0, limit) into `outcomes`. Workers take the largest streams
// first so that one big entry does not finish last on its own; once an entry
// fails, entries after it are not needed and are skipped.
void InflateAll(const uint8_t* file, const std::vector<pac::Entry>& entries, size_t limit, unsigned threads,
                std::vector<Outcome>& outcomes) {
  std::vector<size_t> order(limit);
  std::iota(order.begin(), order.end(), size_t{0});
  if (threads > 1) {
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return entries[a].compressedSize > entries[b].compressedSize; });
  }
  std::atomic<size_t> next{0};
  std::atomic<size_t> firstFailure{limit};
  auto work = [&] {
    for (size_t k; (k = next.fetch_add(1)) < order.size();) {
      size_t i = order[k];
      if (i > firstFailure.load()) continue;
      Outcome& o = outcomes[i];
      try {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = os::ThreadCpuSeconds();
        o.ok = pac::InflateEntry(file, entries[i], o.blob, o.problem);
        o.seconds = SecondsSince(start);
        o.cpuSeconds = os::ThreadCpuSeconds() - cpuStart;
      } catch (...) {
        o.exception = std::current_exception();
      }
      if (!o.ok) {
        size_t seen = firstFailure.load();
        while (i < seen && !firstFailure.compare_exchange_weak(seen, i)) {
        }
      }
    }
  };
  os::RunOnThreads(static_cast<unsigned>(std::min<size_t>(threads, limit)), work);
}

void LogProblem(std::wstring_view label, const std::wstring& problem) {
  std::wstring line(label);
  line += L": ";
  line += problem;
  LogError(line);
}

void LogException(std::wstring_view label, const std::exception& e) {
  std::wstring what;
  if (!os::MultiByteToWide(e.what(), what)) what = L"unexpected failure";
  LogProblem(label, what);
}

// Entries are added in directory order and the first name already present
// stops the load. Returns the index of that entry (entries.size() when there
// is none) and describes it in `problem`.
size_t FindDuplicate(const ArchiveStore& store, const std::vector<pac::Entry>& entries, std::wstring& problem) {
  std::unordered_set<std::wstring_view> seen;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (store.Contains(entries[i].name))
      problem = L"the name \"" + entries[i].name + L"\" is already loaded";
    else if (!seen.insert(entries[i].name).second)
      problem = L"the name \"" + entries[i].name + L"\" occurs twice";
    else
      continue;
    return i;
  }
  return entries.size();
}

// Inflates an entry of an archive that stays open during play. Its bytes are
// read from the file rather than the view: a player replacing or cutting the
// archive while the game runs then costs that entry, not the process.
bool InflateFromFile(const os::MappedFile& file, const pac::Entry& entry, ResourceBlob& blob, std::wstring& problem) {
  auto compressed = std::make_unique_for_overwrite<uint8_t[]>(std::max<size_t>(entry.compressedSize, 1));
  if (!file.ReadAt(entry.offset, entry.compressedSize, compressed.get())) {
    problem = L"the data of \"" + entry.name + L"\" cannot be read: the file changed since it was opened";
    return false;
  }
  pac::Entry local = entry;
  local.offset = 0;
  return pac::InflateEntry(compressed.get(), local, blob, problem);
}

}  // namespace

ArchiveStore::ArchiveStore() = default;
ArchiveStore::~ArchiveStore() = default;
ArchiveStore::ArchiveStore(ArchiveStore&&) noexcept = default;
ArchiveStore& ArchiveStore::operator=(ArchiveStore&&) noexcept = default;

bool ArchiveStore::Get(const std::wstring& name, const uint8_t** data, uint32_t* size) const {
  const ResourceBlob* blob = Find(name);
  if (!blob) return false;
  if (data) *data = blob->data.get();
  if (size) *size = blob->size;
  return true;
}

const ResourceBlob* ArchiveStore::Find(const std::wstring& name) const {
  auto it = entries_.find(name);
  if (it == entries_.end()) return nullptr;
  Slot& slot = *it->second;
  if (slot.ready.load(std::memory_order_acquire)) return &slot.blob;
  try {
    // Concurrent callers of one entry wait for a single inflation; callers of
    // different entries inflate side by side.
    std::call_once(slot.once, [&slot] {
      std::wstring problem;
      const auto start = std::chrono::steady_clock::now();
      const double cpuStart = os::ThreadCpuSeconds();
      if (InflateFromFile(slot.archive->file, slot.entry, slot.blob, problem)) {
        slot.seconds = SecondsSince(start);
        slot.cpuSeconds = os::ThreadCpuSeconds() - cpuStart;
        slot.inflated = true;
        slot.ready.store(true, std::memory_order_release);
      } else {
        LogProblem(slot.archive->label, problem);
        slot.failed = true;
      }
      slot.archive.reset();
    });
  } catch (const std::exception& e) {
    // Out of memory, most likely: the entry stays as it was for a later try.
    LogException(name, e);
    return nullptr;
  }
  return slot.failed ? nullptr : &slot.blob;
}

std::vector<std::wstring> ArchiveStore::Names() const {
  std::vector<std::wstring> names;
  names.reserve(entries_.size());
  for (const auto& entry : entries_) names.push_back(entry.first);
  return names;
}

bool ArchiveStore::Contains(const std::wstring& name) const { return entries_.count(name) != 0; }

bool ArchiveStore::Insert(std::wstring name, ResourceBlob blob) {
  auto slot = std::make_unique<Slot>();
  slot->blob = std::move(blob);
  slot->ready.store(true, std::memory_order_relaxed);
  return entries_.try_emplace(std::move(name), std::move(slot)).second;
}

ArchiveStore::InflateStats ArchiveStore::Stats() const {
  InflateStats stats;
  for (const auto& [name, slot] : entries_) {
    if (!slot->ready.load(std::memory_order_acquire) || !slot->inflated) continue;
    ++stats.entries;
    stats.compressedBytes += slot->entry.compressedSize;
    stats.bytes += slot->blob.size;
    stats.seconds += slot->seconds;
    stats.cpuSeconds += slot->cpuSeconds;
  }
  return stats;
}

bool ArchiveStore::Map(std::wstring_view path, bool whole, std::shared_ptr<Archive>& archive) {
  archive = std::make_shared<Archive>();
  archive->label = path;
  switch (archive->file.Open(path, whole ? os::MappedFile::Reading::Whole : os::MappedFile::Reading::OnDemand)) {
    case os::MappedFile::Status::Ok:
      return true;
    case os::MappedFile::Status::OpenFailed:
      LogProblem(path, L"cannot open: " + os::SystemMessage(os::GetLastError()));
      return false;
    case os::MappedFile::Status::MapFailed:
      LogProblem(path, L"cannot map: " + os::SystemMessage(os::GetLastError()));
      return false;
  }
  return false;
}

bool ArchiveStore::Load(ArchiveStore& store, std::wstring_view path) {
  if (store.inflation_ == Inflation::AtLoad) return Load(store, path, 0);
  try {
    std::shared_ptr<Archive> archive;
    if (!Map(path, false, archive)) return false;
    return LoadMapped(store, std::move(archive));
  } catch (const std::exception& e) {
    LogException(path, e);
    return false;
  }
}

bool ArchiveStore::Load(ArchiveStore& store, std::wstring_view path, unsigned threads) {
  try {
    // The view is released when `archive` goes, on every path.
    std::shared_ptr<Archive> archive;
    if (!Map(path, true, archive)) return false;
    return LoadNow(store, archive->file.Data(), archive->file.Size(), path, threads);
  } catch (const std::exception& e) {
    LogException(path, e);
    return false;
  }
}

bool ArchiveStore::LoadFromMemory(ArchiveStore& store, const uint8_t* file, size_t size, std::wstring_view label,
                                  unsigned threads) {
  try {
    return LoadNow(store, file, size, label, threads);
  } catch (const std::exception& e) {
    LogException(label, e);
    return false;
  }
}

bool ArchiveStore::LoadMapped(ArchiveStore& store, std::shared_ptr<Archive> archive) {
  std::vector<pac::Entry> entries;
  std::wstring problem;
  if (!pac::ReadDirectory(archive->file.Data(), archive->file.Size(), entries, problem)) {
    LogProblem(archive->label, problem);
    return false;
  }
  std::wstring duplicateProblem;
  const size_t duplicate = FindDuplicate(store, entries, duplicateProblem);
  for (size_t i = 0; i < duplicate; ++i) {
    auto slot = std::make_unique<Slot>();
    slot->archive = archive;
    slot->entry = entries[i];
    store.entries_.try_emplace(std::move(entries[i].name), std::move(slot));
  }
  if (duplicate < entries.size()) {
    LogProblem(archive->label, duplicateProblem);
    return false;
  }
  return true;
}

bool ArchiveStore::LoadNow(ArchiveStore& store, const uint8_t* file, size_t size, std::wstring_view label,
                           unsigned threads) {
  std::vector<pac::Entry> entries;
  std::wstring problem;
  if (!pac::ReadDirectory(file, size, entries, problem)) {
    LogProblem(label, problem);
    return false;
  }
  // Nothing after the first name already present needs inflating.
  std::wstring duplicateProblem;
  const size_t duplicate = FindDuplicate(store, entries, duplicateProblem);
  const size_t limit = std::min(duplicate + 1, entries.size());
  std::vector<Outcome> outcomes(limit);
  InflateAll(file, entries, limit, threads ? threads : ChooseThreads(entries), outcomes);
  for (size_t i = 0; i < limit; ++i) {
    Outcome& o = outcomes[i];
    if (o.exception) std::rethrow_exception(o.exception);
    if (!o.ok) {
      LogProblem(label, o.problem);
      return false;
    }
    if (i == duplicate) {
      LogProblem(label, duplicateProblem);
      return false;
    }
    auto slot = std::make_unique<Slot>();
    slot->blob = std::move(o.blob);
    slot->entry = entries[i];
    slot->inflated = true;
    slot->seconds = o.seconds;
    slot->cpuSeconds = o.cpuSeconds;
    slot->ready.store(true, std::memory_order_relaxed);
    store.entries_.try_emplace(std::move(entries[i].name), std::move(slot));
  }
  return true;
}

}  // namespace tav
