#pragma once
// A small JSON writer: objects, arrays, numbers, booleans, null and strings,
// indented two spaces a level. Commas and indentation follow from the calls;
// wide strings are written as UTF-8 with the characters JSON requires escaped.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tav::replay {

class JsonWriter {
 public:
  JsonWriter& BeginObject();
  JsonWriter& EndObject();
  JsonWriter& BeginArray();
  JsonWriter& EndArray();
  // The name of the next member of the open object.
  JsonWriter& Key(std::string_view name);

  JsonWriter& Null();
  JsonWriter& Bool(bool value);
  JsonWriter& Int(int64_t value);
  JsonWriter& UInt(uint64_t value);
  // The shortest text that reads back as the same float; NaN and the
  // infinities, which JSON cannot hold, as null.
  JsonWriter& Number(float value);
  JsonWriter& String(std::wstring_view text);
  // Text already in UTF-8 (names of files given on the command line).
  JsonWriter& Utf8String(std::string_view text);

  // The document so far, with a final line end once every container is closed.
  std::string Text() const;

 private:
  void BeforeValue();
  void Open(char bracket);
  void Close(char bracket);

  std::string out_;
  // One entry per open container: whether it has a member yet.
  std::vector<bool> hasMember_;
  bool afterKey_ = false;
};

// `text` as the body of a JSON string in UTF-8: quotes, backslashes and control
// characters escaped; code points that are not characters (surrogates, values
// past U+10FFFF) replaced by U+FFFD.
std::string EscapeJson(std::wstring_view text);

}  // namespace tav::replay
