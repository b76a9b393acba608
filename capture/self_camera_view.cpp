#include "capture/self_camera_view.h"

#include "state/app_services.h"
#include "state/module_state.h"
#include "state/screen_facts.h"
#include "capture/root_view_controller.h"
#include "platform/camera/camera_view_controller.h"
#include "platform/device/ui_device.h"
#include "platform/foundation/bundle.h"
#include "platform/ui/screen.h"

namespace holdstill {

using namespace platform;

std::weak_ptr<UIViewController> _cameraViewController;

namespace {

std::string localized(const std::string& key) {
  return NSBundle::mainBundle().localizedStringForKey(key, "", "");
}

}  // namespace

std::optional<std::string> cameraTitleOf(const UIView* titleBar) {
  if (auto bar = dynamic_cast<const CameraTitleBar*>(titleBar)) return bar->title();
  return std::nullopt;
}

void setCameraTitle(UIView* titleBar, const std::string& title) {
  if (auto bar = dynamic_cast<CameraTitleBar*>(titleBar)) bar->setTitle(title);
}

UISelfCameraView::UISelfCameraView(CGRect frame) : UIView(frame) {
  _bInTouch = false;
}

UISelfCameraView::~UISelfCameraView() { stopTimer(); }

std::shared_ptr<UIView> UISelfCameraView::cameraView() {
  auto controller = _cameraViewController.lock();
  return controller ? controller->view() : nullptr;
}

std::nullptr_t UISelfCameraView::traverseSubviews(const std::vector<std::shared_ptr<UIView>>& views,
                                                  int level) {
  // Indexed: the array is read as it stands at each step.
  for (std::size_t i = 0; i < views.size(); ++i) {
    const std::shared_ptr<UIView> view = views[i];
    const char* raw = object_getClassName(view);
    const std::string name = raw ? raw : "unknown";
    if (name == "TPCameraPushButton") _savedPictureButton = std::dynamic_pointer_cast<UIControl>(view);
    if (name == "TPPushButton") _cancelPictureButton = std::dynamic_pointer_cast<UIControl>(view);
    if (level == 2 && name.find("CropLCDLayer") != std::string::npos) _takePictureView = view;
    if (level == 2 && name == "UIImageView") _takePictureViewBar = view;
    if (view) traverseSubviews(view->subviews(), level + 1);
  }
  return nullptr;
}

void UISelfCameraView::snap() {
  if (_bInTouch) return;
  vwIntervalsStable = 0;
  _bInTouch = true;
  const UIDeviceOrientation orientation = UIDevice::currentDevice().orientation();
  vbLandscapeDuringSnap = orientation == UIDeviceOrientation::LandscapeRight ||
                          orientation == UIDeviceOrientation::LandscapeLeft;
  if (auto shutter = _savedPictureButton.lock()) shutter->sendActionsForControlEvents(UIControlEventTouchUpInside);
  if (auto camera = cameraView()) {
    if (auto help = camera->viewWithTag(kHelpButtonTag)) help->setHidden(true);
    if (auto toggle = camera->viewWithTag(kStabilizeButtonTag)) toggle->setHidden(true);
  }
  showStableUI(0);
  stopTimer();  // a poll left from an interrupted shot is replaced, not leaked
  std::weak_ptr<UISelfCameraView> weak = std::static_pointer_cast<UISelfCameraView>(shared_from_this());
  _screenCheckerTimer = NSTimer::scheduledTimerWithTimeInterval(
      kReadinessPollInterval,
      [weak](NSTimer& timer) {
        if (auto self = weak.lock()) self->checkForCameraButton(timer);
      },
      true);
}

void UISelfCameraView::checkForCameraButton(NSTimer& timer) {
  auto camera = cameraView();
  _savedPictureButton.reset();
  if (camera) traverseSubviews(camera->subviews(), 0);
  auto titleBar = _takePictureView.lock();
  if (!titleBar) return;
  const std::string title = cameraTitleOf(titleBar.get()).value_or("");
  if (vnsPreview && !vnsPreview->empty() && title.find(*vnsPreview) != std::string::npos) return;
  if (_savedPictureButton.expired() || !camera) return;

  auto help = camera->viewWithTag(kHelpButtonTag);
  auto toggle = camera->viewWithTag(kStabilizeButtonTag);
  _bInTouch = false;
  camera->bringSubviewToFront(shared_from_this());
  if (help) camera->bringSubviewToFront(help);
  if (toggle) camera->bringSubviewToFront(toggle);
  if (auto root = appRootViewController()) root->fixupTouchAnywhere();
  if (help) help->setHidden(false);
  if (toggle) toggle->setHidden(false);
  showStableUI(0);
  timer.invalidate();
  if (_screenCheckerTimer.get() == &timer) _screenCheckerTimer.reset();
}

void UISelfCameraView::stopTimer() {
  if (!_screenCheckerTimer) return;
  _screenCheckerTimer->invalidate();
  _screenCheckerTimer.reset();
}

void UISelfCameraView::showStableUI(int mode) {
  auto camera = cameraView();
  auto meter = camera ? std::dynamic_pointer_cast<UIMeterVertical>(camera->viewWithTag(kMeterTag)) : nullptr;
  auto icon = camera ? camera->viewWithTag(kStabilizeIconTag) : nullptr;
  auto toggle = camera ? camera->viewWithTag(kStabilizeButtonTag) : nullptr;
  if (meter) {
    const CGRect f = meter->frame();
    meter->setDisabled(mode == -1);
    meter->setNeedsDisplay();
    if (toggle) {
      const CGRect s = toggle->frame();
      meter->setFrame(CGRectMake(s.origin.x + (s.size.width - f.size.width) / 2,
                                 s.origin.y + s.size.height + 4, f.size.width, f.size.height));
    }
    if (icon) {
      const CGRect m = meter->frame();
      const CGSize i = icon->frame().size;
      icon->setFrame(CGRectMake(m.origin.x + (m.size.width - i.width) / 2,
                                m.origin.y + m.size.height + 4, i.width, i.height));
    }
  }
  vbAccelerometerOn = static_cast<std::int8_t>(mode & 0xff);
  UIView::beginAnimations();
  UIView::setAnimationDuration(kMeterFadeDuration);
  const float alpha = mode != 0 ? kMeterShownAlpha : 0.0f;
  if (meter) meter->setAlpha(alpha);
  if (icon) icon->setAlpha(alpha);
  UIView::commitAnimations();
}

bool UISelfCameraView::pointInside(CGPoint point, const UIEvent*) {
  const CGRect a = UIScreen::mainScreen().applicationFrame();
  if (isIPhoneDevice()) {
    if (point.x < 160 && point.y > a.size.height - 96) return false;
    if (auto titleBar = _takePictureView.lock()) {
      const auto title = cameraTitleOf(titleBar.get());
      // No title counts as the ready title.
      if (title && *title != localized("TouchAnywhere")) return false;
    }
    if (_savedPictureButton.expired()) return false;
  }
  if (vwTakeStablePic != 0)
    showStableUI(1);
  else
    snap();
  return true;
}

}  // namespace holdstill
