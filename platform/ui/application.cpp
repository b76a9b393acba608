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
  if (logPath_) appendToLogLocked(opened_.back());
  return !url.scheme().empty();
}

std::vector<std::string> UIApplication::openedURLs() const {
  std::lock_guard lock(mutex_);
  return opened_;
}

void UIApplication::setOpenedURLLog(std::string devicePath) {
  std::lock_guard lock(mutex_);
  logPath_ = std::move(devicePath);
}

void UIApplication::appendToLogLocked(const std::string& address) {
  std::vector<std::uint8_t> text = dataWithContentsOfFile(*logPath_).value_or(std::vector<std::uint8_t>{});
  text.insert(text.end(), address.begin(), address.end());
  text.push_back('\n');
  // A log that cannot be written loses nothing: openedURLs keeps every address.
  writeToFile(text, *logPath_, true);
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
