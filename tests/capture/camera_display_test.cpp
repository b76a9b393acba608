// The capture screen in the running application: the start-up alerts that
// lead to the camera, and the camera display cycle over the platform's
// real camera picker.
#include "state/settings.h"
#include "views/alert_view_no_buttons.h"
#include "capture/root_view_controller.h"
#include "platform/camera/camera_view_controller.h"
#include "platform/foundation/bundle.h"
#include "help/help_view_controller.h"
#include "platform/album/photo_album.h"
#include "platform/foundation/data_file.h"
#include "platform/foundation/user_defaults.h"
#include "platform/graphics/text.h"
#include "platform/ui/ui_state.h"

#include <algorithm>
#include "tests/app/app_fixture.h"
#include "tests/platform/pixel_support.h"

namespace holdstill {
namespace {

using namespace platform;

// The camera's ready title, as the bundle says it.
std::string touchAnywhere() { return NSBundle::mainBundle().localizedStringForKey("TouchAnywhere", "", ""); }

class CaptureScreen : public testing::AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    _bComingFromMainScreen = true;
    _cameraViewController.reset();
  }
  void TearDown() override {
    root_.reset();
    app_.reset();
    _cameraViewController.reset();
    AppTest::TearDown();
  }

  void startWith(std::optional<std::string> lastVersion, const std::string& model = "iPhone", bool recordGPS = false) {
    useDevice({.model = model});
    NSUserDefaults::standardUserDefaults().setObject(recordGPS, kRecordGPSKey);
    if (lastVersion) NSUserDefaults::standardUserDefaults().setObject(*lastVersion, kLastVersionKey);
    app_ = launch();
    root_ = app_->rootViewController();
    loop().runFor(0.1);
  }
  std::optional<std::string> lastVersion() const {
    auto v = NSUserDefaults::standardUserDefaults().objectForKey(kLastVersionKey);
    return v ? std::optional(v->stringValue()) : std::nullopt;
  }
  std::shared_ptr<CameraViewController> camera() const {
    auto picker = root_->imagePickerController();
    return picker ? picker->cameraViewController() : nullptr;
  }
  // Whether the button shows the bundle picture of that name.
  static bool shows(const std::shared_ptr<UIButton>& button, const std::string& name) {
    auto shown = button->imageForState(UIControlStateNormal);
    auto expected = UIImage::imageNamed(name);
    return shown && expected && shown->CGImage()->pixels() == expected->CGImage()->pixels();
  }
  int countTagged(int tag) const {
    int n = 0;
    for (const auto& v : camera()->view()->subviews()) n += v->tag() == tag;
    return n;
  }

  std::shared_ptr<SimpleTableViewAppDelegate> app_;
  std::shared_ptr<RootViewController> root_;
};

TEST_F(CaptureScreen, AFirstStartOrAnOlderVersionIsWelcomedThenTheCameraFlipsOpen) {
  using Version = std::optional<std::string>;
  for (const Version& last : {Version(), Version("0.9"), Version("1.0")}) {
    SCOPED_TRACE(last.value_or("first start"));
    resetUserInterface();
    startWith(last);
    const auto alerts = UIAlertView::shownAlerts();
    ASSERT_EQ(alerts.size(), last == "1.0" ? 0u : 1u);
    if (!alerts.empty()) {
      EXPECT_EQ(alerts[0]->tag(), 33);
      EXPECT_EQ(alerts[0]->title(), "Welcome to Holdstill v1.0");
      EXPECT_EQ(alerts[0]->buttonTitleAtIndex(0), "OK");
      EXPECT_EQ(lastVersion(), last);
      EXPECT_EQ(root_->imagePickerController(), nullptr);
      alerts[0]->tapButtonAtIndex(0);
    }
    loop().runFor(1);
    EXPECT_EQ(lastVersion(), "1.0");
    ASSERT_NE(camera(), nullptr);
    EXPECT_EQ(root_->imagePickerController()->sourceType(), UIImagePickerControllerSourceTypeCamera);
    EXPECT_EQ(root_->imagePickerController()->view()->superview(), app_->window());
    const auto animations = UIView::committedAnimations();
    EXPECT_TRUE(std::any_of(animations.begin(), animations.end(), [&](const auto& a) {
      return a.transition == UIViewAnimationTransitionFlipFromRight && a.duration == 0.75 &&
             a.transitionView.lock() == app_->window();
    }));
  }
}

