#pragma once
// RootViewController: the capture screen, the application's only screen
// controller and the hub the other parts reach (through
// SimpleTableViewAppDelegate::rootViewController).
//
// What is here so far: construction, the screen's own view with the pieces
// later laid over the camera (touch-anywhere hint, steadiness meter and
// icon), and what the steadiness detector calls. The camera display, the
// overlay, the GPS badge and the save pipeline join it later.
// Main thread only.
#include "capture/meter_vertical.h"
#include "capture/round_rect_image.h"
#include "platform/runloop/lock.h"
#include "platform/ui/button.h"
#include "platform/ui/image_view.h"
#include "platform/ui/view_controller.h"

#include <memory>

namespace holdstill {

// Serialises whole picture saves; made by RootViewController's init, used
// by the save workers.
extern std::shared_ptr<platform::NSLock> savePicLock;
// The next camera display is a fresh one from the main screen.
extern bool _bComingFromMainScreen;

class RootViewController : public platform::UIViewController {
 public:
  static constexpr int kMeterTag = 101;
  static constexpr int kStabilizeIconTag = 102;

  RootViewController();  // init
  const char* className() const override { return "RootViewController"; }

  // The screen's view: the splash background filling the available frame;
  // and, not yet on any view, the touch-anywhere hint, the meter (tag 101)
  // and the steadiness icon (tag 102), all transparent.
  void loadView() override;

  bool shouldAutorotateToInterfaceOrientation(platform::UIInterfaceOrientation) override {
    return false;
  }

  // ---- for the steadiness detector
  // Null until the camera display makes them.
  std::shared_ptr<platform::UIButton> helpButton() const { return _helpButton; }
  std::shared_ptr<UIMeterVertical> stabilizeMeter() const { return _stablizeMeter; }
  // Shows a steadiness level (0 steady .. 1) on the meter and redraws it.
  void setStablizedLevel(float level);
  // Fires the shutter through the camera overlay; nothing happens while no
  // overlay is installed.
  void snap();

  // ---- for the help screen
  // Brings the camera overlay and the two buttons over the camera to the
  // front of the camera view.
  void bringLayerToFront();
  // Does nothing: the screen never rotates.
  void orientationChangedResize(platform::UIInterfaceOrientation) {}

  // ---- the views built by loadView (null before)
  std::shared_ptr<platform::UIImageView> background() const { return _background; }
  std::shared_ptr<platform::UIImageView> touchAnywhereImage() const { return _touchAnywhereImage; }
  std::shared_ptr<platform::UIImageView> stabilizeIcon() const { return _stabilizeIcon; }

 protected:
  std::shared_ptr<OrvRoundRectImage> _savingPhoto;  // the saving badge while shown
  std::shared_ptr<platform::UIImageView> _touchAnywhereImage;
  std::shared_ptr<platform::UIImageView> _stabilizeIcon;
  std::shared_ptr<platform::UIImageView> _background;
  std::shared_ptr<platform::UIButton> _helpButton;
  std::shared_ptr<platform::UIButton> _stabilizeButton;
  bool _bInHelp = false;
  bool _bTouchAnywhereShown = false;
  std::shared_ptr<UIMeterVertical> _stablizeMeter;
};

}  // namespace holdstill
