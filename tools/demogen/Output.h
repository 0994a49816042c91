#pragma once
// Writes generated pictures under the staging folder by their resource names
// ("Default\v1.dds" becomes <root>/Default/v1.dds), encoding each by its
// extension.
#include <filesystem>
#include <string>
#include <vector>

#include "Canvas.h"

namespace demogen {

class Output {
 public:
  explicit Output(std::filesystem::path root) : root_(std::move(root)) {}
  // Throws std::runtime_error when the name has no known extension or the
  // file cannot be written; a half-made game must not be packed.
  void Write(const std::wstring& name, const Canvas& canvas);
  void WriteBytes(const std::wstring& name, const std::vector<uint8_t>& bytes);
  size_t Count() const { return written_; }

 private:
  std::filesystem::path root_;
  size_t written_ = 0;
};

}  // namespace demogen
