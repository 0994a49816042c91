// The dump's JSON writer: layout of nested containers, numbers, and strings
// that must come out as valid UTF-8 JSON whatever the engine holds.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "Json.h"

namespace {

using tav::replay::EscapeJson;
using tav::replay::JsonWriter;

TEST(ReplayJsonTest, NestedContainersGetCommasAndIndentation) {
  JsonWriter json;
  json.BeginObject();
  json.Key("a").Int(-3);
  json.Key("list").BeginArray().Bool(true).Null().BeginObject().Key("x").UInt(7).EndObject().EndArray();
  json.Key("empty").BeginArray().EndArray();
  json.Key("none").BeginObject().EndObject();
  json.EndObject();
  EXPECT_EQ(json.Text(),
            "{\n"
            "  \"a\": -3,\n"
            "  \"list\": [\n"
            "    true,\n"
            "    null,\n"
            "    {\n"
            "      \"x\": 7\n"
            "    }\n"
            "  ],\n"
            "  \"empty\": [],\n"
            "  \"none\": {}\n"
            "}\n");
}

TEST(ReplayJsonTest, NumbersReadBackExactlyAndNonFiniteOnesBecomeNull) {
  JsonWriter json;
  json.BeginArray().Number(1.0f).Number(0.1f).Number(-2.5f).Number(std::nanf(""));
  json.Number(std::numeric_limits<float>::infinity()).EndArray();
  EXPECT_EQ(json.Text(), "[\n  1,\n  0.1,\n  -2.5,\n  null,\n  null\n]\n");
}

TEST(ReplayJsonTest, StringsAreEscapedUtf8) {
  EXPECT_EQ(EscapeJson(L"say \"hi\"\\"), "say \\\"hi\\\"\\\\");
  EXPECT_EQ(EscapeJson(L"a\nb\tc\r\x01\x1f"), "a\\nb\\tc\\r\\u0001\\u001f");
  EXPECT_EQ(EscapeJson(L"\u00e9\u3042"), "\xc3\xa9\xe3\x81\x82");  // two and three bytes
  EXPECT_EQ(EscapeJson(std::wstring(1, wchar_t(0x1F600))), "\xf0\x9f\x98\x80");
  EXPECT_EQ(EscapeJson(L"\x7f"), "\x7f");
  // Lone surrogates and values past the last code point are not characters.
  EXPECT_EQ(EscapeJson(std::wstring(1, wchar_t(0xD800))), "\xef\xbf\xbd");
  EXPECT_EQ(EscapeJson(std::wstring(1, wchar_t(0x110000))), "\xef\xbf\xbd");
  EXPECT_EQ(EscapeJson(std::wstring(L"a\0b", 3)), "a\\u0000b");

  JsonWriter json;
  json.BeginObject().Key("k\"ey").String(L"「ミカ」").Key("file").Utf8String("a\"b").EndObject();
  EXPECT_EQ(json.Text(), "{\n  \"k\\\"ey\": \"\xe3\x80\x8c\xe3\x83\x9f\xe3\x82\xab\xe3\x80\x8d\",\n  \"file\": \"a\\\"b\"\n}\n");
}

}  // namespace
