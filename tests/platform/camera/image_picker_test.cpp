// The camera picker: its private view tree, the shutter and cancel, the
// navigation callbacks, and the photo-library source.
#include "platform/camera/camera_feed.h"
#include "platform/camera/camera_view_controller.h"
#include "platform/camera/image_picker_controller.h"
#include "platform/camera/photo_library_view_controller.h"
#include "platform/foundation/bundle.h"
#include "platform/foundation/data_file.h"
#include "platform/foundation/file_manager.h"
#include "platform/graphics/image_codec.h"
#include "platform/graphics/text.h"
#include "platform/ui/ui_state.h"
#include "platform/ui/window.h"
#include "tests/platform/device_fixture.h"
#include "tests/platform/pixel_support.h"

#include <filesystem>
#include <string>
#include <vector>

namespace platform {
namespace {

using Log = std::vector<std::string>;

class RecordingPickerDelegate : public UIImagePickerControllerDelegate {
 public:
  void imagePickerControllerDidFinishPickingImage(UIImagePickerController&,
                                                  const std::shared_ptr<UIImage>& image,
                                                  const UIImagePickerEditingInfo* info) override {
    log.push_back("picked");
    pictures.push_back(image);
    hadEditingInfo = info != nullptr;
  }
  void imagePickerControllerDidCancel(UIImagePickerController&) override { log.push_back("cancel"); }
  void navigationControllerDidShowViewController(UINavigationController&,
                                                 const std::shared_ptr<UIViewController>& c,
                                                 bool) override {
    log.push_back(std::string("didShow ") + (c ? c->className() : "nil"));
  }
  Log log;
  std::vector<std::shared_ptr<UIImage>> pictures;
  bool hadEditingInfo = false;
};

// (level, class name) of every view below `root`, pre-order, levels from 0
// over root's subviews, as the capture overlay walks them.
void walk(const UIView& root, int level, std::vector<std::pair<int, std::string>>& out) {
  for (const auto& v : root.subviews()) {
    out.emplace_back(level, object_getClassName(v));
    walk(*v, level + 1, out);
  }
}

class Picker : public testsupport::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    resetUserInterface();
    window = std::make_shared<UIWindow>();
    window->makeKeyAndVisible();
  }
  void TearDown() override {
    window = nullptr;
    resetUserInterface();
    DeviceTest::TearDown();
  }

  // A picker of `type` shown in the window, as the capture screen shows it.
  std::shared_ptr<UIImagePickerController> showPicker(UIImagePickerControllerSourceType type) {
    auto picker = std::make_shared<UIImagePickerController>();
    picker->setDelegate(delegate);
    picker->setAllowsImageEditing(false);
    picker->setSourceType(type);
    window->addSubview(picker->view());
    return picker;
  }

  std::shared_ptr<UIWindow> window;
  std::shared_ptr<RecordingPickerDelegate> delegate = std::make_shared<RecordingPickerDelegate>();
};

TEST_F(Picker, CameraViewHoldsThePrivateControlsAtTheDepthsTheOverlayExpects) {
  auto picker = showPicker(UIImagePickerControllerSourceTypeCamera);
  auto camera = picker->cameraViewController();
  ASSERT_TRUE(camera);
  std::vector<std::pair<int, std::string>> seen;
  walk(*camera->view(), 0, seen);
  auto levelsOf = [&](auto matches) {
    std::vector<int> levels;
    for (const auto& [level, name] : seen)
      if (matches(name)) levels.push_back(level);
    return levels;
  };
  EXPECT_EQ(levelsOf([](const std::string& n) { return n == "TPCameraPushButton"; }),
            std::vector<int>{2});
  EXPECT_EQ(levelsOf([](const std::string& n) { return n == "TPPushButton"; }), std::vector<int>{2});
  EXPECT_EQ(levelsOf([](const std::string& n) { return n.find("CropLCDLayer") != std::string::npos; }),
            std::vector<int>{2});
  EXPECT_EQ(levelsOf([](const std::string& n) { return n == "UIImageView"; }), std::vector<int>{2});
  // The controls are the ones the controller hands out, and the camera
  // fills the application frame with the bar at its bottom.
  EXPECT_STREQ(object_getClassName(camera->shutterButton()), "TPCameraPushButton");
  EXPECT_STREQ(object_getClassName(camera->cancelButton()), "TPPushButton");
  EXPECT_TRUE(picker->isNavigationBarHidden());
  const CGRect frame = camera->view()->frame();
  EXPECT_EQ(frame.size, CGSizeMake(320, 460));
  const CGPoint shutterInCamera =
      camera->shutterButton()->convertPointToView({0, 0}, camera->view().get());
  EXPECT_GE(shutterInCamera.y, 460 - CameraViewController::kBottomBarHeight);
}

