// The camera picker: the shutter and its preview, a live preview that keeps
// nothing going once the camera has gone, and the photo-library source.
#include "platform/camera/camera_feed.h"
#include "platform/camera/camera_view_controller.h"
#include "platform/camera/image_picker_controller.h"
#include "platform/camera/photo_library_view_controller.h"
#include "platform/foundation/bundle.h"
#include "platform/foundation/data_file.h"
#include "platform/foundation/file_manager.h"
#include "platform/graphics/image_codec.h"
#include "platform/ui/window.h"
#include "tests/platform/ui_fixture.h"
#include "tests/platform/pixel_support.h"

#include <string>
#include <vector>

namespace platform {
namespace {

class RecordingPickerDelegate : public UIImagePickerControllerDelegate {
 public:
  void imagePickerControllerDidFinishPickingImage(UIImagePickerController&,
                                                  const std::shared_ptr<UIImage>& image,
                                                  const UIImagePickerEditingInfo* info) override {
    pictures.push_back(image);
    hadEditingInfo = info != nullptr;
  }
  void imagePickerControllerDidCancel(UIImagePickerController&) override { ++cancels; }
  int cancels = 0;
  std::vector<std::shared_ptr<UIImage>> pictures;
  bool hadEditingInfo = false;
};

class Picker : public testsupport::DeviceUITest {
 protected:
  void SetUp() override {
    testsupport::DeviceUITest::SetUp();
    window = std::make_shared<UIWindow>();
    window->makeKeyAndVisible();
  }
  void TearDown() override {
    window = nullptr;
    testsupport::DeviceUITest::TearDown();
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

TEST_F(Picker, ThePhotoLibraryOffersTheCameraRollPicturesAndATapPicksOne) {
  const std::string roll = PhotoLibraryViewController::kCameraRollPath;
  ASSERT_TRUE(NSFileManager::defaultManager().createDirectoryAtPath(roll, true));
  // A blue and a red JPEG, the later name written first.
  for (const auto& [name, argb] : {std::pair{"IMG_0002.JPG", 0xff0000ffu}, {"IMG_0001.JPG", 0xffff0000u}})
    ASSERT_TRUE(writeToFile(encodeJPEG(CGImage(8, 6, std::vector<uint32_t>(48, argb)), 90), roll + name, true));
  auto picker = showPicker(UIImagePickerControllerSourceTypePhotoLibrary);
  EXPECT_FALSE(picker->isNavigationBarHidden());
  auto library = picker->photoLibraryViewController();
  ASSERT_TRUE(library);
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

  picker->navigationBar()->rightButton()->sendActionsForControlEvents(UIControlEventTouchUpInside);
  EXPECT_EQ(delegate->cancels, 1);
}

}  // namespace
}  // namespace platform
