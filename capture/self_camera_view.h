#pragma once
// UISelfCameraView: the transparent overlay the capture screen lays over
// the camera picker's own view. It finds the camera's private controls by
// walking the camera view's tree (the shutter "TPCameraPushButton", the
// cancel "TPPushButton", at depth 2 the title bar "...CropLCDLayer..." and
// the bar "UIImageView"), presses the shutter on the user's behalf (snap),
// polls every 2 s until the camera is ready again, shows and arms the
// steadiness meter (showStableUI), and decides which touches it takes.
//
// The capture screen also uses one as its own main view; no walk runs for
// that one, so its found controls stay null.
//
// The found controls are not owned (weak): the camera owns them.
// Main thread only.
#include "platform/runloop/timer.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/control.h"
#include "platform/ui/view.h"
#include "platform/ui/view_controller.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace holdstill {

// The picker's camera view controller, recorded by the capture screen when
// the picker first shows it; the overlay works in its view. Not an owner:
// the picker holds it.
extern std::weak_ptr<platform::UIViewController> _cameraViewController;

class UISelfCameraView : public platform::UIView, public platform::UIAlertViewDelegate {
 public:
  static constexpr int kStabilizeButtonTag = 96;
  static constexpr int kHelpButtonTag = 97;
  static constexpr int kMeterTag = 101;
  static constexpr int kStabilizeIconTag = 102;
  static constexpr double kReadinessPollInterval = 2.0;  // seconds
  static constexpr double kMeterFadeDuration = 0.4;      // seconds
  static constexpr float kMeterShownAlpha = 0.9f;

  explicit UISelfCameraView(platform::CGRect frame);  // initWithFrame:
  ~UISelfCameraView() override;
  const char* className() const override { return "UISelfCameraView"; }

  // Records the camera's controls found in `views` and their subviews,
  // depth first in pre-order (a later match replaces an earlier one); the
  // title bar and bar image only at `level` 2. Always returns null.
  std::nullptr_t traverseSubviews(const std::vector<std::shared_ptr<platform::UIView>>& views,
                                  int level);

  // Presses the shutter (touch-up-inside to the shutter control), hides the
  // help and steadiness buttons, hides the meter and starts the readiness
  // poll. Ignored while a shot is in progress.
  void snap();
  // One readiness poll: once the title bar no longer shows "Preview" and the
  // shutter is found again, ends the shot and brings the controls back.
  void checkForCameraButton(platform::NSTimer& timer);
  // Stops the readiness poll, if one runs.
  void stopTimer();
  // Mode 0 hides the meter and icon and disarms the detector; 1 shows them
  // armed with the meter counting; -1 shows them armed with the meter disabled.
  void showStableUI(int mode);
  void resetInTouch() { _bInTouch = false; }

  // The touch filter: on a phone it leaves the bottom-left 160 × 96 points,
  // and every touch while the camera is not ready, to the camera; a touch it
  // takes fires the shutter (or arms the meter in steady mode).
  bool pointInside(platform::CGPoint point, const platform::UIEvent* event) override;

  // The controls found by the walk (null when not found or gone).
  std::shared_ptr<platform::UIView> takePictureView() const { return _takePictureView.lock(); }
  std::shared_ptr<platform::UIView> takePictureViewBar() const { return _takePictureViewBar.lock(); }
  std::shared_ptr<platform::UIControl> cancelPictureButton() const { return _cancelPictureButton.lock(); }
  std::shared_ptr<platform::UIControl> savedPictureButton() const { return _savedPictureButton.lock(); }
  bool inTouch() const { return _bInTouch; }
  bool isPolling() const { return _screenCheckerTimer != nullptr; }

  void alertViewClickedButtonAtIndex(platform::UIAlertView&, int) override {}

 private:
  // The camera view (the view of _cameraViewController), or null.
  static std::shared_ptr<platform::UIView> cameraView();

  std::shared_ptr<platform::NSTimer> _screenCheckerTimer;
  std::weak_ptr<platform::UIControl> _savedPictureButton;
  std::weak_ptr<platform::UIControl> _cancelPictureButton;
  std::weak_ptr<platform::UIView> _takePictureView;
  std::weak_ptr<platform::UIView> _takePictureViewBar;
  bool _bInTouch = false;
};

// The title shown by the camera's title bar, and setting it. A view that is
// not a title bar has no title (nullopt) and ignores the setter.
std::optional<std::string> cameraTitleOf(const platform::UIView* titleBar);
void setCameraTitle(platform::UIView* titleBar, const std::string& title);

}  // namespace holdstill
