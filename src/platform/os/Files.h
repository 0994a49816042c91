#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace tav::os {

// Appends bytes to a file, creating it if needed, in a single write so that
// lines appended by several threads or processes never mix.
bool AppendToFile(std::wstring_view path, std::string_view bytes);

// Reads a whole file. False (last error set) when it cannot be opened or
// read, or holds more than `limit` bytes.
bool ReadWholeFile(std::wstring_view path, std::string& bytes, size_t limit);

// Replaces a file's contents in one step: the bytes go to a new file in the
// same folder, which is flushed to the disk and then renamed over the old one,
// and the folder is flushed too. A crash at any moment leaves either the old
// file or the new one; a write that fails leaves the old one (last error set).
bool ReplaceFile(std::wstring_view path, std::string_view bytes);

// For tests: from now on every write of AppendToFile and ReplaceFile fails
// with `error` (ENOSPC: the disk is full), taking the same way out as a real
// failed write; 0 lets them write again.
void SimulateWriteFailure(int error);

}  // namespace tav::os