TEST_F(Picker, ShutterShowsPreviewThenHandsThePictureToTheDelegateOnce) {
  auto picker = showPicker(UIImagePickerControllerSourceTypeCamera);
  auto camera = picker->cameraViewController();
  camera->titleBar()->setTitle("Ready");
  const std::string preview = NSBundle::mainBundle().localizedStringForKey("Preview", "", "");

  camera->shutterButton()->sendActionsForControlEvents(UIControlEventTouchUpInside);
  camera->shutterButton()->sendActionsForControlEvents(UIControlEventTouchUpInside);  // ignored
  EXPECT_EQ(camera->titleBar()->title(), preview);
  loop().runFor(UIImagePickerController::kPreviewSeconds - 0.1);
  EXPECT_TRUE(delegate->pictures.empty()) << "handed over while the preview still shows";
  EXPECT_EQ(camera->titleBar()->title(), preview);

  loop().runFor(0.2);
  ASSERT_EQ(delegate->pictures.size(), 1u);
  EXPECT_FALSE(delegate->hadEditingInfo);
  EXPECT_EQ(camera->titleBar()->title(), "Ready");
  const auto& picture = delegate->pictures[0];
  EXPECT_EQ(picture->imageOrientation(), UIImageOrientationRight);
  EXPECT_EQ(picture->size(), CGSizeMake(CameraFeed::kSceneHeight, CameraFeed::kSceneWidth));
  EXPECT_EQ(CameraFeed::current().shotsTaken(), 1u);
}

// Live while the camera is on the screen, still on the picture just taken,
// and without frames once the camera has gone, so it keeps nothing going.
TEST_F(Picker, ThePreviewIsLiveWhileTheCameraIsShownAndKeepsNothingGoingAfter) {
  auto picker = showPicker(UIImagePickerControllerSourceTypeCamera);
  auto camera = picker->cameraViewController();
  const auto opened = testsupport::renderView(*camera->view());
  loop().runFor(2);
  EXPECT_NE(testsupport::renderView(*camera->view())->pixels(), opened->pixels());
  camera->shutterButton()->sendActionsForControlEvents(UIControlEventTouchUpInside);
  const auto taken = testsupport::renderView(*camera->view());
  loop().runFor(UIImagePickerController::kPreviewSeconds / 2);
  EXPECT_EQ(testsupport::renderView(*camera->view())->pixels(), taken->pixels());
  loop().runFor(UIImagePickerController::kPreviewSeconds);
  picker->view()->removeFromSuperview();
  EXPECT_EQ(loop().run(), RunLoop::kStalledStatus);
}

TEST_F(Picker, CancelIsInTheUsersLanguageAndFitsItsKey) {
  for (const auto& [language, title] : {std::pair{"de", "Abbrechen"}, std::pair{"fr", "Annuler"}}) {
    DeviceProfile profile;
    profile.preferredLanguage = language;
    useDevice(profile);
    auto cancel = showPicker(UIImagePickerControllerSourceTypeCamera)->cameraViewController()->cancelButton();
    EXPECT_EQ(cancel->currentTitle(), title);
    EXPECT_GE(cancel->frame().size.width, sizeWithFont(title, UIFont::boldSystemFontOfSize(14)).width + 8) << title;
  }
}

TEST_F(Picker, ATapOnTheShutterOnScreenTakesAPictureAndCancelCancels) {
  auto picker = showPicker(UIImagePickerControllerSourceTypeCamera);
  auto camera = picker->cameraViewController();
  auto centreOnScreen = [&](const std::shared_ptr<UIButton>& b) {
    const CGRect bounds = b->bounds();
    return b->convertPointToView({bounds.size.width / 2, bounds.size.height / 2}, nullptr);
  };
  EXPECT_EQ(sendTapToScreen(centreOnScreen(camera->shutterButton())), camera->shutterButton());
  loop().runFor(2);
  EXPECT_EQ(delegate->log.back(), "picked");
  EXPECT_EQ(sendTapToScreen(centreOnScreen(camera->cancelButton())), camera->cancelButton());
  EXPECT_EQ(delegate->log.back(), "cancel");
}

TEST_F(Picker, EditingPickerReportsTheWholePictureAsChosen) {
  auto picker = showPicker(UIImagePickerControllerSourceTypeCamera);
  picker->setAllowsImageEditing(true);
  picker->cameraViewController()->takePicture();
  loop().runFor(2);
  EXPECT_TRUE(delegate->hadEditingInfo);
}

TEST_F(Picker, DelegateHearsDidShowOnAppearanceAndAfterPushAndPop) {
  auto picker = showPicker(UIImagePickerControllerSourceTypeCamera);
  EXPECT_EQ(delegate->log, Log{"didShow CameraViewController"});
  auto help = std::make_shared<UIViewController>();
  picker->pushViewController(help, true);
  loop().runFor(1);
  picker->popViewControllerAnimated(true);
  loop().runFor(1);
  EXPECT_EQ(delegate->log, (Log{"didShow CameraViewController", "didShow UIViewController",
                                "didShow CameraViewController"}));
}

