// tavpack create: every regular file under a folder becomes one entry named by
// the folder's own name and the file's relative path, joined with backslashes.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <system_error>
#include <thread>
#include <vector>
#include <zlib.h>

#include "Commands.h"
#include "OutputFile.h"
#include "platform/os/Locale.h"
#include "platform/os/Threads.h"
#include "res/PacFormat.h"

namespace fs = std::filesystem;

namespace tavpack {

namespace {

struct Source {
  fs::path path;
  std::wstring name;
};

bool Fail(const std::string& message) {
  std::fprintf(stderr, "tavpack: %s\n", message.c_str());
  return false;
}

// The entry name of `file`: `top` + "\" + its path below the packed folder.
bool EntryName(const std::wstring& top, const fs::path& relative, std::wstring& name) {
  name = top;
  for (const fs::path& part : relative) {
    std::wstring wide;
    if (!tav::os::MultiByteToWide(part.native(), wide) || wide.empty())
      return Fail("the name of " + relative.string() + " is not valid text in this locale");
    if (wide.find(L'\\') != std::wstring::npos)
      return Fail("the name of " + relative.string() + " contains a backslash, which archives use as separator");
    name += L'\\';
    name += wide;
  }
  return true;
}

bool Collect(const fs::path& folder, const std::wstring& top, std::vector<Source>& sources) {
  std::error_code ec;
  fs::recursive_directory_iterator it(folder, fs::directory_options::none, ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    const fs::directory_entry& entry = *it;
    fs::path relative = entry.path().lexically_relative(folder);
    if (entry.is_symlink(ec) && entry.is_directory(ec))
      return Fail(entry.path().string() + " is a link to a folder; links to folders are not packed");
    if (entry.is_directory(ec)) continue;
    if (!entry.is_regular_file(ec)) return Fail(entry.path().string() + " is not a regular file");
    Source source{entry.path(), {}};
    if (!EntryName(top, relative, source.name)) return false;
    sources.push_back(std::move(source));
  }
  if (ec) return Fail("cannot read " + folder.string() + ": " + ec.message());
  return true;
}

bool ReadFile(const fs::path& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  in.seekg(0, std::ios::end);
  std::streamoff size = in.tellg();
  if (size < 0) return false;
  bytes.resize(static_cast<size_t>(size));
  in.seekg(0);
  return static_cast<bool>(in.read(bytes.data(), size)) || size == 0;
}

// Reads and compresses every source on all cores; names stay in their order.
bool Compress(const std::vector<Source>& sources, std::vector<tav::pac::PackedEntry>& packed) {
  packed.resize(sources.size());
  std::vector<std::string> errors(sources.size());
  std::atomic<size_t> next{0};
  auto work = [&] {
    for (size_t i; (i = next.fetch_add(1)) < sources.size();) {
      std::string bytes;
      if (!ReadFile(sources[i].path, bytes)) {
        errors[i] = "cannot read " + sources[i].path.string();
        continue;
      }
      if (bytes.size() > std::numeric_limits<uint32_t>::max()) {
        errors[i] = sources[i].path.string() + " is larger than 4 GiB, the limit of an entry";
        continue;
      }
      tav::pac::PackedEntry& e = packed[i];
      if (!tav::os::WideToMultiByteExact(sources[i].name, e.name)) {
        errors[i] = "the name of " + sources[i].path.string() + " cannot be written in this locale";
        continue;
      }
      e.wideLength = static_cast<uint32_t>(sources[i].name.size());
      e.size = static_cast<uint32_t>(bytes.size());
      uLongf length = compressBound(bytes.size());
      e.stream.resize(length);
      if (compress2(e.stream.data(), &length, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size(),
                    Z_BEST_COMPRESSION) != Z_OK) {
        errors[i] = "cannot compress " + sources[i].path.string();
        continue;
      }
      e.stream.resize(length);
    }
  };
  tav::os::RunOnThreads(std::min<size_t>(std::thread::hardware_concurrency(), sources.size()), work);
  for (const std::string& error : errors)
    if (!error.empty()) return Fail(error);
  return true;
}

}  // namespace

int Create(const char* archive, const char* folderArg, bool lint) {
  std::error_code ec;
  fs::path folder(folderArg);
  if (!fs::is_directory(folder, ec)) return Fail(std::string(folderArg) + " is not a folder"), 1;
  fs::path top = fs::weakly_canonical(folder, ec).filename();
  std::wstring topName;
  if (ec || top.empty() || !tav::os::MultiByteToWide(top.native(), topName) || topName.empty())
    return Fail(std::string("cannot name entries after ") + folderArg), 1;

  std::vector<Source> sources;
  if (!Collect(folder, topName, sources)) return 1;
  std::sort(sources.begin(), sources.end(), [](const Source& a, const Source& b) { return a.name < b.name; });

  std::vector<tav::pac::PackedEntry> packed;
  if (!Compress(sources, packed)) return 1;
  std::vector<uint8_t> bytes;
  std::wstring problem;
  if (!tav::pac::BuildArchive(packed, Z_BEST_COMPRESSION, bytes, problem))
    return Fail(tav::os::WideToMultiByte(problem)), 1;
  if (lint && !LintArchive(bytes, archive)) return Fail(std::string(archive) + " not written: the check found problems"), 1;

  std::string error;
  if (!WriteFileAtomically(archive, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                           error))
    return Fail(error), 1;
  std::printf("%s: %zu entries, %zu bytes\n", archive, sources.size(), bytes.size());
  return 0;
}

}  // namespace tavpack
