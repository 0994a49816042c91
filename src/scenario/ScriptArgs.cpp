#include "scenario/ScriptArgs.h"

#include <cmath>
#include <ios>
#include <locale>
#include <sstream>

namespace tav {

namespace {

// One stream per thread, reset for each argument: building a stream (and its
// locale) per argument would dominate the parse. The classic locale keeps the
// number syntax independent of the user's locale.
std::wistringstream& StreamOver(std::wstring_view arg) {
  thread_local std::wistringstream stream = [] {
    std::wistringstream s;
    s.imbue(std::locale::classic());
    return s;
  }();
  stream.str(std::wstring(arg));
  stream.clear();
  stream.flags(std::ios_base::dec | std::ios_base::skipws);
  return stream;
}

}  // namespace

std::vector<std::wstring_view> SplitArguments(std::wstring_view text, size_t limit) {
  size_t end = text.find_last_not_of(L' ');
  text = end == std::wstring_view::npos ? std::wstring_view{} : text.substr(0, end + 1);
  std::vector<std::wstring_view> args;
  if (text.empty()) return args;
  size_t start = 0;
  while (args.size() <= limit) {
    size_t space = text.find(L' ', start);
    if (space == std::wstring_view::npos) {
      args.push_back(text.substr(start));
      break;
    }
    args.push_back(text.substr(start, space - start));
    start = space + 1;
  }
  return args;
}

std::wstring_view LastArgument(std::wstring_view text) {
  size_t end = text.find_last_not_of(L' ');
  if (end == std::wstring_view::npos) return {};
  text = text.substr(0, end + 1);
  size_t space = text.rfind(L' ');
  return space == std::wstring_view::npos ? text : text.substr(space + 1);
}

bool ReadInt(std::wstring_view arg, int32_t& out) {
  std::wistringstream& s = StreamOver(arg);
  int32_t value = 0;
  if (!(s >> value)) return false;
  out = value;
  return true;
}

bool ReadFloat(std::wstring_view arg, float& out) {
  std::wistringstream& s = StreamOver(arg);
  float value = 0;
  if (!(s >> value) || !std::isfinite(value)) return false;
  out = value;
  return true;
}

bool ReadColour(std::wstring_view arg, uint32_t& out) {
  // An unsigned stream read would turn "-1" into 0xFFFFFFFF; a colour has no sign.
  size_t first = arg.find_first_not_of(L" \t\n\v\f\r");
  if (first != std::wstring_view::npos && (arg[first] == L'-' || arg[first] == L'+')) return false;
  std::wistringstream& s = StreamOver(arg);
  uint32_t value = 0;
  if (!(s >> std::hex >> value)) return false;
  out = value;
  return true;
}

bool ReadWord(std::wstring_view arg, std::wstring& out) {
  std::wistringstream& s = StreamOver(arg);
  std::wstring word;
  if (!(s >> word)) return false;
  out = std::move(word);
  return true;
}

}  // namespace tav
