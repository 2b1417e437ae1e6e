#include "sweepall/script_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sweepall {
namespace {

using Lines = std::vector<std::string>;

TEST(SplitScriptLines, EmptyLinesAreNotLinesWhateverTheBreaks) {
  EXPECT_EQ(SplitScriptLines("a\r\n\r\nb\n\nc\r\rd"), (Lines{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitScriptLines("\r\n\n\rfirst"), (Lines{"first"}));
  EXPECT_TRUE(SplitScriptLines("").empty());
  EXPECT_TRUE(SplitScriptLines("\r\n\r\n").empty());
}

TEST(SplitScriptLines, LastLineNeedsNoBreak) {
  EXPECT_EQ(SplitScriptLines("[x]\r\nlast"), (Lines{"[x]", "last"}));
}

TEST(SplitScriptLines, TrailingBlanksAndControlsGoLeadingBlanksStay) {
  EXPECT_EQ(SplitScriptLines("  a b \t\x01\x1f\r\n\tc  "), (Lines{"  a b", "\tc  "}))
      << "the last line has no break, so nothing trims it";
}

TEST(SplitScriptLines, BlankOnlyLineIsAnEmptyLineThatCounts) {
  const Lines lines = SplitScriptLines("[W\r\n   \r\nx\r\n");
  EXPECT_EQ(lines, (Lines{"[W", "", "x"}));
}

TEST(SplitScriptLines, BytesAboveAsciiStayAtTheEnd) {
  const Lines lines = SplitScriptLines("caf\xe9\r\n\xff\xa0 \r\n");
  EXPECT_EQ(lines, (Lines{"caf\xe9", "\xff\xa0"}));
}

TEST(SplitScriptLines, TrimStopsAfter127Bytes) {
  const std::string text = "x" + std::string(200, ' ');
  const Lines lines = SplitScriptLines(text + "\n");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].size(), 1u + 200 - 127);
}

TEST(SplitScriptLines, ZeroByteEndsTheLineText) {
  const Lines lines = SplitScriptLines(std::string("ab\0cd\r\nef", 9));
  EXPECT_EQ(lines, (Lines{"ab", "ef"}));
}

TEST(SplitScriptLines, TakesAtMostAThousandLines) {
  std::string text;
  for (int i = 0; i < 1005; ++i) text += "line" + std::to_string(i) + "\r\n";
  const Lines lines = SplitScriptLines(text);
  ASSERT_EQ(lines.size(), 1000u);
  EXPECT_EQ(lines.front(), "line0");
  EXPECT_EQ(lines.back(), "line999");
}

TEST(SplitScriptLines, EmptyLinesDoNotCountTowardsTheLimit) {
  std::string text;
  for (int i = 0; i < 1000; ++i) text += "l\r\n\r\n";
  text += "extra";
  // Counted, the empty lines would have taken half of the 1000.
  EXPECT_EQ(SplitScriptLines(text), std::vector<std::string>(1000, "l"));
}

struct Header {
  std::string key;
  std::string value;
};

Header Parse(const std::string& line, Header before = {"old", "old"}) {
  ParseHeaderLine(line, &before.key, &before.value);
  return before;
}

TEST(ParseHeaderLine, BlanksDropUnlessQuoted) {
  Header h = Parse("Name = My App");
  EXPECT_EQ(h.key, "Name");
  EXPECT_EQ(h.value, "MyApp");
  h = Parse("Name=\"My  App\"");
  EXPECT_EQ(h.value, "My  App");
  h = Parse("\"Na me\" = x \"y z\"");
  EXPECT_EQ(h.key, "Na me");
  EXPECT_EQ(h.value, "xy z");
}

TEST(ParseHeaderLine, KeyBeforeFirstEqualsValueAfterLast) {
  Header h = Parse("a=b=c");
  EXPECT_EQ(h.key, "a");
  EXPECT_EQ(h.value, "c");
  h = Parse("Option=");
  EXPECT_EQ(h.key, "Option");
  EXPECT_EQ(h.value, "");
  h = Parse("=v");
  EXPECT_EQ(h.key, "");
  EXPECT_EQ(h.value, "v");
}

TEST(ParseHeaderLine, WithoutEqualsKeyAndValueAreTheText) {
  const Header h = Parse(" lone word ");
  EXPECT_EQ(h.key, "loneword");
  EXPECT_EQ(h.value, "loneword");
}

TEST(ParseHeaderLine, EmptyLineKeepsThePrevious) {
  const Header h = Parse("", {"Name", "Kept"});
  EXPECT_EQ(h.key, "Name");
  EXPECT_EQ(h.value, "Kept");
}

TEST(ParseHeaderLine, ReadsOnlyTheFirst256Characters) {
  const std::string line = "Name=" + std::string(251, 'n') + "TAIL";
  const Header h = Parse(line);
  EXPECT_EQ(h.value, std::string(251, 'n'));
}

TEST(TextToInt, ReadsLikeTheCRuntime) {
  EXPECT_EQ(TextToInt("2"), 2);
  EXPECT_EQ(TextToInt(" \t-3x"), -3);
  EXPECT_EQ(TextToInt("+4"), 4);
  EXPECT_EQ(TextToInt("x5"), 0);
  EXPECT_EQ(TextToInt(""), 0);
  EXPECT_EQ(TextToInt("99999999999999999999"), 2147483647);
  EXPECT_EQ(TextToInt("-99999999999999999999"), -2147483647 - 1);
}

TEST(JoinWithin, FitsWithTheTerminatorOrRefuses) {
  std::string out = "stale";
  EXPECT_TRUE(JoinWithin(260, &out, {std::string(250, 'a'), "\\", std::string(8, 'b')}));
  EXPECT_EQ(out.size(), 259u);
  EXPECT_FALSE(JoinWithin(260, &out, {std::string(250, 'a'), "\\", std::string(9, 'b')}));
  EXPECT_EQ(out, "") << "a refused path must not leave a cut one behind";
}

}  // namespace
}  // namespace sweepall
