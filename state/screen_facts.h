#pragma once
// What the application asks of the device and screen: whether it runs on
// a phone, and the area a screen on the navigation controller may fill.
#include "platform/graphics/geometry.h"

#include <memory>

namespace platform {
class UIViewController;
}

namespace holdstill {

// True when the device's model text contains "Phone" (case-sensitive).
bool isIPhoneDevice();

// The rectangle, at origin (0, 0), that a screen pushed on `controller`'s
// navigation controller may fill: that navigation view's size less its bar
// when the bar shows; the screen's application frame's size when
// `controller` is null or on no navigation controller.
platform::CGRect availFrame(const std::shared_ptr<platform::UIViewController>& controller);

}  // namespace holdstill
