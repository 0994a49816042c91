#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "res/TextLines.h"

namespace {

std::vector<std::string> Split(const std::string& text) {
  std::vector<std::string> lines;
  tav::SplitLines(reinterpret_cast<const uint8_t*>(text.data()), text.size(), lines);
  return lines;
}

using Lines = std::vector<std::string>;

TEST(SplitLines, DropsTheLastByteOfEveryLine) {
  EXPECT_EQ(Split("a\r\nb"), (Lines{"a", "b"}));
  EXPECT_EQ(Split("a\nb"), (Lines{"b"}));  // a bare LF costs "a" its only character
  EXPECT_EQ(Split("abc\n"), (Lines{"ab"}));
  EXPECT_EQ(Split("one\r\ntwo\r\n"), (Lines{"one", "two"}));
  EXPECT_EQ(Split("x\r\n"), (Lines{"x"}));
}

TEST(SplitLines, SkipsCommentsEmptyLinesAndLoneCarriageReturns) {
  EXPECT_EQ(Split("//comment\r\nx\r\n"), (Lines{"x"}));
  EXPECT_EQ(Split("/x\r\n\r\n\n\r\ny\r\n"), (Lines{"y"}));
  EXPECT_EQ(Split(" /not a comment\r\n"), (Lines{" /not a comment"}));
  EXPECT_EQ(Split(""), Lines{});
  EXPECT_EQ(Split("\r\n"), Lines{});
  EXPECT_EQ(Split("\n\n\n"), Lines{});
}

TEST(SplitLines, AppendsAndStopsAtEmbeddedNul) {
  std::vector<std::string> lines = {"kept"};
  std::string text("ab\0cd\r\nz\r\n", 10);
  tav::SplitLines(reinterpret_cast<const uint8_t*>(text.data()), text.size(), lines);
  EXPECT_EQ(lines, (Lines{"kept", "ab", "z"}));
}

TEST(SplitLines, KeepsMultibyteTextWhole) {
  // 【太郎】「はい」 in UTF-8, then a second line.
  const std::string line = "\xE3\x80\x90\xE5\xA4\xAA\xE9\x83\x8E\xE3\x80\x91\xE3\x80\x8C\xE3\x81\xAF\xE3\x81\x84\xE3\x80\x8D";
  EXPECT_EQ(Split(line + "\r\nmsg\r\n"), (Lines{line, "msg"}));
  EXPECT_EQ(tav::LineToWide(line), L"\u3010\u592A\u90CE\u3011\u300C\u306F\u3044\u300D");
}

TEST(LineToWide, TextThatDoesNotConvertBecomesEmpty) {
  EXPECT_EQ(tav::LineToWide("plain"), L"plain");
  EXPECT_EQ(tav::LineToWide("bad \xFF byte"), L"");
  EXPECT_EQ(tav::LineToWide("cut \xE3\x81"), L"");
  EXPECT_EQ(tav::LineToWide(""), L"");
}

}  // namespace
