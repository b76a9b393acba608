#pragma once
// SimpleTableViewAppDelegate: the root object of the process and the
// service object every other part reaches through vAppObject.
//
// UIApplicationMain makes it (held by std::shared_ptr, which the
// accelerometer link and the steadiness timer rely on) and calls
// applicationDidFinishLaunching once: it publishes itself, reads the
// version and the settings, puts the capture screen on a navigation
// controller with a hidden bar into the window, points the accelerometer
// at itself (1/30 s) and starts the 0.3-second steadiness tick.
//
// The members other parts call (availFrame, isIPhoneDevice, the accessors
// and the links) are defined here over the modules that hold their logic,
// so capture/, storage/ and help/ can call them without linking this
// delegate's library, which links theirs. Main thread only.
#include "state/app_services.h"
#include "state/module_state.h"
#include "state/outbound_links.h"
#include "state/screen_facts.h"
#include "app/steadiness_detector.h"
#include "platform/runloop/timer.h"
#include "platform/sensors/accelerometer.h"
#include "platform/ui/action_sheet.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/application.h"
#include "platform/ui/navigation_controller.h"

#include <memory>
#include <string>

namespace holdstill {

class RootViewController;
class OrvLocation;

class SimpleTableViewAppDelegate : public platform::UIApplicationDelegate,
                                   public platform::UIAccelerometerDelegate,
                                   public platform::UIActionSheetDelegate,
                                   public platform::UIAlertViewDelegate,
                                   public AppServices,
                                   public std::enable_shared_from_this<SimpleTableViewAppDelegate> {
 public:
  static constexpr int kWelcomeAlertTag = 33;

  SimpleTableViewAppDelegate();
  // Stops the steadiness tick and, when it is this delegate, clears vAppObject.
  ~SimpleTableViewAppDelegate() override;

  // ---- launch and end
  void applicationDidFinishLaunching(platform::UIApplication& application) override;
  void applicationWillTerminate(platform::UIApplication&) override { saveNetworkList(); }
  void applicationDidReceiveMemoryWarning(platform::UIApplication&) override {}
  // applicationWillTerminate with the shared application; nothing calls it.
  void exit() { applicationWillTerminate(platform::UIApplication::sharedApplication()); }

  // ---- properties
  std::shared_ptr<platform::UIWindow> window() const override { return window_; }
  void setWindow(std::shared_ptr<platform::UIWindow> window) override { window_ = std::move(window); }
  std::shared_ptr<platform::UINavigationController> navigationController() const {
    return navigationController_;
  }
  void setNavigationController(std::shared_ptr<platform::UINavigationController> controller) {
    navigationController_ = std::move(controller);
  }

  // ---- services for the other parts
  static platform::CGRect availFrame(const std::shared_ptr<platform::UIViewController>& controller) {
    return holdstill::availFrame(controller);
  }
  bool isIPhoneDevice() const { return holdstill::isIPhoneDevice(); }
  std::shared_ptr<RootViewController> rootViewController() const override { return _rootViewController; }
  // Null while GPS recording is off.
  std::shared_ptr<OrvLocation> locationTracker() const override { return _locationTracker; }

  // ---- the steadiness detector (see steadiness_detector.h)
  void accelerometerDidAccelerate(platform::UIAccelerometer& accelerometer,
                                  const platform::UIAcceleration& acceleration) override;
  void stablityStatus(platform::NSTimer& timer);
  // The movement sums since the last tick (_dxAccel, _dyAccel, _dzAccel).
  const MovementSums& accelerationSums() const { return _accel; }

  // ---- links out of the application (see outbound_links.h); senders are ignored
  void showGoogleMap(double latitude, double longitude) { openMap(latitude, longitude); }
  void mailTo(const std::string& address) override { openMailAddress(address); }
  void browseToVorlund(const void* /*sender*/ = nullptr) override { openHomePage(); }
  // Dismisses _downloader as if its first button were tapped; nothing
  // without one (nothing sets it).
  void gotoBrowser(const void* /*sender*/ = nullptr) {
    if (_downloader) _downloader->dismissWithClickedButtonIndex(0, true);
  }
  // Button 0 opens the home page; the others do nothing.
  void actionSheetDidDismissWithButtonIndex(platform::UIActionSheet&, int buttonIndex) override {
    if (buttonIndex == 0) browseToVorlund();
  }
  void didPresentActionSheet(platform::UIActionSheet&) override {}
  // The welcome alert (tag 33) records the running version as the last one
  // seen; every alert is then done with.
  void alertViewClickedButtonAtIndex(platform::UIAlertView& alert, int buttonIndex) override;
  void startScanning() {}
  void saveNetworkList() {}

 private:
  std::shared_ptr<platform::UIWindow> window_;
  std::shared_ptr<platform::UINavigationController> navigationController_;
  std::shared_ptr<RootViewController> _rootViewController;
  std::shared_ptr<OrvLocation> _locationTracker;
  std::shared_ptr<platform::UIActionSheet> _downloader;
  MovementSums _accel;
  std::shared_ptr<platform::NSTimer> stabilityTimer_;
};

}  // namespace holdstill
