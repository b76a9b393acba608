#include "capture/root_view_controller.h"

#include "app/module_state.h"
#include "app/screen_facts.h"
#include "platform/foundation/bundle.h"
#include "platform/graphics/image.h"

namespace holdstill {

using namespace platform;

std::shared_ptr<NSLock> savePicLock;
bool _bComingFromMainScreen = false;

namespace {

// An image view of a bundle picture; a missing picture leaves it empty.
std::shared_ptr<UIImageView> imageViewNamed(const std::string& name) {
  return std::make_shared<UIImageView>(UIImage::imageNamed(name));
}

}  // namespace

RootViewController::RootViewController() {
  _bComingFromMainScreen = true;
  _bInHelp = false;
  _savingPhoto = nullptr;
  savePicLock = std::make_shared<NSLock>();
  setTitle(NSBundle::mainBundle().localizedStringForKey("AppName", "", ""));
}

void RootViewController::loadView() {
  const CGRect frame = availFrame(shared_from_this());
  auto view = std::make_shared<UIView>(frame);
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
  loadGeotaggingViews();
}

void RootViewController::bringUpCamera(int) {
  // The camera display opens the camera here; until then the step is only counted.
  ++bringUpCameraCount_;
}

void RootViewController::setStablizedLevel(float level) {
  if (!_stablizeMeter) return;
  _stablizeMeter->setProgress(level);
  _stablizeMeter->setNeedsDisplay();
}

// PLACEHOLDER until the camera display is in: nothing is laid over the
// camera yet, so there is nothing to bring to the front. The camera display
// replaces this definition.
void RootViewController::bringLayerToFront() {}

void RootViewController::snap() {
  // The overlay that presses the camera's shutter is installed by the
  // camera display; until it exists there is nothing to forward to.
}

}  // namespace holdstill
