// The camera overlay over hand-built camera views that carry the
// platform's private class names.
#include "state/module_state.h"
#include "views/meter_vertical.h"
#include "capture/self_camera_view.h"
#include "platform/camera/camera_view_controller.h"
#include "platform/foundation/bundle.h"
#include "platform/ui/button.h"
#include "platform/ui/image_view.h"
#include "platform/ui/screen.h"
#include "tests/platform/ui_fixture.h"

namespace holdstill {
namespace {

using namespace platform;

// The camera's ready title, as the bundle says it.
std::string touchAnywhere() { return NSBundle::mainBundle().localizedStringForKey("TouchAnywhere", "", ""); }

// A view or control that calls itself by a private class name.
template <class Base>
class Named : public Base {
 public:
  explicit Named(const char* name, CGRect frame = CGRectMake(0, 0, 40, 40)) : Base(frame), name_(name) {}
  const char* className() const override { return name_; }

 private:
  const char* name_;
};
using NamedView = Named<UIView>;
using NamedControl = Named<UIControl>;

template <class View>
std::shared_ptr<View> add(const std::shared_ptr<UIView>& parent, std::shared_ptr<View> child, int tag = 0) {
  child->setTag(tag);
  parent->addSubview(child);
  return child;
}

// A camera view nested as the platform nests it, with the capture screen's
// tagged buttons, meter and icon added.
struct Camera {
  std::shared_ptr<UIViewController> controller = std::make_shared<UIViewController>();
  std::shared_ptr<UIView> view;
  std::shared_ptr<CameraTitleBar> titleBar;
  std::shared_ptr<UIView> barImage;
  std::shared_ptr<UIControl> shutter, cancel;
  std::shared_ptr<UIButton> help, toggle;
  std::shared_ptr<UIMeterVertical> meter;
  std::shared_ptr<UIImageView> icon;
  int shots = 0;

  explicit Camera(bool withControls = true) {
    view = controller->view();
    view->setFrame(CGRectMake(0, 0, 320, 460));
    auto top = add(view, std::make_shared<NamedView>("CameraTopContainer"));
    auto strip = add(top, std::make_shared<NamedView>("CameraTitleStrip"));
    // Decoys at the wrong depth: a title-bar class at level 1, a bar image at level 3.
    add(top, std::make_shared<NamedView>("OtherCropLCDLayer"));
    titleBar = std::make_shared<CameraTitleBar>(CGRectMake(0, 0, 320, 44));
    add(strip, titleBar);
    add(titleBar, std::make_shared<UIImageView>(CGRectMake(0, 0, 5, 5)));
    auto bottom = add(view, std::make_shared<NamedView>("CameraBottomContainer"));
    auto bar = add(bottom, std::make_shared<NamedView>("CameraButtonBar"));
    barImage = add(bar, std::make_shared<UIImageView>(CGRectMake(0, 0, 320, 96)));
    if (withControls) {
      cancel = add(bar, std::make_shared<NamedControl>("TPPushButton"));
      shutter = add(bar, std::make_shared<NamedControl>("TPCameraPushButton"));
      shutter->addTarget([this](UIControl&) { ++shots; }, UIControlEventTouchUpInside);
    }
    help = add(view, std::make_shared<UIButton>(CGRectMake(5, 2, 40, 40)), UISelfCameraView::kHelpButtonTag);
    toggle = add(view, std::make_shared<UIButton>(CGRectMake(270, 2, 44, 40)), UISelfCameraView::kStabilizeButtonTag);
    meter = add(view, std::make_shared<UIMeterVertical>(CGRectMake(0, 0, 20, 150)), UISelfCameraView::kMeterTag);
    meter->setAlpha(0);
    icon = add(view, std::make_shared<UIImageView>(CGRectMake(0, 0, 24, 24)), UISelfCameraView::kStabilizeIconTag);
    icon->setAlpha(0);
    _cameraViewController = controller;
  }

