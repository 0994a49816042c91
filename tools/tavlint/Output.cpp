// The two forms of a report: plain lines for people, JSON for tools.
#include "Json.h"
#include "Lint.h"
#include "platform/os/Locale.h"

namespace tavlint {

std::string PlainLine(const Finding& f) {
  std::wstring text;
  if (!f.archive.empty()) text += f.archive + L": ";
  if (!f.file.empty()) {
    text += f.file;
    if (f.line > 0) text += L":" + std::to_wstring(f.line);
    text += L": ";
  }
  text += f.message;
  return tav::os::WideToMultiByte(text);
}

std::string JsonDocument(const std::vector<Finding>& findings) {
  tav::replay::JsonWriter json;
  json.BeginArray();
  for (const Finding& f : findings) {
    json.BeginObject();
    json.Key("archive").String(f.archive);
    json.Key("file").String(f.file);
    json.Key("line").UInt(f.line);
    json.Key("message").String(f.message);
    json.EndObject();
  }
  json.EndArray();
  return json.Text();
}

}  // namespace tavlint
