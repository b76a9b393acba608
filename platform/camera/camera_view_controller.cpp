#include "platform/camera/camera_view_controller.h"

#include "platform/camera/camera_feed.h"
#include "platform/camera/image_picker_controller.h"
#include "platform/foundation/bundle.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/graphics/text.h"
#include "platform/runloop/run_loop.h"
#include "platform/ui/image_view.h"
#include "platform/ui/screen.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace platform {
namespace {

constexpr CGFloat kTitleStripHeight = 44;

// A plain view with a class name of its own, as the camera's private views have.
class NamedView : public UIView {
 public:
  NamedView(CGRect frame, const char* name) : UIView(frame), name_(name) {}
  const char* className() const override { return name_; }

 private:
  const char* name_;
};

// What the lens sees, scaled to fill the view and cut to its shape: live,
// the camera feed's next picture as of the moment it is drawn; after a
// shot, the picture taken. The sensor sits in the phone as an upright
// phone's pictures say (a quarter turn, Right), so the preview turns the
// stored pixels that way whatever the picture's own orientation: held
// sideways, the scene shows sideways on the screen, as on a phone.
class CameraPreviewView : public UIView {
 public:
  using UIView::UIView;
  const char* className() const override { return "CameraPreviewView"; }
  void setPicture(std::shared_ptr<UIImage> picture) {
    picture_ = std::move(picture);
    setNeedsDisplay();
  }
  void showLive() { setPicture(nullptr); }
  void drawRect(CGRect) override {
    CGContextRef c = UIGraphicsGetCurrentContext();
    const CGRect b = bounds();
    CGContextSetRGBFillColor(c, 0, 0, 0, 1);
    CGContextFillRect(c, b);
    const auto picture = picture_ ? picture_ : CameraFeed::current().peekPicture();
    if (!picture) return;
    const UIImage mounted(picture->CGImage(), UIImageOrientationRight);
    const CGSize s = mounted.size();
    if (s.width <= 0 || s.height <= 0) return;
    mounted.drawInRect(CGRectAspectFill(b, s));
  }

 private:
  std::shared_ptr<UIImage> picture_;  // null: live
};

// The shutter: a round silver key with a camera drawn on it.
class ShutterButton : public UIButton {
 public:
  using UIButton::UIButton;
  const char* className() const override { return "TPCameraPushButton"; }
  void drawRect(CGRect) override {
    cairo_t* cr = UIGraphicsGetCurrentContext()->cairo();
    const CGRect b = bounds();
    const double r = std::min(b.size.width, b.size.height) / 2 - 2;
    const double cx = b.size.width / 2, cy = b.size.height / 2;
    cairo_pattern_t* metal = cairo_pattern_create_linear(0, cy - r, 0, cy + r);
    cairo_pattern_add_color_stop_rgb(metal, 0, 0.93, 0.93, 0.95);
    cairo_pattern_add_color_stop_rgb(metal, 1, isHighlighted() ? 0.45 : 0.62, 0.63, 0.68);
    cairo_set_source(cr, metal);
    const double w = b.size.width - 4, h = b.size.height - 4, rr = h / 2;
    cairo_new_sub_path(cr);
    cairo_arc(cr, 2 + w - rr, 2 + rr, rr, -std::numbers::pi / 2, std::numbers::pi / 2);
    cairo_arc(cr, 2 + rr, 2 + rr, rr, std::numbers::pi / 2, 3 * std::numbers::pi / 2);
    cairo_close_path(cr);
    cairo_fill(cr);
    cairo_pattern_destroy(metal);
    // The camera: a body, a lens and a viewfinder bump.
    cairo_set_source_rgb(cr, 0.15, 0.15, 0.18);
    cairo_rectangle(cr, cx - 16, cy - 9, 32, 20);
    cairo_rectangle(cr, cx - 6, cy - 13, 12, 5);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 0.8, 0.8, 0.85);
    cairo_arc(cr, cx, cy + 1, 6.5, 0, 2 * std::numbers::pi);
    cairo_fill(cr);
  }
};

// The cancel key: a dark rounded button with its title.
class CancelButton : public UIButton {
 public:
  using UIButton::UIButton;
  const char* className() const override { return "TPPushButton"; }
};

// The bottom bar's picture: a dark brushed gradient.
std::shared_ptr<UIImage> makeBarImage(CGSize size) {
  UIGraphicsBeginImageContext(size);
  cairo_t* cr = UIGraphicsGetCurrentContext()->cairo();
  cairo_pattern_t* bar = cairo_pattern_create_linear(0, 0, 0, size.height);
  cairo_pattern_add_color_stop_rgb(bar, 0, 0.32, 0.33, 0.36);
  cairo_pattern_add_color_stop_rgb(bar, 1, 0.08, 0.08, 0.1);
  cairo_set_source(cr, bar);
  cairo_paint(cr);
  cairo_pattern_destroy(bar);
  cairo_set_source_rgb(cr, 0.5, 0.5, 0.55);
  cairo_rectangle(cr, 0, 0, size.width, 1);
  cairo_fill(cr);
  auto image = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  return image;
}

}  // namespace

void CameraTitleBar::setTitle(const std::string& title) {
  title_ = title;
  setNeedsDisplay();
}

void CameraTitleBar::drawRect(CGRect) {
  if (title_.empty()) return;
  const CGRect b = bounds();
  const UIFont font = UIFont::boldSystemFontOfSize(16);
  const CGSize s = sizeWithFont(title_, font);
  CGContextSetRGBFillColor(UIGraphicsGetCurrentContext(), 1, 1, 1, 1);
  drawTextAtPoint(title_, {b.origin.x + std::max<CGFloat>((b.size.width - s.width) / 2, 0),
                           b.origin.y + (b.size.height - s.height) / 2},
                  font);
}

