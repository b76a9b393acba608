// The application bundle cannot be changed, and the strings files it reads.
#include "platform/foundation/bundle.h"
#include "platform/foundation/data_file.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/strings_file.h"
#include "tests/platform/device_fixture.h"

#include <fstream>

namespace platform {
namespace {

using BundleTest = testsupport::DeviceTest;

TEST_F(BundleTest, BundleCannotBeChanged) {
  const auto folder = scratch() / "bundle";
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "help.png") << "image";
  useDevice({}, folder);
  const std::string path = "/Applications/Holdstill.app/help.png";
  NSError error;
  const std::uint8_t byte = 0;
  EXPECT_FALSE(writeToFile({&byte, 1}, path, true, &error));
  EXPECT_FALSE(error.localizedDescription.empty());
  EXPECT_FALSE(NSFileManager::defaultManager().removeItemAtPath(path));
  EXPECT_FALSE(NSFileManager::defaultManager().removeItemAtPath("/Applications/Holdstill.app"));
  EXPECT_EQ(std::filesystem::file_size(folder / "help.png"), 5u);
}

// The strings-file reader: broken entries, encodings and escapes.
std::span<const std::uint8_t> bytesOf(const std::string& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

TEST(StringsFileTest, BrokenEntryIsLostAndItsNeighboursKept) {
  const std::pair<const char*, const char*> cases[] = {
      {R"("bad" = "value")", "missing semicolon"},
      {R"("bad" "value";)", "missing equals sign"},
      {R"("bad" = "value;)", "unterminated quote"},
      {R"("bad" = ;)", "missing value"},
      {R"("bad" = "v"; /* never closed)", "unterminated comment"},
      {R"(= "value";)", "missing key"},
  };
  for (const auto& [broken, why] : cases) {
    std::string text = std::string("\"before\" = \"1\";\n") + broken + "\n\"after\" = \"2\";\n";
    auto table = parseStringsText(text);
    EXPECT_EQ(table.entries.count("before"), 1u) << why;
    EXPECT_EQ(table.entries.count("after"), 1u) << why;
    EXPECT_EQ(table.entries.count("value"), 0u) << why;
    ASSERT_EQ(table.issues.size(), 1u) << why;
    EXPECT_EQ(table.issues[0].line, 2) << why;
  }
}

TEST(StringsFileTest, ReadsUtf16WithByteOrderMarkAndCleansBadUtf8) {
  const std::u16string source = u"\"k\" = \"Zur\u00fcck \U0001F600\"; \"u\" = \"\xD83Dx\xDE00\";";
  std::string little = "\xFF\xFE", big = "\xFE\xFF";
  for (char16_t unit : source) {
    little += char(unit & 0xFF), little += char(unit >> 8);
    big += char(unit >> 8), big += char(unit & 0xFF);
  }
  const std::string expected = "Zur\u00fcck \U0001F600";
  EXPECT_EQ(parseStringsFile(bytesOf(little)).entries.at("k"), expected);
  EXPECT_EQ(parseStringsFile(bytesOf(big)).entries.at("k"), expected);
  EXPECT_EQ(parseStringsFile(bytesOf(big)).entries.at("u"), "\uFFFDx\uFFFD") << "unpaired surrogates";
  EXPECT_EQ(parseStringsFile(bytesOf("\xEF\xBB\xBF\"k\" = \"v\";")).entries.at("k"), "v");
  // Escaped UTF-16 in a UTF-8 file: pairs joined, unpaired halves replaced.
  EXPECT_EQ(parseStringsText(R"("u" = "caf\U00E9 \UD83D\UDE00 \UD83Dx\UDE00";)").entries.at("u"),
            "caf\u00e9 \U0001F600 \uFFFDx\uFFFD");
  EXPECT_EQ(parseStringsFile(bytesOf("\"k\" = \"a\xFF" "b\";")).entries.at("k"), "a\uFFFDb");
}

}  // namespace
}  // namespace platform