TEST_F(CaptureScreen, ADeviceThatIsNotAPhoneIsWarnedThenGetsThePhotoLibraryWithItsBar) {
  startWith("1.0", "Tablet");
  auto alerts = UIAlertView::shownAlerts();
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_EQ(alerts[0]->tag(), 34);
  EXPECT_EQ(alerts[0]->title(), "Holdstill v1.0 Warning!");
  EXPECT_NE(std::dynamic_pointer_cast<UIAlertViewNoButtons>(alerts[0]), nullptr);
  loop().runFor(1);
  EXPECT_EQ(root_->imagePickerController(), nullptr) << "the camera waits for the warning";

  alerts[0]->touch();
  loop().runFor(1);
  auto picker = root_->imagePickerController();
  ASSERT_NE(picker, nullptr);
  EXPECT_EQ(picker->sourceType(), UIImagePickerControllerSourceTypePhotoLibrary);
  EXPECT_FALSE(picker->isNavigationBarHidden());
  EXPECT_EQ(root_->touchAnywhereImage()->alpha(), 0.9f) << "the fix-up ran after the additions";
}

TEST_F(CaptureScreen, OpeningInstallsTheAdditionsOnceAndRetitlesTheCamera) {
  startWith("1.0");
  loop().runFor(1);
  ASSERT_NE(camera(), nullptr);
  auto overlay = root_->cameraHiddenLayerView();
  ASSERT_NE(overlay, nullptr);
  EXPECT_EQ(overlay->superview(), camera()->view());
  EXPECT_EQ(camera()->titleBar()->title(), touchAnywhere());
  EXPECT_EQ(camera()->titleBar()->alpha(), 0.0f);
  EXPECT_TRUE(root_->imagePickerController()->isNavigationBarHidden());
  EXPECT_EQ(countTagged(97), 1);
  EXPECT_EQ(countTagged(96), 1);
  EXPECT_EQ(root_->helpButton()->frame().origin, CGPointMake(5, 2));
  const CGRect toggle = root_->stabilizeButton()->frame();
  EXPECT_EQ(toggle.origin.x + toggle.size.width + 5, camera()->view()->frame().size.width);
  EXPECT_EQ(root_->stabilizeMeter()->superview(), camera()->view());
  EXPECT_EQ(root_->touchAnywhereImage()->alpha(), 0.9f);

  // The picker tells of the camera view again: nothing is added twice.
  root_->navigationControllerDidShowViewController(*root_->imagePickerController(), camera(), false);
  EXPECT_EQ(countTagged(97), 1);
  EXPECT_EQ(root_->cameraHiddenLayerView(), overlay);

  loop().runFor(4);
  EXPECT_EQ(root_->touchAnywhereImage()->alpha(), 0.0f) << "the hint goes after 4 s";
}

TEST_F(CaptureScreen, TheSteadinessButtonSwitchesTheModeAndShowsTheOtherState) {
  startWith("1.0");
  loop().runFor(1);
  auto button = root_->stabilizeButton();
  ASSERT_NE(button, nullptr);
  EXPECT_TRUE(shows(button, "stabilizeButtonSetOn.png"));
  button->sendActionsForControlEvents(UIControlEventTouchUpInside);
  EXPECT_EQ(vwTakeStablePic, 1);
  EXPECT_TRUE(shows(button, "stabilizeButtonSetOff.png"));
  EXPECT_TRUE(root_->stabilizeMeter()->disabled());
  EXPECT_EQ(root_->stabilizeMeter()->alpha(), 0.9f);
  EXPECT_NE(vbAccelerometerOn, 0);
  button->sendActionsForControlEvents(UIControlEventTouchUpInside);
  EXPECT_EQ(vwTakeStablePic, 0);
  EXPECT_TRUE(shows(button, "stabilizeButtonSetOn.png"));
  EXPECT_EQ(root_->stabilizeMeter()->alpha(), 0.0f);
  EXPECT_EQ(vbAccelerometerOn, 0);
}

