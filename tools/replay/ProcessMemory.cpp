#include "ProcessMemory.h"

#include <charconv>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace tav::replay {

namespace {

// The number after "Name:" on its line, in kB as the kernel writes it.
bool FieldKiB(std::string_view status, std::string_view name, uint64_t& value) {
  for (size_t at = 0; at < status.size();) {
    size_t end = status.find('\n', at);
    if (end == std::string_view::npos) end = status.size();
    std::string_view line = status.substr(at, end - at);
    at = end + 1;
    if (line.size() <= name.size() || line.substr(0, name.size()) != name || line[name.size()] != ':') continue;
    line.remove_prefix(name.size() + 1);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    const auto [rest, error] = std::from_chars(line.data(), line.data() + line.size(), value);
    return error == std::errc() && rest != line.data();
  }
  return false;
}

}  // namespace

bool QueryResidentMemory(ResidentMemory& out) {
  std::ifstream in("/proc/self/status", std::ios::binary);
  if (!in) return false;
  const std::string status((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ResidentMemory read;
  if (!FieldKiB(status, "VmRSS", read.currentKiB) || !FieldKiB(status, "VmHWM", read.peakKiB)) return false;
  out = read;
  return true;
}

}  // namespace tav::replay
