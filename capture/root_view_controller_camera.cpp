// RootViewController's camera display: opening the picker, laying the
// overlay and buttons into its camera view, help, closing after a picture,
// and quitting on cancel.
#include "state/app_services.h"
#include "state/module_state.h"
#include "state/screen_facts.h"
#include "capture/root_view_controller.h"
#include "platform/foundation/bundle.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/application.h"

#include <cmath>
#include <utility>

namespace holdstill {

using namespace platform;

namespace {

constexpr double kFlipDuration = 0.75;
constexpr double kHintFadeIn = 1.3;
constexpr double kHintShown = 4.0;
constexpr double kHintFadeOut = 0.4;
constexpr double kShrinkDuration = 0.4;
constexpr float kHintAlpha = 0.9f;
constexpr float kButtonAlpha = 0.8f;

std::string localized(const std::string& key) {
  return NSBundle::mainBundle().localizedStringForKey(key, "", "");
}

std::shared_ptr<UIWindow> applicationWindow() {
  AppServices* app = vAppObject;
  return app ? app->window() : nullptr;
}

// A camera button: picture, highlight behaviour, alpha and tag as the
// camera display wants them.
std::shared_ptr<UIButton> makeCameraButton(const std::string& imageName, CGFloat x, int tag,
                                           UIControl::Action action) {
  auto image = UIImage::imageNamed(imageName);
  const CGSize size = image ? image->size() : CGSizeMake(0, 0);
  auto button = std::make_shared<UIButton>(CGRectMake(x, 2, size.width, size.height));
  button->setImage(image, UIControlStateNormal);
  button->setAdjustsImageWhenHighlighted(true);
  button->setShowsTouchWhenHighlighted(true);
  button->setAlpha(kButtonAlpha);
  button->setTag(tag);
  button->addTarget(std::move(action), UIControlEventTouchUpInside);
  return button;
}

}  // namespace

void RootViewController::bringUpCamera(int number) {
  // A save can end while the closing flip still turns: the camera then
  // opens once that flip has ended, or the flip's end would drop it.
  if (_bClosingCamera) {
    _reopenAfterClosing = number;
    return;
  }
  ++bringUpCameraCount_;
  auto self = std::static_pointer_cast<RootViewController>(shared_from_this());
  auto picker = std::make_shared<UIImagePickerController>();
  _imagePickerController = picker;
  picker->setDelegate(self);
  picker->setAllowsImageEditing(false);
  picker->setSourceType(isIPhoneDevice() ? UIImagePickerControllerSourceTypeCamera
                                         : UIImagePickerControllerSourceTypePhotoLibrary);
  if (number != 1) {
    if (auto navigation = navigationController()) navigation->presentModalViewController(picker, false);
    return;
  }
  auto window = applicationWindow();
  UIView::beginAnimations();
  UIView::setAnimationDuration(kFlipDuration);
  UIView::setAnimationDelegate(self);
  UIView::setAnimationDidStopSelector([self](const std::string&, bool, void*) { self->flipDidStop(); });
  UIView::setAnimationTransition(UIViewAnimationTransitionFlipFromRight, window, true);
  if (window) window->addSubview(picker->view());
  UIView::commitAnimations();
}

void RootViewController::navigationControllerDidShowViewController(
    UINavigationController&, const std::shared_ptr<UIViewController>& shown, bool) {
  if (shown && shown != helpViewController && !_bInHelp) {
    if (!_bComingFromMainScreen) return;
    _bComingFromMainScreen = false;
    if (_imagePickerController) _imagePickerController->setNavigationBarHidden(isIPhoneDevice());
    _cameraViewController = shown;
    const auto camera = shown->view();
    const CGRect frame = camera->frame();
    const auto subviews = camera->subviews();

    _cameraHiddenLayerView = std::make_shared<UISelfCameraView>(frame);
    _cameraHiddenLayerView->traverseSubviews(subviews, 0);
    if (_cameraHiddenLayerView->takePictureView()) fixupTouchAnywhere();
    _cameraHiddenLayerView->setBackgroundColor(UIColor::clearColor());
    camera->addSubview(_cameraHiddenLayerView);

    std::weak_ptr<RootViewController> weak =
        std::static_pointer_cast<RootViewController>(shared_from_this());
    _helpButton = makeCameraButton("help.png", 5, UISelfCameraView::kHelpButtonTag, [weak](UIControl&) {
      if (auto self = weak.lock()) self->helpViewActive();
    });
    camera->addSubview(_helpButton);

    const auto onImage = UIImage::imageNamed("stabilizeButtonSetOn.png");
    const CGFloat onWidth = onImage ? onImage->size().width : 0;
    _stabilizeButton = makeCameraButton(
        "stabilizeButtonSetOn.png", std::trunc(frame.size.width - onWidth - 5),
        UISelfCameraView::kStabilizeButtonTag, [weak](UIControl& sender) {
          if (auto self = weak.lock()) self->toggleStabilize(static_cast<UIButton&>(sender));
        });
    camera->addSubview(_stabilizeButton);

    camera->addSubview(_touchAnywhereImage);
    camera->addSubview(_stablizeMeter);
    camera->addSubview(_stabilizeIcon);
    if (!isIPhoneDevice()) fixupTouchAnywhere();
  } else if (shown && shown == helpViewController) {
    _bInHelp = true;
  } else {
    auto camera = _cameraViewController.lock();
    if (camera && _cameraHiddenLayerView) camera->view()->bringSubviewToFront(_cameraHiddenLayerView);
    if (_cameraHiddenLayerView && _cameraHiddenLayerView->takePictureView()) fixupTouchAnywhere();
    _bInHelp = false;
  }
}

void RootViewController::fixupTouchAnywhere() {
  const std::string touchAnywhere = localized("TouchAnywhere");
  auto titleBar = _cameraHiddenLayerView ? _cameraHiddenLayerView->takePictureView() : nullptr;
  if (isIPhoneDevice()) {
    // Done already; a missing title bar has no title, which counts as done too.
    const auto title = cameraTitleOf(titleBar.get());
    if (!title || *title == touchAnywhere) return;
  }
  if (auto bar = _cameraHiddenLayerView ? _cameraHiddenLayerView->takePictureViewBar() : nullptr)
    bar->setAlpha(0);
  if (titleBar) {
    titleBar->setAlpha(0);
    setCameraTitle(titleBar.get(), touchAnywhere);
    if (vwTakeStablePic != 0) _cameraHiddenLayerView->showStableUI(0);
  }
  auto controller = _cameraViewController.lock();
  if (controller && _touchAnywhereImage) {
    const CGSize camera = controller->view()->frame().size;
    const CGSize hint = _touchAnywhereImage->frame().size;
    _touchAnywhereImage->setFrame(CGRectMake(std::trunc((camera.width - hint.width) / 2),
                                             std::trunc((camera.height - hint.height) / 2),
                                             hint.width, hint.height));
  }
  if (!_bTouchAnywhereShown && _touchAnywhereImage) {
    UIView::beginAnimations();
    UIView::setAnimationDuration(kHintFadeIn);
    _touchAnywhereImage->setAlpha(kHintAlpha);
    UIView::commitAnimations();
    std::weak_ptr<RootViewController> weak =
        std::static_pointer_cast<RootViewController>(shared_from_this());
    _touchAnywhereTimer = NSTimer::scheduledTimerWithTimeInterval(
        kHintShown,
        [weak](NSTimer& timer) {
          if (auto self = weak.lock()) self->touchAnywhereHide(timer);
        },
        false);
  }
  _bTouchAnywhereShown = true;
}

void RootViewController::touchAnywhereHide(NSTimer&) {
  UIView::beginAnimations();
  UIView::setAnimationDuration(kHintFadeOut);
  if (_touchAnywhereImage) _touchAnywhereImage->setAlpha(0);
  UIView::commitAnimations();
  _touchAnywhereTimer.reset();
}

void RootViewController::bringLayerToFront() {
  auto controller = _cameraViewController.lock();
  if (!controller) return;
  auto camera = controller->view();
  if (_cameraHiddenLayerView) camera->bringSubviewToFront(_cameraHiddenLayerView);
  if (_helpButton) camera->bringSubviewToFront(_helpButton);
  if (_stabilizeButton) camera->bringSubviewToFront(_stabilizeButton);
}

void RootViewController::helpViewActive() {
  if (!_imagePickerController || !helpViewController) return;
  helpViewController->setHost(std::static_pointer_cast<RootViewController>(shared_from_this()));
  _imagePickerController->pushViewController(helpViewController, true);
}

void RootViewController::toggleStabilize(UIButton& button) {
  if (vwTakeStablePic > 0) {
    button.setImage(UIImage::imageNamed("stabilizeButtonSetOn.png"), UIControlStateNormal);
    vwTakeStablePic = 0;
    if (_cameraHiddenLayerView) _cameraHiddenLayerView->showStableUI(0);
  } else {
    button.setImage(UIImage::imageNamed("stabilizeButtonSetOff.png"), UIControlStateNormal);
    vwTakeStablePic = 1;
    if (_cameraHiddenLayerView) _cameraHiddenLayerView->showStableUI(-1);
  }
}

void RootViewController::imagePickerControllerDidFinishPickingImage(
    UIImagePickerController& picker, const std::shared_ptr<UIImage>& image, const UIImagePickerEditingInfo*) {
  didFinishPickingImageSave(image);
  _bClosingCamera = true;
  auto self = std::static_pointer_cast<RootViewController>(shared_from_this());
  auto window = applicationWindow();
  UIView::beginAnimations();
  UIView::setAnimationDuration(kFlipDuration);
  UIView::setAnimationDelegate(self);
  UIView::setAnimationDidStopSelector([self](const std::string&, bool, void*) { self->rotateDidStop(); });
  UIView::setAnimationTransition(UIViewAnimationTransitionFlipFromLeft, window, true);
  picker.view()->removeFromSuperview();
  picker.dismissModalViewControllerAnimated(false);
  UIView::commitAnimations();
}

void RootViewController::rotateDidStop() {
  if (_imagePickerController) {
    if (_cameraHiddenLayerView) {
      _cameraHiddenLayerView->stopTimer();
      _cameraHiddenLayerView->removeFromSuperview();
    }
    if (_helpButton) _helpButton->removeFromSuperview();
    _helpButton.reset();
    _cameraHiddenLayerView.reset();
  }
  _imagePickerController.reset();
  _bComingFromMainScreen = true;
  _bClosingCamera = false;
  if (const int reopen = std::exchange(_reopenAfterClosing, 0)) bringUpCamera(reopen);
}

void RootViewController::imagePickerControllerDidCancel(UIImagePickerController& picker) {
  auto self = std::static_pointer_cast<RootViewController>(shared_from_this());
  auto window = applicationWindow();
  UIView::beginAnimations();
  UIView::setAnimationDuration(kFlipDuration);
  UIView::setAnimationDelegate(self);
  UIView::setAnimationDidStopSelector([self](const std::string&, bool, void*) { self->exitDidStop(); });
  UIView::setAnimationTransition(UIViewAnimationTransitionFlipFromLeft, window, false);
  picker.view()->removeFromSuperview();
  picker.dismissModalViewControllerAnimated(false);
  UIView::commitAnimations();
}

void RootViewController::exitDidStop() {
  auto self = std::static_pointer_cast<RootViewController>(shared_from_this());
  UIView::beginAnimations();
  UIView::setAnimationDuration(kShrinkDuration);
  UIView::setAnimationCurve(UIViewAnimationCurveEaseIn);
  UIView::setAnimationDelegate(self);
  UIView::setAnimationDidStopSelector([self](const std::string&, bool, void*) { self->exitDidStop1(); });
  if (auto window = applicationWindow())
    window->setTransform(CGAffineTransformScale(CGAffineTransformMakeTranslation(0, 0), 0.1, 0.1));
  UIView::commitAnimations();
}

void RootViewController::exitDidStop1() {
  NSUserDefaults::standardUserDefaults().synchronize();
  UIApplication::sharedApplication().terminateWithStatus(0);
}

}  // namespace holdstill
