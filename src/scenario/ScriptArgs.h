#pragma once
// The argument text of a scene-script command: split into arguments and read
// as numbers, colours and words the way a wide string stream reads them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

// Splits at every single space (U+0020): each space ends an argument, so two
// spaces in a row make an empty one. Tabs stay inside arguments. Spaces at the
// end make no arguments. At most `limit` + 1 arguments are returned, so a
// caller can tell "too many" without storing all of them.
std::vector<std::wstring_view> SplitArguments(std::wstring_view text, size_t limit);
// The last argument of the same split; empty when there is none.
std::wstring_view LastArgument(std::wstring_view text);

// Each reader leaves `out` as it was and returns false when the argument does
// not read. Numbers that do not fit their type do not read, so an oversized
// value keeps the field's default rather than becoming a clipped one.
bool ReadInt(std::wstring_view arg, int32_t& out);  // decimal
bool ReadFloat(std::wstring_view arg, float& out);  // finite only
// Hexadecimal without prefix, at most 0xFFFFFFFF; a sign does not read.
bool ReadColour(std::wstring_view arg, uint32_t& out);
// The first word (up to white space); an empty argument does not read.
bool ReadWord(std::wstring_view arg, std::wstring& out);

}  // namespace tav
