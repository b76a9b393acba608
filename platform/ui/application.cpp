#include "platform/ui/application.h"

#include "platform/device/device.h"
#include "platform/foundation/data_file.h"
#include "platform/foundation/user_defaults.h"
#include "platform/runloop/run_loop.h"
#include "platform/ui/screen.h"

namespace platform {

UIApplication& UIApplication::sharedApplication() { return Device::current()->state<UIApplication>(); }

UIApplication::UIApplication(Device&) {}

std::shared_ptr<UIApplicationDelegate> UIApplication::delegate() const {
  std::lock_guard lock(mutex_);
  return delegate_.lock();
}

bool UIApplication::openURL(const NSURL& url) {
  std::lock_guard lock(mutex_);
  opened_.push_back(url.absoluteString());
  if (logPath_) writeLogLocked();
  return !url.scheme().empty();
}

std::vector<std::string> UIApplication::openedURLs() const {
  std::lock_guard lock(mutex_);
  return opened_;
}

void UIApplication::setOpenedURLLog(std::string devicePath) {
  std::lock_guard lock(mutex_);
  logPath_ = std::move(devicePath);
  writeLogLocked();
}

void UIApplication::writeLogLocked() {
  std::string text;
  for (const auto& address : opened_) text += address + "\n";
  // A log that cannot be written loses nothing: the list above keeps every address.
  writeToFile(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), *logPath_,
              true);
}

void UIApplication::terminateWithStatus(int status) {
  NSUserDefaults::standardUserDefaults().synchronize();
  RunLoop::main().stop(status);
}

int UIApplicationMain(int /*argc*/, char* /*argv*/[],
                      const std::function<std::shared_ptr<UIApplicationDelegate>()>& makeDelegate) {
  UIApplication& application = UIApplication::sharedApplication();
  auto window = std::make_shared<UIWindow>(UIScreen::mainScreen().bounds());
  std::shared_ptr<UIApplicationDelegate> delegate = makeDelegate();
  {
    std::lock_guard lock(application.mutex_);
    application.delegate_ = delegate;
  }
  if (delegate) {
    delegate->setWindow(window);
    RunLoop::main().post([&application, delegate] { delegate->applicationDidFinishLaunching(application); });
  }
  return RunLoop::main().run();
}

}  // namespace platform
