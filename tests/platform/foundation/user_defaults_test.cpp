// User defaults: a corrupt file set aside, an unreadable one left alone.
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

}  // namespace
}  // namespace platform
