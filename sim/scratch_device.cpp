#include "sim/scratch_device.h"

#include "platform/runloop/run_loop.h"
#include "sim/commands.h"

#include <stdlib.h>

namespace holdstill::sim {

ScratchDevice::ScratchDevice(platform::DeviceProfile profile) {
  std::string pattern = (std::filesystem::temp_directory_path() / "holdstill-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw CommandError("cannot make a temporary folder for the phone");
  root_ = pattern;
  platform::RunLoop::resetMain(platform::RunLoop::Mode::Virtual);
  device_ = std::make_shared<platform::Device>(root_ / "device", std::move(profile));
  platform::Device::setCurrent(device_);
}

ScratchDevice::~ScratchDevice() {
  platform::Device::setCurrent(nullptr);
  device_.reset();
  std::error_code ignored;
  std::filesystem::remove_all(root_, ignored);
}

}  // namespace holdstill::sim
