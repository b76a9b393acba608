// The bundle's texts: every language carries every key the application
// uses, without syntax errors, with the placeholders its formats need; and
// every help page is UTF-8.
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

// The links between the pages are followed by the help screen's tests.
TEST(BundleTexts, HelpPagesAreUtf8AndSayWhichCharsetTheyUse) {
  ASSERT_TRUE(isValidUtf8(fileText(kBundle / "Help/index.htm")));
  for (const char* language : kLanguages)
    for (const char* page : {"introduction.htm", "symboldefs.htm"}) {
      const std::string html = fileText(kBundle / language / page);
      EXPECT_TRUE(isValidUtf8(html) && !html.empty()) << language << "/" << page;
      EXPECT_NE(html.find("charset=\"utf-8\""), std::string::npos) << language << "/" << page;
    }
}

}  // namespace
}  // namespace platform
