#include "save/SlotFile.h"

#include <cstdio>
#include <sstream>

#include "save/Bytes.h"

namespace tav {
namespace {

// UTF-16 of one character; characters above the first plane take two units.
void AppendUtf16(std::u16string& out, wchar_t c) {
  const uint32_t code = uint32_t(c);
  if (code < 0x10000) {
    out.push_back(char16_t(code));
  } else if (code <= 0x10FFFF) {
    out.push_back(char16_t(0xD800 + ((code - 0x10000) >> 10)));
    out.push_back(char16_t(0xDC00 + ((code - 0x10000) & 0x3FF)));
  }
}

}  // namespace

std::wstring SlotLabelText(const std::u16string& units) {
  std::wstring text;
  for (size_t i = 0; i < units.size() && units[i] != 0; ++i) {
    const uint32_t u = units[i];
    if (u >= 0xD800 && u < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000) {
      text.push_back(wchar_t(0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00)));
      ++i;
    } else {
      text.push_back(wchar_t(u));
    }
  }
  return text;
}

std::wstring SlotFileName(const std::wstring& prefix, const std::wstring& actionText) {
  return prefix + L"Save" + actionText + L".dat";
}

int32_t SlotNumber(const std::wstring& actionText) {
  std::wistringstream in(actionText);
  int32_t number = 0;
  if (!(in >> number)) return 0;
  return number;
}

std::u16string MakeSlotLabel(const std::tm& local, const std::wstring& sceneText, size_t units) {
  std::u16string label;
  if (units == 0) return label;
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%02d:%02d %d/%02d/%02d ", local.tm_hour, local.tm_min, local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday);
  for (const char* c = stamp; *c; ++c) label.push_back(char16_t(*c));
  for (wchar_t c : sceneText) AppendUtf16(label, c);
  if (label.size() > units - 1) {
    label.resize(units - 1);
    // Half of a pair of units is no character: it goes too.
    if (!label.empty() && label.back() >= 0xD800 && label.back() < 0xDC00) label.back() = 0;
  }
  label.resize(units, u'\0');
  return label;
}

std::string EncodeSlot(int32_t storyScene, const std::vector<int32_t>& visited, const std::u16string& label) {
  std::string out;
  out.reserve(12 + 4 * visited.size() + 2 * label.size());
  PutInt32(out, storyScene);
  PutInt32(out, int32_t(visited.size()));
  for (int32_t scene : visited) PutInt32(out, scene);
  PutInt32(out, int32_t(label.size()));
  for (char16_t unit : label) PutUnit(out, uint16_t(unit));
  return out;
}

bool DecodeSlot(std::string_view bytes, int32_t sceneCount, SlotContents& out) {
  CByteReader in(bytes);
  int32_t story = 0, count = 0;
  if (!in.Int32(story) || !in.Int32(count) || story < 0 || story >= sceneCount) return false;
  out.storyScene = story;
  out.visited.clear();
  // Entries are read while the file has them, however many the count claims.
  for (int32_t i = 0; i < count && in.Remaining() >= 4; ++i) {
    int32_t scene = -1;
    in.Int32(scene);
    out.visited.push_back(scene >= 0 && scene < sceneCount ? scene : -1);
  }
  return true;
}

bool DecodeSlotLabel(std::string_view bytes, std::wstring& label) {
  CByteReader in(bytes);
  int32_t story = 0, count = 0, units = 0;
  if (!in.Int32(story) || !in.Int32(count) || count < 0 || !in.Skip(size_t(count) * 4) || !in.Int32(units) ||
      units < 0 || size_t(units) * 2 > in.Remaining())
    return false;
  std::u16string text(size_t(units), u'\0');
  for (char16_t& unit : text) {
    uint16_t read = 0;
    in.Unit(read);
    unit = char16_t(read);
  }
  label = SlotLabelText(text);
  return true;
}

}  // namespace tav