  // The overlay as the capture screen installs it: one walk, then added.
  std::shared_ptr<UISelfCameraView> overlay() {
    auto overlay = std::make_shared<UISelfCameraView>(view->frame());
    overlay->traverseSubviews(view->subviews(), 0);
    view->addSubview(overlay);
    return overlay;
  }
};

class Overlay : public testsupport::DeviceUITest {
 protected:
  void SetUp() override {
    testsupport::DeviceUITest::SetUp();
    resetModuleStateForTesting();
    vnsPreview = "Preview";
  }
  void TearDown() override {
    _cameraViewController.reset();
    testsupport::DeviceUITest::TearDown();
  }
  static inline const CGFloat kBottom = UIScreen::mainScreen().applicationFrame().size.height - 50;
};

TEST_F(Overlay, TheWalkFindsTheControlsByClassNameTheBarsOnlyAtDepthTwo) {
  Camera camera;
  auto overlay = camera.overlay();
  EXPECT_EQ(overlay->savedPictureButton(), camera.shutter);
  EXPECT_EQ(overlay->cancelPictureButton(), camera.cancel);
  EXPECT_EQ(overlay->takePictureView(), camera.titleBar);
  EXPECT_EQ(overlay->takePictureViewBar(), camera.barImage);

  // Found twice: the one visited last in pre-order counts.
  auto later = std::make_shared<NamedControl>("TPCameraPushButton");
  camera.view->subviews()[1]->addSubview(later);
  overlay->traverseSubviews(camera.view->subviews(), 0);
  EXPECT_EQ(overlay->savedPictureButton(), later);
  EXPECT_EQ(overlay->traverseSubviews({}, 0), nullptr);
}

// On a phone the filter leaves the corner and an unready camera to the
// camera; elsewhere every touch is taken.
TEST_F(Overlay, OnAPhoneTheFilterLeavesTheCornerAndAnUnreadyCameraToTheCamera) {
  Camera camera;
  auto overlay = camera.overlay();
  camera.titleBar->setTitle(touchAnywhere());
  EXPECT_FALSE(overlay->pointInside({100, kBottom}, nullptr));  // the camera's own controls
  EXPECT_EQ(camera.shots, 0);
  camera.titleBar->setTitle("Take a picture");
  EXPECT_FALSE(overlay->pointInside({200, 200}, nullptr));
  EXPECT_EQ(camera.shots, 0);
  camera.titleBar->setTitle(touchAnywhere());
  EXPECT_TRUE(overlay->pointInside({200, kBottom}, nullptr));
  EXPECT_EQ(camera.shots, 1);
  EXPECT_TRUE(overlay->pointInside({200, 200}, nullptr));  // asked again for one touch: one shot
  EXPECT_EQ(camera.shots, 1);
  // The camera's corner is 160 wide and 96 high: its edges are ours.
  const CGFloat height = UIScreen::mainScreen().applicationFrame().size.height;
  EXPECT_TRUE(overlay->pointInside({160, height - 1}, nullptr));
  EXPECT_TRUE(overlay->pointInside({0, height - 96}, nullptr));
  EXPECT_FALSE(overlay->pointInside({159.5, height - 95.5}, nullptr));

  Camera shutterless(false);
  auto lone = shutterless.overlay();
  shutterless.titleBar->setTitle(touchAnywhere());
  EXPECT_FALSE(lone->pointInside({200, 200}, nullptr));
  // The capture screen's own overlay is never walked: it takes nothing.
  EXPECT_FALSE(std::make_shared<UISelfCameraView>(CGRectMake(0, 0, 320, 460))->pointInside({200, 200}, nullptr));

  useDevice({.model = "Tablet"});
  Camera tablet(false);
  auto taking = tablet.overlay();
  EXPECT_TRUE(taking->pointInside({10, kBottom}, nullptr));
  EXPECT_TRUE(taking->inTouch());
  EXPECT_TRUE(std::make_shared<UISelfCameraView>(CGRectMake(0, 0, 320, 460))->pointInside({5, 5}, nullptr));
}

TEST_F(Overlay, SnapPressesOnceHidesTheButtonsAndPollsUntilThePreviewIsGoneAndTheShutterBack) {
  Camera camera;
  auto overlay = camera.overlay();
  vwIntervalsStable = 5;
  overlay->snap();
  overlay->snap();
  EXPECT_EQ(camera.shots, 1);
  EXPECT_EQ(vwIntervalsStable, 0);
  EXPECT_TRUE(camera.help->isHidden());
  EXPECT_TRUE(camera.toggle->isHidden());
  EXPECT_EQ(vbAccelerometerOn, 0);
  EXPECT_TRUE(overlay->isPolling());

  camera.titleBar->setTitle("Preview");
  camera.view->bringSubviewToFront(camera.help);  // the poll puts the overlay under the buttons again
  loop().runFor(4.5);                            // two polls while the picture shows
  EXPECT_TRUE(overlay->inTouch());
  EXPECT_TRUE(camera.help->isHidden());
  EXPECT_TRUE(overlay->isPolling());

  // Ready, but while the shutter is missing the poll waits for it.
  camera.titleBar->setTitle(touchAnywhere());
  camera.shutter->removeFromSuperview();
  loop().runFor(2.5);
  EXPECT_TRUE(overlay->inTouch());
  EXPECT_TRUE(overlay->isPolling());
  camera.view->subviews()[1]->addSubview(camera.shutter);
  loop().runFor(2);
  EXPECT_FALSE(overlay->inTouch());
  EXPECT_FALSE(camera.help->isHidden());
  EXPECT_FALSE(camera.toggle->isHidden());
  EXPECT_FALSE(overlay->isPolling());
  const auto& front = camera.view->subviews();
  ASSERT_GE(front.size(), 3u);
  EXPECT_EQ(std::vector(front.end() - 3, front.end()),
            (std::vector<std::shared_ptr<UIView>>{overlay, camera.help, camera.toggle}));
  // The poll has ended: steady mode armed now stays armed.
  overlay->showStableUI(1);
  loop().runFor(5);
  EXPECT_EQ(vbAccelerometerOn, 1) << "a poll left running switched it off";
  overlay->snap();  // ready again
  EXPECT_EQ(camera.shots, 2);
  overlay->snap();
  EXPECT_EQ(camera.shots, 2) << "the second shot is in progress";
  // Once the shot is reset the next snap fires again, with one fresh poll.
  overlay->resetInTouch();
  overlay->snap();
  EXPECT_EQ(camera.shots, 3);
  EXPECT_TRUE(overlay->inTouch());
  EXPECT_TRUE(overlay->isPolling());
  overlay->stopTimer();
  EXPECT_FALSE(overlay->isPolling());
}

// In steady mode a touch arms the meter instead of shooting; the meter and
// its icon are placed, faded and armed in three modes.
TEST_F(Overlay, InSteadyModeATouchArmsTheMeterWhichShowsInThreeModes) {
  Camera camera;
  auto overlay = camera.overlay();
  camera.titleBar->setTitle(touchAnywhere());
  vwTakeStablePic = 1;
  EXPECT_TRUE(overlay->pointInside({200, 200}, nullptr));
  EXPECT_EQ(camera.shots, 0);
  EXPECT_FALSE(camera.meter->disabled());
  EXPECT_EQ(vbAccelerometerOn, 1);
  EXPECT_EQ(camera.meter->alpha(), 0.9f);

  UIView::resetAnimations();
  overlay->showStableUI(-1);
  // Centred under the toggle (270, 2, 44, 40), then the icon under the meter.
  EXPECT_EQ(camera.meter->frame(), CGRectMake(282, 46, 20, 150));
  EXPECT_EQ(camera.icon->frame(), CGRectMake(280, 200, 24, 24));
  EXPECT_TRUE(camera.meter->disabled());
  EXPECT_NE(vbAccelerometerOn, 0);
  EXPECT_EQ(camera.meter->alpha(), 0.9f);
  EXPECT_EQ(camera.icon->alpha(), 0.9f);
  ASSERT_EQ(UIView::committedAnimations().size(), 1u);
  EXPECT_EQ(UIView::committedAnimations().back().duration, 0.4);

  overlay->showStableUI(0);
  EXPECT_EQ(vbAccelerometerOn, 0);
  EXPECT_EQ(camera.meter->alpha(), 0.0f);
  EXPECT_EQ(camera.icon->alpha(), 0.0f);
}

}  // namespace
}  // namespace holdstill
