#pragma once
// AppServices: what the application delegate offers the rest of the
// application through vAppObject (module_state.h): the window, the capture
// screen, the location tracker and the links that leave the application.
// The screens and storage see the delegate only through this interface, so
// nothing below the application shell includes it. Main thread only.
#include "state/module_state.h"

#include <memory>
#include <string>

namespace platform {
class UIWindow;
}

namespace holdstill {

class RootViewController;
class OrvLocation;

class AppServices {
 public:
  virtual std::shared_ptr<platform::UIWindow> window() const = 0;
  virtual std::shared_ptr<RootViewController> rootViewController() const = 0;
  // Null while GPS recording is off.
  virtual std::shared_ptr<OrvLocation> locationTracker() const = 0;
  virtual void mailTo(const std::string& address) = 0;
  // Opens the maker's home page; the sender is ignored.
  virtual void browseToVorlund(const void* sender = nullptr) = 0;

 protected:
  ~AppServices() = default;
};

// The running application's capture screen; null before launch and after.
inline std::shared_ptr<RootViewController> appRootViewController() {
  AppServices* app = vAppObject;
  return app ? app->rootViewController() : nullptr;
}

}  // namespace holdstill
