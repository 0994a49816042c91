#include "res/ArchiveStore.h"

#include <algorithm>
#include <atomic>
#include <exception>
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

namespace {

// Below this much compressed data, starting threads costs more than it saves.
constexpr uint64_t kParallelThreshold = 4u << 20;

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
        o.ok = pac::InflateEntry(file, entries[i], o.blob, o.problem);
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

}  // namespace

bool ArchiveStore::Get(const std::wstring& name, const uint8_t** data, uint32_t* size) const {
  const ResourceBlob* blob = Find(name);
  if (!blob) return false;
  if (data) *data = blob->data.get();
  if (size) *size = blob->size;
  return true;
}

const ResourceBlob* ArchiveStore::Find(const std::wstring& name) const {
  auto it = entries_.find(name);
  return it == entries_.end() ? nullptr : &it->second;
}

bool ArchiveStore::Insert(std::wstring name, ResourceBlob blob) {
  return entries_.try_emplace(std::move(name), std::move(blob)).second;
}

bool ArchiveStore::Load(ArchiveStore& store, std::wstring_view path) { return Load(store, path, 0); }

bool ArchiveStore::Load(ArchiveStore& store, std::wstring_view path, unsigned threads) {
  os::MappedFile file;
  switch (file.Open(path)) {
    case os::MappedFile::Status::Ok:
      break;
    case os::MappedFile::Status::OpenFailed:
      LogProblem(path, L"cannot open: " + os::SystemMessage(os::GetLastError()));
      return false;
    case os::MappedFile::Status::MapFailed:
      LogProblem(path, L"cannot map: " + os::SystemMessage(os::GetLastError()));
      return false;
  }
  // The view is released when `file` goes out of scope, on every path.
  return LoadFromMemory(store, file.Data(), file.Size(), path, threads);
}

bool ArchiveStore::LoadFromMemory(ArchiveStore& store, const uint8_t* file, size_t size, std::wstring_view label,
                                  unsigned threads) {
  try {
    std::vector<pac::Entry> entries;
    std::wstring problem;
    if (!pac::ReadDirectory(file, size, entries, problem)) {
      LogProblem(label, problem);
      return false;
    }
    // Entries are inserted in directory order and the first name already present
    // stops the load, so nothing after it needs inflating.
    size_t limit = entries.size();
    size_t duplicate = entries.size();
    std::wstring duplicateProblem;
    {
      std::unordered_set<std::wstring_view> seen;
      for (size_t i = 0; i < entries.size() && duplicate == entries.size(); ++i) {
        if (store.Find(entries[i].name))
          duplicateProblem = L"the name \"" + entries[i].name + L"\" is already loaded";
        else if (!seen.insert(entries[i].name).second)
          duplicateProblem = L"the name \"" + entries[i].name + L"\" occurs twice";
        else
          continue;
        duplicate = i;
        limit = i + 1;
      }
    }
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
      store.Insert(std::move(entries[i].name), std::move(o.blob));
    }
    return true;
  } catch (const std::exception& e) {
    std::wstring what;
    if (!os::MultiByteToWide(e.what(), what)) what = L"unexpected failure";
    LogProblem(label, what);
    return false;
  }
}

}  // namespace tav
