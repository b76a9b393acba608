// The strings-file reader: syntax, escapes, encodings, and recovery from
// broken entries.
#include "platform/foundation/strings_file.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

std::span<const std::uint8_t> bytesOf(const std::string& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

TEST(StringsFileTest, ReadsEntriesCommentsAndEscapes) {
  auto table = parseStringsText(R"(/* block
   comment */ "plain" = "Text";   // line comment
word = other_word.1;
"same";
"quote" = "say \"hi\" \\ back";
"controls" = "a\nb\tc\r";
"unicode" = "caf\U00E9 \u00e9 \UD83D\UDE00";
"octal" = "\101\102";
"multi" = "line one
line two";
"format" = "%@ v%@";
"twice" = "first"; "twice" = "second";
)");
  EXPECT_TRUE(table.issues.empty());
  const std::map<std::string, std::string> expected{
      {"plain", "Text"},
      {"word", "other_word.1"},
      {"same", "same"},
      {"quote", "say \"hi\" \\ back"},
      {"controls", "a\nb\tc\r"},
      {"unicode", "caf\u00e9 \u00e9 \U0001F600"},
      {"octal", "AB"},
      {"multi", "line one\nline two"},
      {"format", "%@ v%@"},
      {"twice", "second"},
  };
  EXPECT_EQ(table.entries, expected);
}

TEST(StringsFileTest, BrokenEntryIsLostAndItsNeighboursKept) {
  struct Case {
    const char* broken;
    const char* why;
  };
  const Case cases[] = {
      {R"("bad" = "value")", "missing semicolon"},
      {R"("bad" "value";)", "missing equals sign"},
      {R"("bad" = "value;)", "unterminated quote"},
      {R"("bad" = ;)", "missing value"},
      {R"("bad" = "v"; /* never closed)", "unterminated comment"},
      {R"(= "value";)", "missing key"},
  };
  for (const auto& c : cases) {
    std::string text = std::string("\"before\" = \"1\";\n") + c.broken + "\n\"after\" = \"2\";\n";
    auto table = parseStringsText(text);
    EXPECT_EQ(table.entries.count("before"), 1u) << c.why;
    EXPECT_EQ(table.entries.count("after"), 1u) << c.why;
    EXPECT_EQ(table.entries.count("value"), 0u) << c.why;
    ASSERT_EQ(table.issues.size(), 1u) << c.why;
    EXPECT_EQ(table.issues[0].line, 2) << c.why;
  }
}

TEST(StringsFileTest, UnterminatedQuoteAtTheEndLosesOnlyThatEntry) {
  auto table = parseStringsText("\"a\" = \"1\";\n\"b\" = \"never closed\n");
  EXPECT_EQ(table.entries, (std::map<std::string, std::string>{{"a", "1"}}));
  EXPECT_EQ(table.issues.size(), 1u);
}

TEST(StringsFileTest, ReadsUtf16WithByteOrderMarkAndCleansBadUtf8) {
  const std::u16string source = u"\"k\" = \"Zur\u00fcck \U0001F600\";";
  std::string little = "\xFF\xFE", big = "\xFE\xFF";
  for (char16_t unit : source) {
    little += char(unit & 0xFF), little += char(unit >> 8);
    big += char(unit >> 8), big += char(unit & 0xFF);
  }
  const std::string expected = "Zur\u00fcck \U0001F600";
  EXPECT_EQ(parseStringsFile(bytesOf(little)).entries.at("k"), expected);
  EXPECT_EQ(parseStringsFile(bytesOf(big)).entries.at("k"), expected);
  EXPECT_EQ(parseStringsFile(bytesOf("\xEF\xBB\xBF\"k\" = \"v\";")).entries.at("k"), "v");
  EXPECT_EQ(parseStringsFile(bytesOf("\"k\" = \"a\xFF" "b\";")).entries.at("k"), "a\uFFFDb");
}

}  // namespace
}  // namespace platform
