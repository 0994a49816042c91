#include "Json.h"

#include <charconv>
#include <cmath>

namespace tav::replay {

namespace {

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += char(c);
  } else if (c < 0x800) {
    out += char(0xC0 | (c >> 6));
    out += char(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += char(0xE0 | (c >> 12));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  } else {
    out += char(0xF0 | (c >> 18));
    out += char(0x80 | ((c >> 12) & 0x3F));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  }
}

void AppendEscapedByte(std::string& out, unsigned char c) {
  switch (c) {
    case '"': out += "\\\""; return;
    case '\\': out += "\\\\"; return;
    case '\b': out += "\\b"; return;
    case '\f': out += "\\f"; return;
    case '\n': out += "\\n"; return;
    case '\r': out += "\\r"; return;
    case '\t': out += "\\t"; return;
    default: break;
  }
  if (c < 0x20) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += "\\u00";
    out += kHex[c >> 4];
    out += kHex[c & 0xF];
  } else {
    out += char(c);
  }
}

}  // namespace

std::string EscapeJson(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t wide : text) {
    const auto c = char32_t(uint32_t(wide));
    if (c < 0x80)
      AppendEscapedByte(out, static_cast<unsigned char>(c));
    else if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
      AppendUtf8(out, 0xFFFD);
    else
      AppendUtf8(out, c);
  }
  return out;
}

void JsonWriter::BeforeValue() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  // A value inside an array (or the document itself).
  if (!hasMember_.empty()) {
    if (hasMember_.back()) out_ += ',';
    hasMember_.back() = true;
    out_ += '\n';
    out_.append(hasMember_.size() * 2, ' ');
  }
}

void JsonWriter::Open(char bracket) {
  BeforeValue();
  out_ += bracket;
  hasMember_.push_back(false);
}

void JsonWriter::Close(char bracket) {
  if (hasMember_.empty()) return;
  const bool any = hasMember_.back();
  hasMember_.pop_back();
  if (any) {
    out_ += '\n';
    out_.append(hasMember_.size() * 2, ' ');
  }
  out_ += bracket;
}

JsonWriter& JsonWriter::BeginObject() {
  Open('{');
  return *this;
}

JsonWriter& JsonWriter::EndObject() {
  Close('}');
  return *this;
}

JsonWriter& JsonWriter::BeginArray() {
  Open('[');
  return *this;
}

JsonWriter& JsonWriter::EndArray() {
  Close(']');
  return *this;
}

JsonWriter& JsonWriter::Key(std::string_view name) {
  afterKey_ = false;
  BeforeValue();
  out_ += '"';
  for (char c : name) AppendEscapedByte(out_, static_cast<unsigned char>(c));
  out_ += "\": ";
  afterKey_ = true;
  return *this;
}

JsonWriter& JsonWriter::Null() {
  BeforeValue();
  out_ += "null";
  return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
  BeforeValue();
  out_ += value ? "true" : "false";
  return *this;
}

JsonWriter& JsonWriter::Int(int64_t value) {
  BeforeValue();
  out_ += std::to_string(value);
  return *this;
}

JsonWriter& JsonWriter::UInt(uint64_t value) {
  BeforeValue();
  out_ += std::to_string(value);
  return *this;
}

JsonWriter& JsonWriter::Number(float value) {
  if (!std::isfinite(value)) return Null();
  BeforeValue();
  char buffer[32];
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  out_.append(buffer, error == std::errc() ? end : buffer);
  return *this;
}

JsonWriter& JsonWriter::String(std::wstring_view text) {
  BeforeValue();
  out_ += '"';
  out_ += EscapeJson(text);
  out_ += '"';
  return *this;
}

JsonWriter& JsonWriter::Utf8String(std::string_view text) {
  BeforeValue();
  out_ += '"';
  for (char c : text) AppendEscapedByte(out_, static_cast<unsigned char>(c));
  out_ += '"';
  return *this;
}

std::string JsonWriter::Text() const { return hasMember_.empty() && !out_.empty() ? out_ + '\n' : out_; }

}  // namespace tav::replay
