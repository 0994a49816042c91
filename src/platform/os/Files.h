#pragma once
#include <string_view>

namespace tav::os {

// Appends bytes to a file, creating it if needed, in a single write so that
// lines appended by several threads or processes never mix.
bool AppendToFile(std::wstring_view path, std::string_view bytes);

}  // namespace tav::os
