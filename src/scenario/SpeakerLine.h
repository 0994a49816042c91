#pragma once
#include <string>

namespace tav {

// A message row of the form 【name】「line」 or 【name】（line）: the name and
// the text from the opening bracket on (what precedes 【 is dropped). False,
// leaving both alone, for any other row.
bool SplitSpeaker(const std::wstring& row, std::wstring& name, std::wstring& text);

}  // namespace tav