TEST_F(Picker, CameraIsOfferedOnlyOnAPhone) {
  EXPECT_TRUE(UIImagePickerController::isSourceTypeAvailable(UIImagePickerControllerSourceTypeCamera));
  DeviceProfile tablet;
  tablet.model = "Tablet";
  useDevice(tablet);
  EXPECT_FALSE(UIImagePickerController::isSourceTypeAvailable(UIImagePickerControllerSourceTypeCamera));
  EXPECT_TRUE(
      UIImagePickerController::isSourceTypeAvailable(UIImagePickerControllerSourceTypePhotoLibrary));
}

class PhotoLibrary : public Picker {
 protected:
  // Writes a one-colour JPEG into the camera roll.
  void addToRoll(const std::string& name, uint32_t argb) {
    const std::string folder = PhotoLibraryViewController::kCameraRollPath;
    ASSERT_TRUE(NSFileManager::defaultManager().createDirectoryAtPath(folder, true));
    auto image = std::make_shared<const CGImage>(8, 6, std::vector<uint32_t>(48, argb));
    ASSERT_TRUE(writeToFile(encodeJPEG(*image, 90), folder + name, true));
  }
};

TEST_F(PhotoLibrary, OffersTheCameraRollPicturesAndATapPicksOne) {
  addToRoll("IMG_0002.JPG", 0xff0000ff);
  addToRoll("IMG_0001.JPG", 0xffff0000);
  {
    const std::string folder = PhotoLibraryViewController::kCameraRollPath;
    ASSERT_TRUE(writeToFile(std::vector<uint8_t>{'x'}, folder + "notes.txt", true));
  }
  auto picker = showPicker(UIImagePickerControllerSourceTypePhotoLibrary);
  EXPECT_FALSE(picker->isNavigationBarHidden());
  auto library = picker->photoLibraryViewController();
  ASSERT_TRUE(library);
  const std::string roll = PhotoLibraryViewController::kCameraRollPath;
  EXPECT_EQ(library->picturePaths(),
            (std::vector<std::string>{roll + "IMG_0001.JPG", roll + "IMG_0002.JPG"}));

  // The second thumbnail sits right of the first; a tap there picks the blue one.
  const CGFloat step = PhotoLibraryViewController::kThumbSize + PhotoLibraryViewController::kThumbGap;
  const CGPoint second = library->view()->convertPointToView(
      {PhotoLibraryViewController::kThumbGap + step + 10, PhotoLibraryViewController::kThumbGap + 10},
      nullptr);
  sendTapToScreen(second);
  ASSERT_EQ(delegate->pictures.size(), 1u);
  const auto pixels = delegate->pictures[0]->CGImage();
  EXPECT_GT(pixels->colorAt(4, 3).blue, 200);
  EXPECT_LT(pixels->colorAt(4, 3).red, 60);
  EXPECT_FALSE(library->pickPictureAtIndex(2));

  picker->navigationBar()->rightButton()->sendActionsForControlEvents(UIControlEventTouchUpInside);
  EXPECT_EQ(delegate->log.back(), "cancel");
}

TEST_F(PhotoLibrary, EmptyRollOffersNothing) {
  auto picker = showPicker(UIImagePickerControllerSourceTypePhotoLibrary);
  EXPECT_TRUE(picker->photoLibraryViewController()->picturePaths().empty());
  EXPECT_FALSE(picker->photoLibraryViewController()->pickPictureAtIndex(0));
}

TEST_F(Picker, ScreenPicturesOfBothSources) {
  const auto dir = std::filesystem::path(HOLDSTILL_TEST_OUTPUT_DIR) / "picker-pictures";
  std::filesystem::create_directories(dir);
  auto camera = showPicker(UIImagePickerControllerSourceTypeCamera);
  camera->cameraViewController()->titleBar()->setTitle("Touch anywhere");
  window->renderToPNG((dir / "camera.png").string());
  camera->cameraViewController()->takePicture();
  window->renderToPNG((dir / "camera-preview.png").string());
  loop().runFor(2);
  camera->view()->removeFromSuperview();

  auto library = showPicker(UIImagePickerControllerSourceTypePhotoLibrary);
  window->renderToPNG((dir / "library.png").string());
  // The camera screen: the preview's picture above a dark bar at the bottom.
  const auto shot = window->snapshot();
  EXPECT_TRUE(std::filesystem::exists(dir / "camera.png"));
  EXPECT_EQ(shot->size(), CGSizeMake(320, 480));
}

}  // namespace
}  // namespace platform
