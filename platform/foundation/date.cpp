#include "platform/foundation/date.h"

#include "platform/device/device.h"
#include "platform/runloop/run_loop.h"

namespace platform {

NSDate NSDate::date() {
  return NSDate(Device::current()->profile().clockOrigin + RunLoop::main().now());
}

NSDate NSDate::dateWithTimeIntervalSinceNow(double seconds) {
  return date().dateByAddingTimeInterval(seconds);
}

double NSDate::timeIntervalSinceNow() const { return seconds_ - date().seconds_; }

}  // namespace platform
