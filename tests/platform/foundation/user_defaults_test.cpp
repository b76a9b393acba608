// User defaults: typed storage in the device's JSON file, and bad files.
#include "platform/foundation/user_defaults.h"
#include "tests/platform/device_fixture.h"

#include <nlohmann/json.hpp>

#include <fstream>
#include <sstream>

namespace platform {
namespace {

class UserDefaultsTest : public testsupport::DeviceTest {
 protected:
  std::filesystem::path file() const { return host(NSUserDefaults::kDevicePath); }

  void writeFile(const std::string& content) {
    std::filesystem::create_directories(file().parent_path());
    std::ofstream(file(), std::ios::binary) << content;
  }

  static std::string read(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  // The defaults as a fresh launch of the same phone reads them.
  NSUserDefaults& relaunch() {
    useDevice({}, {}, /*keepRoot=*/true);
    return NSUserDefaults::standardUserDefaults();
  }
};

TEST_F(UserDefaultsTest, MissingFileMeansNoSettings) {
  auto& defaults = NSUserDefaults::standardUserDefaults();
  EXPECT_EQ(defaults.loadOutcome(), NSUserDefaults::LoadOutcome::Missing);
  EXPECT_FALSE(defaults.objectForKey("RECORDGPS"));
  EXPECT_EQ(defaults.integerForKey("SENSITIVITY"), 0);
  EXPECT_TRUE(defaults.synchronize());
  EXPECT_FALSE(std::filesystem::exists(file())) << "nothing to write";
}

TEST_F(UserDefaultsTest, ValuesKeepTheirTypesInTheFileAndAcrossALaunch) {
  const std::pair<const char*, PropertyValue> values[] = {
      {"RECORDGPS", false}, {"SENSITIVITY", 2}, {"DELTA", 0.21}, {"LASTVERSION", "1.0"}};
  for (const auto& [key, value] : values) NSUserDefaults::standardUserDefaults().setObject(value, key);
  EXPECT_TRUE(NSUserDefaults::standardUserDefaults().synchronize());
  EXPECT_EQ(nlohmann::json::parse(read(file())).dump(),
            R"({"DELTA":0.21,"LASTVERSION":"1.0","RECORDGPS":false,"SENSITIVITY":2})");
  auto& again = relaunch();
  EXPECT_EQ(again.loadOutcome(), NSUserDefaults::LoadOutcome::Loaded);
  for (const auto& [key, value] : values) EXPECT_EQ(again.objectForKey(key), value) << key;
  again.removeObjectForKey("RECORDGPS");
  EXPECT_FALSE(relaunch().objectForKey("RECORDGPS"));
}

TEST_F(UserDefaultsTest, FileValuesKeepTheirJSONTypeAndUnreadableOnesAreKeptButNotRead) {
  writeFile(R"({"text": " 2 apples", "real": -1.9, "bool": true, "list": [1, 2], "nothing": null})");
  auto& d = NSUserDefaults::standardUserDefaults();
  ASSERT_EQ(d.loadOutcome(), NSUserDefaults::LoadOutcome::Loaded);
  EXPECT_EQ(d.objectForKey("text"), PropertyValue(" 2 apples"));
  EXPECT_EQ(d.objectForKey("real"), PropertyValue(-1.9));
  EXPECT_EQ(d.integerForKey("real"), -1);
  EXPECT_EQ(d.objectForKey("bool"), PropertyValue(true));
  EXPECT_FALSE(d.objectForKey("list")) << "an array is no setting the application can read";
  EXPECT_FALSE(d.objectForKey("nothing"));
  d.setObject(PropertyValue("1.1"), "LASTVERSION");
  EXPECT_EQ(nlohmann::json::parse(read(file()))["list"], nlohmann::json::array({1, 2}));
}

TEST_F(UserDefaultsTest, CorruptFileIsSetAsideNotOverwritten) {
  const std::string broken = "{\"RECORDGPS\": tru";
  writeFile(broken);
  auto& d = NSUserDefaults::standardUserDefaults();
  EXPECT_EQ(d.loadOutcome(), NSUserDefaults::LoadOutcome::CorruptSetAside);
  EXPECT_FALSE(d.objectForKey("RECORDGPS"));
  EXPECT_EQ(d.setAsidePath().filename(), "Holdstill.json.corrupt");
  EXPECT_EQ(read(d.setAsidePath()), broken);

  d.setObject(PropertyValue("1.0"), "LASTVERSION");
  EXPECT_EQ(read(d.setAsidePath()), broken);

  // A second corrupt file does not replace the first one set aside.
  writeFile("[\"not an object\"]");
  auto& next = relaunch();
  EXPECT_EQ(next.loadOutcome(), NSUserDefaults::LoadOutcome::CorruptSetAside);
  EXPECT_EQ(next.setAsidePath().filename(), "Holdstill.json.corrupt-2");
  EXPECT_EQ(read(file().string() + ".corrupt"), broken);
}

TEST_F(UserDefaultsTest, UnreadableFileIsLeftAloneAndSettingsStayInMemory) {
  std::filesystem::create_directories(file() / "inside");
  auto& d = NSUserDefaults::standardUserDefaults();
  EXPECT_EQ(d.loadOutcome(), NSUserDefaults::LoadOutcome::Unreadable);
  d.setBool(true, "RECORDGPS");
  EXPECT_EQ(d.objectForKey("RECORDGPS"), PropertyValue(true));
  EXPECT_FALSE(d.synchronize());
  EXPECT_TRUE(std::filesystem::is_directory(file() / "inside"));
}

TEST_F(UserDefaultsTest, WritesLeaveNoTemporaryFilesBehind) {
  auto& d = NSUserDefaults::standardUserDefaults();
  for (int i = 0; i < 20; ++i) d.setInteger(i, "COUNT");
  namespace fs = std::filesystem;
  EXPECT_EQ(std::distance(fs::directory_iterator(file().parent_path()), fs::directory_iterator()), 1);
  EXPECT_EQ(relaunch().integerForKey("COUNT"), 19);
}

}  // namespace
}  // namespace platform
