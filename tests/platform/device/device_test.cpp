// The simulated device: device paths never lead out of the phone or beside the bundle.
#include "platform/device/device.h"
#include "tests/platform/device_fixture.h"

#include <cstdlib>

namespace platform {
namespace {

using DeviceTest = testsupport::DeviceTest;

TEST_F(DeviceTest, DevicePathsMapBelowTheRootAndNeverLeaveIt) {
  auto device = Device::current();
  const auto r = device->root();
  EXPECT_EQ(device->hostPath("/private/var/mobile/Media/DCIM/100APPLE/"),
            r / "private/var/mobile/Media/DCIM/100APPLE");
  EXPECT_EQ(device->hostPath("/a/./b//c/../d"), r / "a/b/d");
  EXPECT_EQ(device->hostPath("/../../etc/passwd"), r / "etc/passwd");
  EXPECT_EQ(device->hostPath("relative/x"), r / "relative/x");
  EXPECT_EQ(device->hostPath("/"), r);
}

TEST_F(DeviceTest, AppBundleAppearsAtItsDevicePath) {
  auto device = Device::current();
  EXPECT_EQ(device->hostPath("/Applications/Holdstill.app/en.lproj/Localizable.strings"),
            std::filesystem::path(HOLDSTILL_RESOURCES_DIR) / "en.lproj/Localizable.strings");
  EXPECT_TRUE(device->isInAppBundle("/Applications/Holdstill.app/Info.json"));
  // ".." out of the bundle lands on the device, not beside the bundle on the host.
  EXPECT_FALSE(device->isInAppBundle("/Applications/Holdstill.app/../Other"));
  EXPECT_EQ(device->hostPath("/Applications/Holdstill.app/../../x"), root() / "x");
  EXPECT_FALSE(device->isInAppBundle("/Applications/Holdstill.apple"));
}

}  // namespace
}  // namespace platform
