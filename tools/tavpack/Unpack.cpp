// tavpack list, extract and verify: all read archives through the engine's own
// reader, so they accept and refuse exactly what the engine does.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "Commands.h"
#include "OutputFile.h"
#include "core/ErrorLog.h"
#include "platform/os/LastError.h"
#include "platform/os/Locale.h"
#include "platform/os/MappedFile.h"
#include "res/ArchiveStore.h"
#include "res/PacFormat.h"

namespace fs = std::filesystem;

namespace tavpack {

namespace {

void PrintLogLine(std::wstring_view line) {
  std::fprintf(stderr, "tavpack: %s\n", tav::os::WideToMultiByte(line).c_str());
}

std::wstring Wide(const char* text) {
  std::wstring wide;
  if (!tav::os::MultiByteToWide(text, wide)) wide.clear();
  return wide;
}

bool Map(const char* archive, tav::os::MappedFile& file) {
  if (file.Open(Wide(archive)) == tav::os::MappedFile::Status::Ok) return true;
  PrintLogLine(Wide(archive) + L": cannot open: " + tav::os::SystemMessage(tav::os::GetLastError()));
  return false;
}

bool ReadEntries(const char* archive, const tav::os::MappedFile& file, std::vector<tav::pac::Entry>& entries) {
  std::wstring problem;
  if (tav::pac::ReadDirectory(file.Data(), file.Size(), entries, problem)) return true;
  PrintLogLine(Wide(archive) + L": " + problem);
  return false;
}

// The path below the output folder for an entry name, refusing names that
// would climb out of it or are not plain relative paths.
bool SafeRelativePath(const std::wstring& name, fs::path& relative) {
  relative.clear();
  size_t start = 0;
  while (true) {
    size_t end = name.find(L'\\', start);
    std::wstring part = name.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
    if (part.empty() || part == L"." || part == L".." || part.find(L'/') != std::wstring::npos) return false;
    std::string native;
    if (!tav::os::WideToMultiByteExact(part, native)) return false;
    relative /= native;
    if (end == std::wstring::npos) return true;
    start = end + 1;
  }
}

}  // namespace

int List(const char* archive) {
  tav::os::MappedFile file;
  std::vector<tav::pac::Entry> entries;
  if (!Map(archive, file) || !ReadEntries(archive, file, entries)) return 1;
  uint64_t total = 0, packed = 0;
  for (const tav::pac::Entry& e : entries) {
    std::printf("%10u %10u  %s\n", e.size, e.compressedSize, tav::os::WideToMultiByte(e.name).c_str());
    total += e.size;
    packed += e.compressedSize;
  }
  std::printf("%10llu %10llu  %zu entries\n", static_cast<unsigned long long>(total),
              static_cast<unsigned long long>(packed), entries.size());
  return 0;
}

int Verify(const char* archive) {
  tav::SetLogSink(PrintLogLine);
  tav::ArchiveStore store;
  // Every entry is inflated here, so that damage anywhere in the data is found.
  if (!tav::ArchiveStore::Load(store, Wide(archive), 0)) {
    std::fprintf(stderr, "tavpack: %s is damaged; the engine would refuse it\n", archive);
    return 1;
  }
  std::printf("%s: ok, %zu entries\n", archive, store.Count());
  return 0;
}

int Extract(const char* archive, const char* folderArg) {
  tav::SetLogSink(PrintLogLine);
  tav::os::MappedFile file;
  std::vector<tav::pac::Entry> entries;
  if (!Map(archive, file) || !ReadEntries(archive, file, entries)) return 1;
  // Check everything before the first file is written.
  std::vector<fs::path> paths(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    if (!SafeRelativePath(entries[i].name, paths[i])) {
      PrintLogLine(Wide(archive) + L": the name \"" + entries[i].name + L"\" is not a safe relative path");
      return 1;
    }
  }
  tav::ArchiveStore store;
  if (!tav::ArchiveStore::LoadFromMemory(store, file.Data(), file.Size(), Wide(archive))) return 1;

  fs::path folder(folderArg);
  for (size_t i = 0; i < entries.size(); ++i) {
    fs::path target = folder / paths[i];
    std::error_code ec;
    fs::create_directories(target.parent_path(), ec);
    if (ec) {
      std::fprintf(stderr, "tavpack: cannot create %s: %s\n", target.parent_path().c_str(), ec.message().c_str());
      return 1;
    }
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    store.Get(entries[i].name, &data, &size);
    std::string error;
    if (!WriteFileAtomically(target, std::string_view(reinterpret_cast<const char*>(data), size), error)) {
      std::fprintf(stderr, "tavpack: %s\n", error.c_str());
      return 1;
    }
  }
  std::printf("%s: %zu entries written to %s\n", archive, entries.size(), folderArg);
  return 0;
}

}  // namespace tavpack
