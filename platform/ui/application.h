#pragma once
// UIApplication: the running application on the current device, and
// UIApplicationMain, which starts it.
//
// UIApplicationMain plays the part of the application's main interface
// description: it makes the full-screen window and the delegate, hands the
// window to the delegate, calls applicationDidFinishLaunching once from the
// main run loop, runs the loop and returns the status the loop was stopped
// with. It never ends the process itself, so tests can launch an
// application, stop it and look at what it left. Main thread.
#include "platform/foundation/url.h"
#include "platform/ui/window.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class Device;
class UIApplication;

// Every method has a default that does nothing.
class UIApplicationDelegate {
 public:
  virtual ~UIApplicationDelegate() = default;
  virtual void applicationDidFinishLaunching(UIApplication& /*application*/) {}
  virtual void applicationWillTerminate(UIApplication& /*application*/) {}
  virtual void applicationDidReceiveMemoryWarning(UIApplication& /*application*/) {}
  // The window from the main interface description.
  virtual std::shared_ptr<UIWindow> window() const { return nullptr; }
  virtual void setWindow(std::shared_ptr<UIWindow> /*window*/) {}
};

class UIApplication {
 public:
  // The current device's application; it lives as long as that device.
  static UIApplication& sharedApplication();
  explicit UIApplication(Device& device);

  // The delegate of the running application (held by UIApplicationMain).
  std::shared_ptr<UIApplicationDelegate> delegate() const;

  // Hands the address to whichever application handles its scheme. Here
  // every address is recorded (and, once an address log is set, written
  // to it); returns whether it has a scheme another application could
  // take. Any thread.
  bool openURL(const NSURL& url);
  // The addresses opened so far, oldest first.
  std::vector<std::string> openedURLs() const;
  // From now on, every opened address is also added to this file on the
  // device (a device path), one per line after those it holds already.
  void setOpenedURLLog(std::string devicePath);

  // Ends the application as the C library's exit does on the phone: the
  // user defaults are written, then the main run loop stops with `status`,
  // which UIApplicationMain returns. Any thread.
  void terminateWithStatus(int status);

 private:
  friend int UIApplicationMain(int, char**,
                               const std::function<std::shared_ptr<UIApplicationDelegate>()>&);
  void appendToLogLocked(const std::string& address);

  mutable std::mutex mutex_;
  std::weak_ptr<UIApplicationDelegate> delegate_;
  std::vector<std::string> opened_;
  std::optional<std::string> logPath_;
};

// Starts the application: see the top of this file. `makeDelegate` stands
// for the delegate class the interface description names.
int UIApplicationMain(int argc, char* argv[],
                      const std::function<std::shared_ptr<UIApplicationDelegate>()>& makeDelegate);

}  // namespace platform
