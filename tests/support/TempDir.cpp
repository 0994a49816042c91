#include "support/TempDir.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/os/Locale.h"
#include "core/UserFolder.h"

namespace tavtest {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tavri-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

static std::filesystem::path ErrorLogPath() {
  return std::filesystem::path(std::getenv("XDG_DATA_HOME")) / tav::os::WideToMultiByte(tav::EngineFolderName) /
         "Err.txt";
}

std::string ReadErrorLog() { return ReadFileBytes(ErrorLogPath()); }

void ClearErrorLog() {
  std::error_code ec;
  std::filesystem::remove(ErrorLogPath(), ec);
}

}  // namespace tavtest
