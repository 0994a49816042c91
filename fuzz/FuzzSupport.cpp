#include "FuzzSupport.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "core/ErrorLog.h"
#include "platform/os/Locale.h"

namespace tavfuzz {

namespace {

size_t loggedLines = 0;

// Log lines are counted and dropped, so that millions of rejected inputs cost
// no disk; the per-user folder is a fresh temporary one, so anything a reader
// might write stays inside it.
void SetUp() {
  char folder[] = "/tmp/tavri-fuzz-XXXXXX";
  if (mkdtemp(folder)) setenv("XDG_DATA_HOME", folder, 1);
  tav::os::SetUserLocale();
  tav::SetLogSink([](std::wstring_view) { ++loggedLines; });
}

}  // namespace

size_t LoggedLines() { return loggedLines; }

std::vector<BundleFile> SplitBundle(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<BundleFile> files;
  auto nameAt = [&](size_t at) { return text.compare(at, 3, "@@ ") == 0 && (at == 0 || text[at - 1] == '\n'); };
  size_t at = text.find("@@ ");
  while (at != std::string_view::npos && !nameAt(at)) at = text.find("@@ ", at + 1);
  while (at != std::string_view::npos) {
    const size_t nameStart = at + 3;
    size_t nameEnd = text.find('\n', nameStart);
    const size_t bodyStart = nameEnd == std::string_view::npos ? size : nameEnd + 1;
    if (nameEnd == std::string_view::npos) nameEnd = size;
    size_t next = text.find("@@ ", bodyStart);
    while (next != std::string_view::npos && !nameAt(next)) next = text.find("@@ ", next + 1);
    const size_t bodyEnd = next == std::string_view::npos ? size : next;
    BundleFile file;
    std::string_view name = text.substr(nameStart, nameEnd - nameStart);
    if (!name.empty() && name.back() == '\r') name.remove_suffix(1);
    for (char c : name) file.name.push_back(wchar_t(static_cast<unsigned char>(c)));
    file.data = data + bodyStart;
    file.size = bodyEnd - bodyStart;
    files.push_back(std::move(file));
    at = next;
  }
  return files;
}

tav::ArchiveStore StoreFromBundle(const uint8_t* data, size_t size) {
  tav::ArchiveStore store;
  for (const BundleFile& file : SplitBundle(data, size)) {
    tav::ResourceBlob blob;
    blob.data.reset(new uint8_t[file.size]);
    if (file.size) std::memcpy(blob.data.get(), file.data, file.size);
    blob.size = uint32_t(file.size);
    store.Insert(file.name, std::move(blob));
  }
  return store;
}

}  // namespace tavfuzz

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  tavfuzz::SetUp();
  return 0;
}
