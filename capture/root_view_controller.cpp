#include "capture/root_view_controller.h"

#include "state/module_state.h"
#include "state/screen_facts.h"
#include "state/settings.h"
#include "views/alert_view_no_buttons.h"
#include "platform/foundation/bundle.h"
#include "platform/foundation/string_format.h"
#include "platform/foundation/user_defaults.h"
#include "platform/graphics/image.h"
#include "platform/graphics/text.h"
#include "platform/runloop/run_loop.h"

namespace holdstill {

using namespace platform;

std::shared_ptr<NSLock> savePicLock;
bool _bComingFromMainScreen = false;

namespace {

// An image view of a bundle picture; a missing picture leaves it empty.
std::shared_ptr<UIImageView> imageViewNamed(const std::string& name) {
  return std::make_shared<UIImageView>(UIImage::imageNamed(name));
}

std::string localized(const std::string& key) {
  return NSBundle::mainBundle().localizedStringForKey(key, "", "");
}

// "%@ v%@" with the application's name and version.
std::string nameAndVersion(const char* format) {
  return stringWithFormat(format, localized("AppName"), vnsAppVersion.value_or(""));
}

}  // namespace

RootViewController::RootViewController() {
  _bComingFromMainScreen = true;
  _bInHelp = false;
  _savingPhoto = nullptr;
  savePicLock = std::make_shared<NSLock>();
  setTitle(NSBundle::mainBundle().localizedStringForKey("AppName", "", ""));
  helpViewController = std::make_shared<HelpViewController>();
}

void RootViewController::loadView() {
  const CGRect frame = availFrame(shared_from_this());
  auto view = std::make_shared<UISelfCameraView>(frame);
  view->setAutoresizesSubviews(true);
  view->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
  view->setBackgroundColor(UIColor::clearColor());
  setView(view);

  _background = imageViewNamed("Default.png");
  _background->setFrame(frame);
  view->addSubview(_background);

  _touchAnywhereImage = imageViewNamed("touchanywhere.png");
  _touchAnywhereImage->setAlpha(0);
  _bTouchAnywhereShown = false;

  _stablizeMeter = std::make_shared<UIMeterVertical>(CGRectMake(0, 0, 20, 150));
  _stablizeMeter->setProgress(0);
  _stablizeMeter->setAlpha(0);
  _stablizeMeter->setTag(kMeterTag);

  _stabilizeIcon = imageViewNamed("stabilize.png");
  _stabilizeIcon->setAlpha(0);
  _stabilizeIcon->setTag(kStabilizeIconTag);
  if (!vbRecordGPS) return;

  _gpsInfo = std::make_shared<OrvRoundRectImage>(CGRectZero);
  _gpsInfo->setBackgroundOnly(true);
  _gpsInfo->setUserInteractionEnabled(false);
  _gpsInfo->setTag(kGPSBadgeTag);
  _gpsInfo->setFillColor(UIColor::colorWithRed(0, 0, 0.4, 0.7));

  _gpsInfoTxt = std::make_shared<UILabel>(CGRectMake(27, 100, 200, 40));
  _gpsInfoTxt->setBackgroundColor(UIColor::clearColor());
  _gpsInfoTxt->setFont(UIFont::fontWithName("Helvetica", 13));
  _gpsInfoTxt->setTextColor(UIColor::colorWithWhite(1, 0.7));
  _gpsInfoTxt->setAdjustsFontSizeToFitWidth(true);
  _gpsInfoTxt->setTextAlignment(UITextAlignmentCenter);
  _gpsInfoTxt->setBaselineAdjustment(UIBaselineAdjustmentAlignCenters);
  _gpsInfoTxt->setShadowColor(UIColor::colorWithWhite(0, 0.3));
  _gpsInfoTxt->setShadowOffset(CGSizeMake(1, 1));
  _gpsInfoTxt->setText(localized("AcquiringGPS"));

  // The badge follows the unshrunk one-line text height.
  const CGSize text = sizeWithFont(_gpsInfoTxt->text(), _gpsInfoTxt->font());
  _gpsInfo->setFrame(CGRectMake(1, 0, frame.size.width - 2, text.height + 20));
  const CGRect badge = _gpsInfo->frame();
  _gpsInfoTxt->setFrame(CGRectMake(31, 4, badge.size.width - 5 - 24 - 2 - 15, badge.size.height - 8));
  _gpsInfo->addSubview(_gpsInfoTxt);

  _gpsGlobeImage = imageViewNamed("globe.png");
  _gpsGlobeImage->setAlpha(0.7f);
  _gpsGlobeImage->setFrame(CGRectMake(5, (badge.size.height - 24) / 2, 24, 24));
  _gpsInfo->addSubview(_gpsGlobeImage);
  // The status line is ready: storage adds the application thumbnail.
  loadGeotaggingViews();
}

void RootViewController::viewDidAppear(bool) {
  const auto last = NSUserDefaults::standardUserDefaults().objectForKey(kLastVersionKey);
  auto self = std::static_pointer_cast<RootViewController>(shared_from_this());
  if (last && vnsAppVersion && last->stringValue() == *vnsAppVersion) {
    RunLoop::main().performOnMainThread([self] { self->checkDeviceType(); }, false);
    return;
  }
  auto alert = std::make_shared<UIAlertView>(nameAndVersion("Welcome to %@ v%@"), localized("Welcome"),
                                             std::weak_ptr<UIAlertViewDelegate>(self), localized("OK"));
  alert->setAlpha(1.0f);
  alert->setTag(kWelcomeAlertTag);
  alert->show();
}

void RootViewController::checkDeviceType() {
  NSUserDefaults& defaults = NSUserDefaults::standardUserDefaults();
  // Storing no version removes the key, as storing null does on the phone.
  if (vnsAppVersion)
    defaults.setObject(*vnsAppVersion, kLastVersionKey);
  else
    defaults.removeObjectForKey(kLastVersionKey);
  auto self = std::static_pointer_cast<RootViewController>(shared_from_this());
  if (isIPhoneDevice()) {
    RunLoop::main().performOnMainThread([self] { self->bringUpCamera(1); }, false);
    return;
  }
  auto alert = std::make_shared<UIAlertViewNoButtons>(
      nameAndVersion("%@ v%@ Warning!"), stringWithFormat(localized("DeviceWarning"), localized("AppName")),
      std::weak_ptr<UIAlertViewDelegate>(self));
  alert->setAlpha(1.0f);
  alert->setTag(kWarningAlertTag);
  alert->show();
}

void RootViewController::alertViewClickedButtonAtIndex(UIAlertView& alert, int) {
  auto self = std::static_pointer_cast<RootViewController>(shared_from_this());
  if (alert.tag() == kWarningAlertTag)
    RunLoop::main().performOnMainThread([self] { self->bringUpCamera(1); }, false);
  else if (alert.tag() == kWelcomeAlertTag)
    RunLoop::main().performOnMainThread([self] { self->checkDeviceType(); }, false);
}

void RootViewController::alertViewCancel(UIAlertView& alert) {
  if (alert.tag() != kWarningAlertTag) return;
  auto self = std::static_pointer_cast<RootViewController>(shared_from_this());
  RunLoop::main().performOnMainThread([self] { self->bringUpCamera(1); }, false);
}

void RootViewController::flipDidStop() {
  if (_gpsInfo && !view()->viewWithTag(kGPSBadgeTag)) view()->addSubview(_gpsInfo);
}

void RootViewController::setStablizedLevel(float level) {
  if (!_stablizeMeter) return;
  _stablizeMeter->setProgress(level);
  _stablizeMeter->setNeedsDisplay();
}

void RootViewController::snap() {
  if (_cameraHiddenLayerView) _cameraHiddenLayerView->snap();
}

}  // namespace holdstill
