#pragma once
// Fixture for suites that use the simulated device: a fresh Virtual-mode
// run loop (see run_loop_fixture.h) and a fresh device rooted in a
// temporary folder, with the project's resources/ as its application
// bundle. The folder is removed after the test.
//
//   class SettingsTest : public platform::testsupport::DeviceTest {};
//   TEST_F(SettingsTest, ...) { useDevice({.model = "Tablet"}); ... }
#include "platform/device/device.h"
#include "tests/platform/run_loop_fixture.h"

#include <filesystem>
#include <memory>
#include <string>

#include <stdlib.h>

namespace platform::testsupport {

class DeviceTest : public RunLoopTest {
 protected:
  void SetUp() override {
    RunLoopTest::SetUp();
    std::string pattern = (std::filesystem::temp_directory_path() / "holdstill-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    useDevice({});
  }

  void TearDown() override {
    finishWorkers();  // while the device they may use is still there
    Device::setCurrent(nullptr);
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
    RunLoopTest::TearDown();
  }

  // Makes a new current device with this profile (and this bundle folder;
  // empty: the project's resources/). Each call starts from a fresh root
  // unless `keepRoot` is set, which models restarting the same phone.
  std::shared_ptr<Device> useDevice(DeviceProfile profile, std::filesystem::path bundle = {},
                                    bool keepRoot = false) {
    if (bundle.empty()) bundle = HOLDSTILL_RESOURCES_DIR;
    if (!keepRoot) ++generation_;
    Device::setCurrent(nullptr);
    auto device = std::make_shared<Device>(root(), std::move(profile), std::move(bundle));
    Device::setCurrent(device);
    return device;
  }

  // The current device's folder, and a scratch folder beside it.
  std::filesystem::path root() const { return folder_ / ("device-" + std::to_string(generation_)); }
  std::filesystem::path scratch() const { return folder_ / "scratch"; }
  std::filesystem::path host(std::string_view devicePath) const {
    return Device::current()->hostPath(devicePath);
  }

 private:
  std::filesystem::path folder_;
  int generation_ = 0;
};

}  // namespace platform::testsupport
