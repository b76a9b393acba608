#pragma once
// Fixture: a fresh run loop and a fresh device in a temporary folder, bundle resources/.
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

  // Makes a new current device with this profile and bundle folder (empty:
  // resources/), on a fresh root unless `keepRoot` (restarting the same phone).
  std::shared_ptr<Device> useDevice(DeviceProfile profile, std::filesystem::path bundle = {},
                                    bool keepRoot = false) {
    if (bundle.empty()) bundle = HOLDSTILL_RESOURCES_DIR;
    if (!keepRoot) ++generation_;
    Device::setCurrent(nullptr);
    auto device = std::make_shared<Device>(root(), std::move(profile), std::move(bundle));
    Device::setCurrent(device);
    return device;
  }

  std::filesystem::path root() const { return folder_ / ("device-" + std::to_string(generation_)); }
  std::filesystem::path scratch() const { return folder_ / "scratch"; }  // beside the device
  std::filesystem::path host(std::string_view devicePath) const {
    return Device::current()->hostPath(devicePath);
  }

 private:
  std::filesystem::path folder_;
  int generation_ = 0;
};

}  // namespace platform::testsupport
