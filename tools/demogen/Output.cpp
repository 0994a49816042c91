#include "Output.h"

#include <fstream>
#include <stdexcept>

#include "ImageFiles.h"
#include "platform/os/Locale.h"

namespace demogen {

namespace {

bool EndsWith(const std::wstring& s, const std::wstring& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

void Output::Write(const std::wstring& name, const Canvas& canvas) {
  if (EndsWith(name, L".dds"))
    WriteBytes(name, EncodeDds(canvas));
  else if (EndsWith(name, L".png"))
    WriteBytes(name, EncodePng(canvas));
  else
    throw std::runtime_error("no encoder for " + tav::os::WideToMultiByte(name));
}

void Output::WriteBytes(const std::wstring& name, const std::vector<uint8_t>& bytes) {
  std::filesystem::path path = root_;
  size_t start = 0;
  // Resource names use backslashes; each part becomes a folder level.
  for (size_t end; (end = name.find(L'\\', start)) != std::wstring::npos; start = end + 1)
    path /= tav::os::WideToMultiByte(name.substr(start, end - start));
  path /= tav::os::WideToMultiByte(name.substr(start));
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
  ++written_;
}

}  // namespace demogen
