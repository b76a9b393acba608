// User defaults: a corrupt file set aside, an unreadable one left alone.
#include "platform/foundation/user_defaults.h"
#include "tests/platform/device_fixture.h"

#include <fstream>
#include <iterator>

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
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
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

  // The next launch of the same phone finds a second corrupt file: it does not replace the first one set aside.
  writeFile("[\"not an object\"]");
  useDevice({}, {}, /*keepRoot=*/true);
  auto& next = NSUserDefaults::standardUserDefaults();
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
