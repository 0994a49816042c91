#pragma once
// Files in the per-user folder: the save slots, the settings and the seen
// scenes. Reading a file that is not there is no error; a write that fails
// leaves the old file whole and is logged. A name with a '/' (or a NUL) is
// refused: nothing is read or written outside the per-user folder.
#include <string>
#include <string_view>

namespace tav {

// Reads per-user file `name`; false when it is missing, unreadable or too
// large to be one of the engine's files. Nothing is logged.
bool ReadUserFile(const std::wstring& name, std::string& bytes);
// Replaces per-user file `name` in one step (see os::ReplaceFile); the
// per-user folder is made when missing. A failure writes one line to the
// error log naming the file.
bool WriteUserFile(const std::wstring& name, std::string_view bytes);

}  // namespace tav
