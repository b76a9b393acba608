#include "state/screen_facts.h"

#include "platform/device/ui_device.h"
#include "platform/ui/navigation_controller.h"
#include "platform/ui/screen.h"

namespace holdstill {

using namespace platform;

bool isIPhoneDevice() { return UIDevice::currentDevice().model().find("Phone") != std::string::npos; }

CGRect availFrame(const std::shared_ptr<UIViewController>& controller) {
  const auto navigation = controller ? controller->navigationController() : nullptr;
  const auto navigationView = navigation ? navigation->view() : nullptr;
  CGRect frame = navigationView ? navigationView->frame() : UIScreen::mainScreen().applicationFrame();
  frame.origin.x = 0;
  if (navigationView && !navigation->isNavigationBarHidden())
    frame.size.height -= navigation->navigationBar()->frame().size.height;
  frame.origin.y = 0;
  return frame;
}

}  // namespace holdstill
