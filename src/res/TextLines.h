#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tav {

// Splits a text resource into lines and appends the kept ones to `lines`.
// Lines are expected to end in CR LF: the last byte of each line is dropped (the
// CR, or on the last line the end of the data), so a bare LF costs the line its
// last character. Lines that start with '/' are comments; lines that are empty
// after the drop are skipped. A line is kept up to its first NUL byte. When
// `lineNumbers` is given, it receives the 1-based line of the file that each
// kept line came from, for messages that point into the file.
void SplitLines(const uint8_t* data, size_t size, std::vector<std::string>& lines,
                std::vector<size_t>* lineNumbers = nullptr);

// A kept line in wide text, converted in the user's locale. A line that does not
// convert gives an empty text.
std::wstring LineToWide(const std::string& line);

}  // namespace tav
