#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace tavpack {

// Writes a whole file under a temporary name beside it and renames it into
// place, so that a failed run never leaves a partial file behind.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes, std::string& error);

}  // namespace tavpack
