// The application bundle, and the strings files it reads.
#include "platform/foundation/bundle.h"
#include "platform/foundation/data_file.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/strings_file.h"
#include "tests/platform/device_fixture.h"

#include <fstream>
#include <regex>

namespace platform {
namespace {

class BundleTest : public testsupport::DeviceTest {
 protected:
  // A bundle folder in scratch space holding `files` (relative path -> content).
  std::filesystem::path makeBundle(const std::map<std::string, std::string>& files) {
    auto folder = scratch() / "bundle";
    std::filesystem::remove_all(folder);
    for (const auto& [path, content] : files) {
      std::filesystem::create_directories((folder / path).parent_path());
      std::ofstream(folder / path, std::ios::binary) << content;
    }
    return folder;
  }
};

const char* const kKeys[] = {"AppName", "Preview", "Welcome", "OK", "DeviceWarning", "AcquiringGPS",
                             "TouchAnywhere", "GPSInfo", "NoGPSData", "NoLocationInfo", "Saving",
                             "SavingGPSData", "HelpTitle", "Back", "About", "OtherProducts"};

TEST_F(BundleTest, ResourcesHaveEveryTextInEveryLanguage) {
  EXPECT_EQ(NSBundle::mainBundle().localizations(), (std::vector<std::string>{"de", "en", "fr"}));
  for (const char* language : {"en", "de", "fr"}) {
    auto bytes = dataWithContentsOfFile(std::string("/Applications/Holdstill.app/") + language +
                                        ".lproj/Localizable.strings");
    ASSERT_TRUE(bytes) << language;
    auto table = parseStringsFile(*bytes);
    EXPECT_TRUE(table.issues.empty()) << language;
    for (const char* key : kKeys) EXPECT_EQ(table.entries.count(key), 1u) << language << " " << key;
    // Formats the application fills with exactly one object.
    for (const char* key : {"GPSInfo", "Saving", "DeviceWarning"}) {
      const std::string& text = table.entries[key];
      EXPECT_EQ(std::count(text.begin(), text.end(), '%'), 1) << language << " " << key;
      EXPECT_NE(text.find("%@"), std::string::npos) << language << " " << key;
    }
  }
}

TEST_F(BundleTest, InfoDictionaryHasTheShortVersionAndAMissingOrMalformedOneNoValues) {
  auto version = NSBundle::mainBundle().objectForInfoDictionaryKey("CFBundleShortVersionString");
  ASSERT_TRUE(version && version->isText());
  EXPECT_TRUE(std::regex_match(version->stringValue(), std::regex(R"(\d+(\.\d+)*)")));
  EXPECT_FALSE(NSBundle::mainBundle().objectForInfoDictionaryKey("NoSuchKey"));
  for (auto files : {std::map<std::string, std::string>{{"Info.json", "{\"CFBundleShortVersionString\": "}},
                     std::map<std::string, std::string>{}}) {
    useDevice({}, makeBundle(files));
    EXPECT_FALSE(NSBundle::mainBundle().objectForInfoDictionaryKey("CFBundleShortVersionString"));
  }
}

TEST_F(BundleTest, TextsFollowThePreferredLanguageWithEnglishBehind) {
  auto bundle = makeBundle({
      {"en.lproj/Localizable.strings", "\"Back\" = \"Back\";\n\"Only\" = \"English only\";\n"},
      {"de.lproj/Localizable.strings", "\"Back\" = \"Zur\u00fcck\";\n\"Broken\" = \"x\"\n"},
  });
  auto text = [](const char* key, const char* value = "") {
    return NSBundle::mainBundle().localizedStringForKey(key, value, "");
  };
  useDevice({.preferredLanguage = "de-CH"}, bundle);
  EXPECT_EQ(NSBundle::mainBundle().preferredLocalizations(), (std::vector<std::string>{"de", "en"}));
  EXPECT_EQ(text("Back"), "Zur\u00fcck");
  EXPECT_EQ(text("Only"), "English only");
  EXPECT_EQ(text("Broken"), "Broken") << "a broken entry falls back to its key";
  EXPECT_EQ(text("Missing", "Default"), "Default");

  useDevice({.preferredLanguage = "es"}, bundle);
  EXPECT_EQ(text("Back"), "Back");
  Device::current()->setPreferredLanguage("de");
  EXPECT_EQ(text("Back"), "Zur\u00fcck") << "a language change applies at once";
}

TEST_F(BundleTest, ResourcePathsAreDevicePathsSearchedSharedThenLocalized) {
  useDevice({.preferredLanguage = "fr"},
            makeBundle({{"help.png", "shared"},
                        {"en.lproj/Localizable.strings", ""},
                        {"fr.lproj/Localizable.strings", ""},
                        {"fr.lproj/help.png", "french"},
                        {"fr.lproj/Help/introduction.htm", ""},
                        {"en.lproj/only-en.png", ""}}));
  auto& bundle = NSBundle::mainBundle();
  EXPECT_EQ(bundle.pathForResource("Localizable", "strings", ""),
            "/Applications/Holdstill.app/fr.lproj/Localizable.strings");
  EXPECT_EQ(bundle.pathForResource("help", "png"), "/Applications/Holdstill.app/help.png");
  EXPECT_EQ(bundle.pathForResource("introduction", "htm", "Help"),
            "/Applications/Holdstill.app/fr.lproj/Help/introduction.htm");
  EXPECT_EQ(bundle.pathForResource("help", "png", "", "fr"), "/Applications/Holdstill.app/fr.lproj/help.png");
  EXPECT_EQ(bundle.pathForImageNamed("only-en"), "/Applications/Holdstill.app/en.lproj/only-en.png");
  EXPECT_FALSE(bundle.pathForResource("absent", "png"));
  EXPECT_FALSE(bundle.pathForImageNamed(""));
}

TEST_F(BundleTest, BundleCannotBeChanged) {
  auto folder = makeBundle({{"help.png", "image"}});
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

// The strings-file reader: syntax, escapes, encodings, broken entries.
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
"unpaired" = "\UD83Dx\UDE00";
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
      {"unpaired", "\uFFFDx\uFFFD"},
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
  EXPECT_EQ(parseStringsFile(bytesOf("\"k\" = \"a\xFF" "b\";")).entries.at("k"), "a\uFFFDb");
}

}  // namespace
}  // namespace platform
