#include "app/simple_table_view_app_delegate.h"

#include "state/settings.h"
#include "capture/root_view_controller.h"
#include "platform/foundation/bundle.h"
#include "platform/foundation/user_defaults.h"
#include "storage/orv_location.h"

namespace holdstill {

using namespace platform;

namespace {

// The capture screen as the steadiness detector sees it.
class CaptureScreen final : public SteadinessScreen {
 public:
  explicit CaptureScreen(std::shared_ptr<RootViewController> root) : root_(std::move(root)) {}

  bool helpButtonHidden() const override {
    const auto button = root_ ? root_->helpButton() : nullptr;
    return button && button->isHidden();
  }
  bool meterDisabled() const override {
    const auto meter = root_ ? root_->stabilizeMeter() : nullptr;
    return meter && meter->disabled();
  }
  void setStablizedLevel(float level) override {
    if (!root_) return;
    // Ticks run on the main thread, so this runs at once.
    RunLoop::main().performOnMainThread([root = root_, level] { root->setStablizedLevel(level); }, true);
  }
  void snap() override {
    if (root_) root_->snap();
  }

 private:
  std::shared_ptr<RootViewController> root_;
};

// The tracker's verdicts go to the capture screen of the running application.
class CaptureScreenLocations final : public LocationReceiver {
 public:
  void newGPSPoint(const CLLocationRef& fix) override {
    if (auto root = appRootViewController()) root->newGPSPoint(fix);
  }
  void failedGPSPoint(const NSError* error) override {
    if (auto root = appRootViewController()) root->failedGPSPoint(error);
  }
};

}  // namespace

SimpleTableViewAppDelegate::SimpleTableViewAppDelegate() = default;

SimpleTableViewAppDelegate::~SimpleTableViewAppDelegate() {
  if (stabilityTimer_) stabilityTimer_->invalidate();
  AppServices* self = this;
  vAppObject.compare_exchange_strong(self, nullptr);
}

void SimpleTableViewAppDelegate::applicationDidFinishLaunching(UIApplication&) {
  vAppObject = this;
  const NSBundle& bundle = NSBundle::mainBundle();
  const auto version = bundle.objectForInfoDictionaryKey(kBundleVersionKey);
  vnsAppVersion = version ? std::optional(version->stringValue()) : std::nullopt;
  oldAccelerationX = 0.0;
  oldAccelerationZ = oldAccelerationX;
  oldAccelerationY = oldAccelerationZ;
  vnsPreview = bundle.localizedStringForKey("Preview", "", "");

  const NSUserDefaults& defaults = NSUserDefaults::standardUserDefaults();
  vbRecordGPS = booleanSetting(defaults.objectForKey(kRecordGPSKey));
  vbShowSplash = booleanSetting(defaults.objectForKey(kShowSplashKey));
  accelDelta = accelDeltaForSensitivity(defaults.objectForKey(kSensitivityKey));

  _rootViewController = std::make_shared<RootViewController>();
  auto navigation = UINavigationController::initWithRootViewController(_rootViewController);
  navigation->setNavigationBarHidden(true, false);
  setNavigationController(navigation);

  UIAccelerometer& accelerometer = UIAccelerometer::sharedAccelerometer();
  accelerometer.setDelegate(weak_from_this());
  accelerometer.setUpdateInterval(kAccelerometerInterval);

  std::weak_ptr<SimpleTableViewAppDelegate> weak = weak_from_this();
  stabilityTimer_ = NSTimer::scheduledTimerWithTimeInterval(
      kSteadinessTickInterval,
      [weak](NSTimer& timer) {
        if (auto self = weak.lock()) self->stablityStatus(timer);
      },
      true);

  if (window_) {
    window_->setOpaque(true);
    window_->addSubview(navigationController_->view());
    window_->setBackgroundColor(UIColor::clearColor());
    window_->makeKeyAndVisible();
  }
  if (vbRecordGPS) _locationTracker = OrvLocation::init(std::make_shared<CaptureScreenLocations>());
}

void SimpleTableViewAppDelegate::accelerometerDidAccelerate(UIAccelerometer&,
                                                            const UIAcceleration& acceleration) {
  steadinessSample(_accel, acceleration.x, acceleration.y, acceleration.z,
                   CaptureScreen(_rootViewController));
}

void SimpleTableViewAppDelegate::stablityStatus(NSTimer&) {
  CaptureScreen screen(_rootViewController);
  steadinessTick(_accel, screen);
}

void SimpleTableViewAppDelegate::alertViewClickedButtonAtIndex(UIAlertView& alert, int) {
  if (alert.tag() != kWelcomeAlertTag) return;
  NSUserDefaults& defaults = NSUserDefaults::standardUserDefaults();
  // Storing no version removes the key, as storing null does on the phone.
  if (vnsAppVersion)
    defaults.setObject(*vnsAppVersion, kLastVersionKey);
  else
    defaults.removeObjectForKey(kLastVersionKey);
  RunLoop::main().performOnMainThread([this] { startScanning(); }, true);
}

}  // namespace holdstill
