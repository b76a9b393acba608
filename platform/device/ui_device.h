#pragma once
// UIDevice: the application's view of the current simulated device.
#include "platform/device/device.h"

#include <string>

namespace platform {

class UIDevice {
 public:
  // Answers for whichever device is current at the time of each call.
  static UIDevice& currentDevice();

  std::string model() const;
  std::string name() const;
  UIDeviceOrientation orientation() const;
};

}  // namespace platform
