#pragma once
// HelpHost: the screen that pushes the help screen, as the help screen
// calls it back: to bring its camera layers to the front once help has
// gone, and to follow a rotation. Main thread only.
#include "platform/ui/view_controller.h"

namespace holdstill {

class HelpHost {
 public:
  virtual void bringLayerToFront() = 0;
  virtual void orientationChangedResize(platform::UIInterfaceOrientation from) = 0;

 protected:
  ~HelpHost() = default;
};

}  // namespace holdstill
