#pragma once
// A simulated phone for one command: a fresh Virtual-mode run loop and a
// device rooted in a temporary folder (removed again at the end), with the
// application bundle found as Device::locateAppBundle finds it.
#include "platform/device/device.h"

#include <filesystem>
#include <memory>

namespace holdstill::sim {

class ScratchDevice {
 public:
  // Throws CommandError when no temporary folder can be made.
  explicit ScratchDevice(platform::DeviceProfile profile);
  ~ScratchDevice();
  ScratchDevice(const ScratchDevice&) = delete;
  ScratchDevice& operator=(const ScratchDevice&) = delete;

  platform::Device& device() { return *device_; }

 private:
  std::filesystem::path root_;
  std::shared_ptr<platform::Device> device_;
};

}  // namespace holdstill::sim
