// The platform's readings of texts, path and text helpers, and formatting.
#include "platform/foundation/ns_string.h"
#include "platform/foundation/property_value.h"
#include "platform/foundation/string_format.h"

#include <gtest/gtest.h>

#include <climits>

namespace platform {
namespace {

TEST(NSStringTest, IntValueReadsLeadingDigits) {
  const std::pair<const char*, int> cases[] = {
      {"42", 42},   {"  -7x", -7}, {"+3", 3},           {"0043.JPG", 43},          {"abc", 0},
      {"", 0},      {"2.9", 2},    {"- 5", 0},          {"99999999999", INT_MAX}, {"-99999999999", INT_MIN}};
  for (const auto& [text, expected] : cases) EXPECT_EQ(intValue(text), expected) << text;
  EXPECT_EQ(integerValue("-9223372036854775808"), LLONG_MIN);
  EXPECT_EQ(integerValue("99999999999999999999"), LLONG_MAX);
  EXPECT_DOUBLE_EQ(doubleValue(" 1.5e2 apples"), 150);
  EXPECT_EQ(doubleValue("x"), 0);
}

TEST(NSStringTest, BoolValueLooksAtTheFirstSignificantCharacter) {
  for (const char* yes : {"YES", "yes", "true", "T", "1", "010", " 7", "-1", "+9"}) EXPECT_TRUE(boolValue(yes)) << yes;
  for (const char* no : {"NO", "false", "0", "", "  ", "000", "on", "x1"}) EXPECT_FALSE(boolValue(no)) << no;
}

TEST(NSStringTest, NumbersReadAsTheOtherTypes) {
  EXPECT_TRUE(PropertyValue(0.5).boolValue());
  EXPECT_EQ(PropertyValue(-2.7).intValue(), -2);
  EXPECT_EQ(PropertyValue(1e300).intValue(), INT_MAX);
  EXPECT_EQ(PropertyValue(true).stringValue(), "1");
  EXPECT_EQ(PropertyValue(true).intValue(), 1);
  EXPECT_EQ(PropertyValue(0.25).stringValue(), "0.25");
  EXPECT_EQ(PropertyValue(3.0).stringValue(), "3");
  EXPECT_EQ(PropertyValue("12").doubleValue(), 12);
  EXPECT_NE(PropertyValue(1), PropertyValue(true)) << "the type is part of the value";
}

TEST(NSStringTest, PathHelpers) {
  EXPECT_EQ(pathExtension("IMG_0001.JPG"), "JPG");
  EXPECT_EQ(pathExtension("sub/IMG_0001.jpg"), "jpg");
  EXPECT_EQ(pathExtension("a.b/file"), "");
  EXPECT_EQ(pathExtension(".hidden"), "");
  EXPECT_EQ(pathExtension("archive.tar.gz/"), "gz");
  EXPECT_EQ(lastPathComponent("/a/b/"), "b");
  EXPECT_EQ(lastPathComponent("/"), "/");
  EXPECT_EQ(stringByDeletingLastPathComponent("/a/en.lproj/Localizable.strings"), "/a/en.lproj");
  EXPECT_EQ(stringByDeletingLastPathComponent("/a"), "/");
  EXPECT_EQ(stringByDeletingLastPathComponent("a"), "");
  EXPECT_EQ(stringByAppendingPathComponent("/a/", "/b"), "/a/b");
}

TEST(NSStringTest, CaseInsensitiveOrderAndSplitting) {
  EXPECT_EQ(caseInsensitiveCompare("img_0001.JPG", "IMG_0002.jpg"), -1);
  EXPECT_EQ(caseInsensitiveCompare("ABC", "abc"), 0);
  EXPECT_EQ(caseInsensitiveCompare("abcd", "ABC"), 1);
  EXPECT_EQ(componentsSeparatedByString("IMG_0043.JPG", "_"), (std::vector<std::string>{"IMG", "0043.JPG"}));
  EXPECT_EQ(componentsSeparatedByString("noseparator", "_"), (std::vector<std::string>{"noseparator"}));
  EXPECT_EQ(componentsSeparatedByString("a__b_", "_"), (std::vector<std::string>{"a", "", "b", ""}));

  std::string page = "<a href=\"../symbolDEFS.htm\">x</a> ../SymbolDefs ../Symbol";
  EXPECT_EQ(replaceOccurrencesOfString(page, "../SymbolDefs", "../fr.lproj/symboldefs", true), 2);
  EXPECT_EQ(page, "<a href=\"../fr.lproj/symboldefs.htm\">x</a> ../fr.lproj/symboldefs ../Symbol");
  EXPECT_EQ(replaceOccurrencesOfString(page, "../symbol", "!"), 0) << "case matters unless told otherwise";
}

TEST(NSStringTest, LossyAsciiDropsAccentsAndMarksTheRest) {
  EXPECT_EQ(asciiLossy("Zo\u00eb's Caf\u00e9"), "Zoe's Cafe");
  EXPECT_EQ(asciiLossy("\u0141\u00f3d\u017a"), "?odz");
  EXPECT_EQ(asciiLossy("\u65e5\u672c \U0001F600"), "?? ?");
  EXPECT_EQ(asciiLossy("bad\xFF" "byte"), "bad?byte");
  EXPECT_TRUE(isValidUtf8("Zur\u00fcck"));
  EXPECT_FALSE(isValidUtf8("\xC0\xAF"));
}

TEST(StringFormatTest, FormatsTheApplicationUses) {
  EXPECT_EQ(stringWithFormat("/maps?t=h&q=%f%%20%@,%f%%20%@", 48.5, "N", 2.25, "W"),
            "/maps?t=h&q=48.500000%20N,2.250000%20W");
  EXPECT_EQ(stringWithFormat("%.2f %@  %.2f %@  Alt: %.0fm\r\non %@", 33.8688, "S", 151.2093, "E", -3.4, "today"),
            "33.87 S  151.21 E  Alt: -3m\r\non today");
  EXPECT_EQ(stringWithFormat("IMG_%04d", 7), "IMG_0007");
  EXPECT_EQ(stringWithFormat("IMG_%04d", 12345), "IMG_12345");
  EXPECT_EQ(stringWithFormat("Saving%@...", ""), "Saving...");
}

TEST(StringFormatTest, PositionsWidthsAndObjects) {
  EXPECT_EQ(stringWithFormat("%2$@ %1$@", "a", "b"), "b a");
  EXPECT_EQ(stringWithFormat("[%5s|%-4d|%*d]", "ab", 7, 3, 1), "[   ab|7   |  1]");
  EXPECT_EQ(stringWithFormat("%x %X %o %u", 255, 255, 8, 3), "ff FF 10 3");
  EXPECT_EQ(stringWithFormat("%@ %@ %@", 42, 0.5, true), "42 0.5 1");
  EXPECT_EQ(stringWithFormat("%ld %lu %lld %hhd %zu", 1, 2, 3, 4, 5), "1 2 3 4 5");
}

TEST(StringFormatTest, NeverUndefined) {
  EXPECT_EQ(stringWithFormat("%d and %@"), "0 and ");
  EXPECT_EQ(stringWithFormat("%d", "12 apples"), "12");
  EXPECT_EQ(stringWithFormat("%.1f", "2.25"), "2.2");
  EXPECT_EQ(stringWithFormat("100%"), "100%");
  EXPECT_EQ(stringWithFormat("%y %d", 5), "%y 5");
  EXPECT_EQ(stringWithFormat("%99999999d", 1).size(), 4096u) << "padding is bounded";
  EXPECT_EQ(stringWithFormat("%n%s", 1, 2), "%n1");
}

}  // namespace
}  // namespace platform
