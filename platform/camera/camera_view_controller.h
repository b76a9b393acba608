#pragma once
// The camera screen of UIImagePickerController and the platform's private
// controls inside it, which callers find by their class names:
//
//   camera view (view())
//     CameraPreviewView            what the lens sees (redrawn kPreviewFrameSeconds
//                                  apart while on the screen), or the picture just taken
//     CameraTopContainer           level 0
//       CameraTitleStrip           level 1
//         CameraCropLCDLayer       level 2: the title bar (title()/setTitle())
//     CameraBottomContainer        level 0
//       CameraButtonBar            level 1, the bottom 96 points
//         UIImageView              level 2: the bar's picture
//         TPPushButton             level 2: cancel
//         TPCameraPushButton       level 2: the shutter
//
// Levels count from 0 over the camera view's subviews. A touch-up-inside on
// the shutter (a tap, or sendActionsForControlEvents(64)) takes a picture;
// one on cancel cancels the picker. Main thread only.
#include "platform/graphics/image.h"
#include "platform/runloop/timer.h"
#include "platform/ui/button.h"
#include "platform/ui/view_controller.h"

#include <memory>
#include <string>

namespace platform {

class UIImagePickerController;

// The camera's title bar: a text shown centred in a dark strip.
class CameraTitleBar : public UIView {
 public:
  using UIView::UIView;
  const char* className() const override { return "CameraCropLCDLayer"; }
  const std::string& title() const { return title_; }
  void setTitle(const std::string& title);
  void drawRect(CGRect rect) override;

 private:
  std::string title_;
};

class CameraViewController : public UIViewController {
 public:
  static constexpr CGFloat kBottomBarHeight = 96;
  // Loop time between two frames of the live preview.
  static constexpr TimeInterval kPreviewFrameSeconds = 0.25;

  explicit CameraViewController(std::weak_ptr<UIImagePickerController> picker);
  ~CameraViewController() override;
  const char* className() const override { return "CameraViewController"; }
  void loadView() override;
  // The live preview runs from appearing to having disappeared.
  void viewWillAppear(bool animated) override;
  void viewDidDisappear(bool animated) override;

  // The controls (made with the view).
  std::shared_ptr<CameraTitleBar> titleBar();
  std::shared_ptr<UIButton> shutterButton();
  std::shared_ptr<UIButton> cancelButton();

  // Takes the next picture of the camera feed, as the shutter does; ignored
  // while a picture is being shown. Returns whether a picture was taken.
  bool takePicture();
  // A picture is being shown (the title holds the localized "Preview").
  bool isShowingPreview() const { return previewing_; }

 private:
  void finishPreview(const std::shared_ptr<UIImage>& picture, const std::string& title);

  std::weak_ptr<UIImagePickerController> picker_;
  std::shared_ptr<UIView> preview_;
  std::shared_ptr<CameraTitleBar> titleBar_;
  std::shared_ptr<UIButton> shutter_, cancel_;
  std::shared_ptr<NSTimer> previewTimer_;
  bool previewing_ = false;
};

}  // namespace platform