CameraViewController::CameraViewController(std::weak_ptr<UIImagePickerController> picker)
    : picker_(std::move(picker)) {}

void CameraViewController::loadView() {
  const CGRect app = UIScreen::mainScreen().applicationFrame();
  const CGFloat w = app.size.width, h = app.size.height;
  auto view = std::make_shared<NamedView>(CGRectMake(0, 0, w, h), "CameraView");
  view->setBackgroundColor(UIColor::blackColor());
  view->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);

  auto preview = std::make_shared<CameraPreviewView>(CGRectMake(0, 0, w, h - kBottomBarHeight));
  preview_ = preview;
  view->addSubview(preview);

  auto top = std::make_shared<NamedView>(CGRectMake(0, 0, w, kTitleStripHeight), "CameraTopContainer");
  auto strip = std::make_shared<NamedView>(CGRectMake(0, 0, w, kTitleStripHeight), "CameraTitleStrip");
  strip->setBackgroundColor(UIColor::colorWithWhite(0, 0.55f));
  titleBar_ = std::make_shared<CameraTitleBar>(CGRectMake(10, 0, w - 20, kTitleStripHeight));
  strip->addSubview(titleBar_);
  top->addSubview(strip);
  view->addSubview(top);

  const CGRect barFrame = CGRectMake(0, h - kBottomBarHeight, w, kBottomBarHeight);
  auto bottom = std::make_shared<NamedView>(barFrame, "CameraBottomContainer");
  auto bar = std::make_shared<NamedView>(CGRectMake(0, 0, w, kBottomBarHeight), "CameraButtonBar");
  auto barImage = std::make_shared<UIImageView>(makeBarImage(barFrame.size));
  barImage->setFrame(CGRectMake(0, 0, w, kBottomBarHeight));
  bar->addSubview(barImage);

  // Cancel in the user's language, the key wide enough for its word.
  const std::string cancelTitle = NSBundle::mainBundle().localizedStringForKey("Cancel", "", "");
  const UIFont cancelFont = UIFont::boldSystemFontOfSize(14);
  const CGFloat cancelWidth = std::max<CGFloat>(74, std::ceil(sizeWithFont(cancelTitle, cancelFont).width) + 16);
  cancel_ = std::make_shared<CancelButton>(CGRectMake(12, 30, cancelWidth, 36));
  cancel_->setTitle(cancelTitle, UIControlStateNormal);
  cancel_->setFont(cancelFont);
  cancel_->setBackgroundColor(UIColor::colorWithWhite(0.2f, 1));
  shutter_ = std::make_shared<ShutterButton>(CGRectMake((w - 110) / 2, 20, 110, 56));
  std::weak_ptr<CameraViewController> weak =
      std::static_pointer_cast<CameraViewController>(shared_from_this());
  shutter_->addTarget(
      [weak](UIControl&) {
        if (auto camera = weak.lock()) camera->takePicture();
      },
      UIControlEventTouchUpInside);
  cancel_->addTarget(
      [weak](UIControl&) {
        auto camera = weak.lock();
        if (!camera) return;
        if (auto picker = camera->picker_.lock()) picker->cancel();
      },
      UIControlEventTouchUpInside);
  bar->addSubview(cancel_);
  bar->addSubview(shutter_);
  bottom->addSubview(bar);
  view->addSubview(bottom);
  setView(view);
}

void CameraViewController::viewWillAppear(bool) {
  view();
  if (previewTimer_) return;
  // A few frames a second of loop time; only while the camera is on the screen.
  std::weak_ptr<CameraViewController> weak =
      std::static_pointer_cast<CameraViewController>(shared_from_this());
  previewTimer_ = NSTimer::scheduledTimerWithTimeInterval(
      kPreviewFrameSeconds,
      [weak](NSTimer& timer) {
        auto camera = weak.lock();
        if (!camera) return timer.invalidate();
        if (!camera->previewing_) camera->preview_->setNeedsDisplay();
      },
      true);
}

void CameraViewController::viewDidDisappear(bool) {
  if (previewTimer_) previewTimer_->invalidate();
  previewTimer_.reset();
}

CameraViewController::~CameraViewController() {
  if (previewTimer_) previewTimer_->invalidate();
}

std::shared_ptr<CameraTitleBar> CameraViewController::titleBar() {
  view();
  return titleBar_;
}

std::shared_ptr<UIButton> CameraViewController::shutterButton() {
  view();
  return shutter_;
}

std::shared_ptr<UIButton> CameraViewController::cancelButton() {
  view();
  return cancel_;
}

bool CameraViewController::takePicture() {
  view();
  if (previewing_) return false;
  previewing_ = true;
  auto picture = CameraFeed::current().takePicture();
  static_cast<CameraPreviewView&>(*preview_).setPicture(picture);
  const std::string before = titleBar_->title();
  titleBar_->setTitle(NSBundle::mainBundle().localizedStringForKey("Preview", "", ""));
  std::weak_ptr<CameraViewController> weak =
      std::static_pointer_cast<CameraViewController>(shared_from_this());
  RunLoop& loop = RunLoop::main();
  loop.postAt(loop.now() + UIImagePickerController::kPreviewSeconds, [weak, picture, before] {
    if (auto camera = weak.lock()) camera->finishPreview(picture, before);
  });
  return true;
}

void CameraViewController::finishPreview(const std::shared_ptr<UIImage>& picture,
                                         const std::string& title) {
  previewing_ = false;
  titleBar_->setTitle(title);
  static_cast<CameraPreviewView&>(*preview_).showLive();
  if (auto picker = picker_.lock()) picker->finishPicking(picture);
}

}  // namespace platform
