#include "scenario/SpeakerLine.h"

#include <regex>

namespace tav {

bool SplitSpeaker(const std::wstring& row, std::wstring& name, std::wstring& text) {
  // Leftmost match, greedy captures; the quoted form is tried first.
  static const std::wregex withQuote(L"【(.*)】(「.*)");
  static const std::wregex withParen(L"【(.*)】(（.*)");
  std::wsmatch match;
  if (!std::regex_search(row, match, withQuote) && !std::regex_search(row, match, withParen)) return false;
  name = match[1].str();
  text = match[2].str();
  return true;
}

}  // namespace tav