TEST_F(CaptureScreen, HelpIsPushedOnThePickerAndOnTheWayBackTheLayersReturnToTheFront) {
  startWith("1.0");
  loop().runFor(1);
  auto picker = root_->imagePickerController();
  auto cameraView = camera()->view();
  root_->helpButton()->sendActionsForControlEvents(UIControlEventTouchUpInside);
  loop().runFor(1);
  EXPECT_TRUE(root_->inHelp());
  auto help = std::dynamic_pointer_cast<HelpViewController>(picker->topViewController());
  ASSERT_NE(help, nullptr);
  cameraView->bringSubviewToFront(root_->touchAnywhereImage());

  help->goBack();
  loop().runFor(2);
  EXPECT_FALSE(root_->inHelp());
  const auto& front = cameraView->subviews();
  ASSERT_GE(front.size(), 3u);
  EXPECT_EQ(front[front.size() - 3], root_->cameraHiddenLayerView());
  EXPECT_EQ(front[front.size() - 2], root_->helpButton());
  EXPECT_EQ(front.back(), root_->stabilizeButton());
  EXPECT_EQ(countTagged(97), 1) << "coming back from help adds nothing";
}

TEST_F(CaptureScreen, APictureIsSavedTheCameraClosesAndReopensWithFreshAdditions) {
  startWith("1.0");
  loop().runFor(1);
  auto overlay = root_->cameraHiddenLayerView();
  EXPECT_TRUE(overlay->pointInside({200, 200}, nullptr));
  EXPECT_TRUE(overlay->inTouch());
  ASSERT_TRUE(loop().runUntil([&] { return root_->imagePickerController() == nullptr; }, 5));
  EXPECT_EQ(root_->cameraHiddenLayerView(), nullptr);
  EXPECT_EQ(root_->helpButton(), nullptr);
  EXPECT_EQ(overlay->superview(), nullptr);
  EXPECT_FALSE(overlay->isPolling());
  EXPECT_TRUE(_bComingFromMainScreen);

  // The save pipeline opens the camera again once the album has the picture.
  ASSERT_TRUE(loop().runUntil([&] { return root_->cameraHiddenLayerView() != nullptr; }, 10));
  EXPECT_EQ(PhotoAlbum::current().saveCount(), 1);
  EXPECT_NE(root_->cameraHiddenLayerView(), overlay);
  EXPECT_EQ(root_->touchAnywhereImage()->alpha(), 0.0f) << "the hint fades in once per process";
}

// However long the album takes, the camera comes back with its overlay: it
// opens once both the closing flip (0.75 s) and the save have ended, the
// latter noticed at the save worker's next half-second look.
TEST_F(CaptureScreen, WhateverTheAlbumsTimeTheCameraComesBackWithItsAdditionsAfterTheClosingFlip) {
  for (double album : {0.05, 0.75, 1.0, 5.0}) {
    SCOPED_TRACE(album);
    resetUserInterface();
    startWith("1.0");
    PhotoAlbum::current().setWorkSeconds(album);
    loop().runFor(1);
    const auto first = root_->imagePickerController();
    ASSERT_TRUE(root_->cameraHiddenLayerView()->pointInside({200, 200}, nullptr));
    ASSERT_TRUE(loop().runUntil([&] { return root_->imagePickerController() != first; }, 10));
    const auto flips = [](UIViewAnimationTransition kind) {
      std::vector<double> at;
      for (const auto& a : UIView::committedAnimations())
        if (a.transition == kind) at.push_back(a.committedAt);
      return at;
    };
    ASSERT_EQ(flips(UIViewAnimationTransitionFlipFromLeft).size(), 1u);
    const double closed = flips(UIViewAnimationTransitionFlipFromLeft)[0];

    ASSERT_TRUE(loop().runUntil([&] { return root_->cameraHiddenLayerView() != nullptr; }, 10));
    const auto opened = flips(UIViewAnimationTransitionFlipFromRight);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_GE(opened[1] - closed, std::max(0.75, album) - 1e-9);
    EXPECT_LE(opened[1] - closed, std::max(0.75, album + 0.5) + 1e-9);
    EXPECT_EQ(root_->imagePickerController()->view()->superview(), app_->window());
    EXPECT_EQ(root_->cameraHiddenLayerView()->superview(), camera()->view());
    EXPECT_EQ(countTagged(97), 1);
    EXPECT_EQ(countTagged(96), 1);
    EXPECT_EQ(root_->bringUpCameraCount(), 2);
    root_.reset();
    app_.reset();
  }
}

