#include "platform/device/ui_device.h"

namespace platform {

UIDevice& UIDevice::currentDevice() {
  static UIDevice device;
  return device;
}

std::string UIDevice::model() const { return Device::current()->profile().model; }
std::string UIDevice::name() const { return Device::current()->profile().name; }
UIDeviceOrientation UIDevice::orientation() const { return Device::current()->profile().orientation; }

}  // namespace platform
