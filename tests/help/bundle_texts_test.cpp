// The bundle's texts: every language carries every key the application
// uses, without syntax errors, with the placeholders its formats need; and
// every help page is UTF-8 and has the links the help screen relies on.
#include "platform/foundation/ns_string.h"
#include "platform/foundation/strings_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace platform {
namespace {

const std::filesystem::path kBundle = HOLDSTILL_RESOURCES_DIR;
const char* const kLanguages[] = {"en.lproj", "de.lproj", "fr.lproj"};

std::string fileText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int count(const std::string& text, const std::string& part) {
  int n = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
  return n;
}

TEST(BundleTexts, EveryLanguageHasEveryKeyWithItsPlaceholders) {
  // Key and the number of "%@" its text must hold.
  const std::pair<const char*, int> keys[] = {
      {"AppName", 0},      {"Preview", 0},   {"Welcome", 0},       {"OK", 0},
      {"DeviceWarning", 1}, {"AcquiringGPS", 0}, {"TouchAnywhere", 0}, {"GPSInfo", 1},
      {"NoGPSData", 0},    {"NoLocationInfo", 0}, {"Saving", 1},    {"SavingGPSData", 0},
      {"SaveFailed", 1},
      {"HelpTitle", 0},    {"Back", 0},      {"About", 0},         {"OtherProducts", 0},
      {"HelpUnavailable", 0}, {"Cancel", 0}, {"MakerNotice", 0}};
  for (const char* language : kLanguages) {
    const std::string text = fileText(kBundle / language / "Localizable.strings");
    ASSERT_TRUE(isValidUtf8(text)) << language;
    const StringsTable table = parseStringsText(text);
    EXPECT_TRUE(table.issues.empty()) << language << " line " << table.issues.front().line;
    for (const auto& [key, placeholders] : keys) {
      const auto found = table.entries.find(key);
      ASSERT_NE(found, table.entries.end()) << language << " lacks " << key;
      EXPECT_FALSE(found->second.empty()) << language << " " << key;
      EXPECT_EQ(count(found->second, "%@"), placeholders) << language << " " << key;
    }
  }
}

TEST(BundleTexts, HelpPagesAreUtf8AndLinkWhereTheHelpScreenExpects) {
  const std::string index = fileText(kBundle / "Help/index.htm");
  ASSERT_TRUE(isValidUtf8(index));
  EXPECT_NE(index.find("href=\"../SymbolDefs.htm\""), std::string::npos);
  EXPECT_NE(index.find("href=\"../Introduction.htm\""), std::string::npos);
  for (const char* language : kLanguages) {
    for (const char* page : {"introduction.htm", "symboldefs.htm"}) {
      const auto path = kBundle / language / page;
      ASSERT_TRUE(std::filesystem::exists(path)) << path;
      const std::string html = fileText(path);
      EXPECT_TRUE(isValidUtf8(html)) << path;
      EXPECT_NE(html.find("charset=\"utf-8\""), std::string::npos) << path;
    }
    // Each page leads to the other one in the same folder.
    EXPECT_NE(fileText(kBundle / language / "introduction.htm").find("href=\"symboldefs.htm\""),
              std::string::npos);
    EXPECT_NE(fileText(kBundle / language / "symboldefs.htm").find("href=\"introduction.htm\""),
              std::string::npos);
  }
}

}  // namespace
}  // namespace platform