// The GPS badge spans the screen below the status bar, as high as its text
// plus 20, with the globe and the status line inside; it comes onto the
// screen when the opening flip ends, once however often the camera opens.
TEST_F(CaptureScreen, TheGpsBadgeComesOnTheScreenOnceWhenTheOpeningFlipEnds) {
  startWith("1.0", "iPhone", /*recordGPS=*/true);
  const auto badge = root_->gpsInfo();
  ASSERT_NE(badge, nullptr);
  const CGRect frame = badge->frame();
  const auto label = root_->gpsInfoText();
  const CGFloat textHeight = sizeWithFont(label->text(), label->font()).height;
  EXPECT_EQ(frame, CGRectMake(1, 0, 318, textHeight + 20));
  EXPECT_EQ(label->superview(), badge);
  EXPECT_EQ(label->frame(), CGRectMake(31, 4, 318 - 46, frame.size.height - 8));
  const auto& inside = badge->subviews();
  ASSERT_EQ(inside.size(), 2u);
  EXPECT_EQ(inside[1]->frame(), CGRectMake(5, (frame.size.height - 24) / 2, 24, 24)) << "the globe";
  // Its dark blue panel shows between the globe and the text.
  const RGBA8 panel = testsupport::renderView(*badge)->colorAt(30, static_cast<int>(frame.size.height / 2));
  EXPECT_TRUE(panel.blue > 2 * panel.red && panel.alpha > 150) << panel;

  loop().runFor(0.5);
  ASSERT_NE(root_->imagePickerController(), nullptr);
  EXPECT_EQ(badge->superview(), nullptr) << "not while the flip turns";
  loop().runFor(0.5);
  EXPECT_EQ(badge->superview(), root_->view());
  EXPECT_EQ(badge->hitTest(CGPointMake(160, 10), nullptr), nullptr) << "touches pass the badge";
  root_->flipDidStop();
  const auto& views = root_->view()->subviews();
  EXPECT_EQ(std::count_if(views.begin(), views.end(), [](const auto& v) { return v->tag() == 99; }), 1);
}

TEST_F(CaptureScreen, CancelFlipsShrinksTheWindowWritesTheSettingsAndQuitsWithZero) {
  startWith("1.0");
  loop().runFor(1);
  // A setting changed while the phone had no room to write it: only
  // quitting writes it.
  const auto onDisk = [] {
    const auto file = dataWithContentsOfFile(NSUserDefaults::kDevicePath);
    return file ? std::string(file->begin(), file->end()) : std::string();
  };
  Device::current()->setFreeBytes(0);
  NSUserDefaults::standardUserDefaults().setObject(false, "SHOWSPLASH");
  Device::current()->setFreeBytes(std::nullopt);
  ASSERT_EQ(onDisk().find("SHOWSPLASH"), std::string::npos);
  camera()->cancelButton()->sendActionsForControlEvents(UIControlEventTouchUpInside);
  loop().runFor(0.8);
  EXPECT_EQ(root_->imagePickerController()->view()->superview(), nullptr);
  EXPECT_FALSE(loop().stopped());
  loop().runFor(0.5);
  EXPECT_EQ(app_->window()->transform(), CGAffineTransformMakeScale(0.1, 0.1));
  EXPECT_TRUE(loop().stopped());
  EXPECT_EQ(loop().run(), 0);
  EXPECT_NE(onDisk().find("\"SHOWSPLASH\": false"), std::string::npos) << onDisk();
}

}  // namespace
}  // namespace holdstill
