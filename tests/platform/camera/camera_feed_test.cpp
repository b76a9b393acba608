// The camera feed: given pictures in turn with their orientation, and the
// generated test scene that differs from shot to shot.
#include "platform/camera/camera_feed.h"
#include "platform/graphics/image_codec.h"
#include "tests/platform/device_fixture.h"
#include "tests/platform/pixel_support.h"

#include <filesystem>
#include <fstream>

namespace platform {
namespace {

class Feed : public testsupport::DeviceTest {
 protected:
  // A one-colour PNG on the host.
  std::string pictureFile(const std::string& name, uint32_t argb, int w = 4, int h = 2) {
    std::filesystem::create_directories(scratch());
    const auto path = (scratch() / name).string();
    writePNGFile(CGImage(w, h, std::vector<uint32_t>(static_cast<size_t>(w * h), argb)), path);
    return path;
  }
};

TEST_F(Feed, GivenPicturesComeInTurnWithTheirOrientationAndGoRound) {
  CameraFeed::current().setPictures({{pictureFile("red.png", 0xffff0000), UIImageOrientationLeft},
                                     {pictureFile("blue.png", 0xff0000ff), UIImageOrientationUp}});
  using testsupport::kBlue, testsupport::kRed;
  const std::pair<RGBA8, UIImageOrientation> expected[] = {
      {kRed, UIImageOrientationLeft}, {kBlue, UIImageOrientationUp}, {kRed, UIImageOrientationLeft}};
  for (const auto& [color, orientation] : expected) {
    auto peeked = CameraFeed::current().peekPicture();
    auto taken = CameraFeed::current().takePicture();
    ASSERT_TRUE(taken);
    EXPECT_EQ(taken->imageOrientation(), orientation);
    EXPECT_EQ(taken->CGImage()->colorAt(0, 0), color);
    EXPECT_EQ(peeked->CGImage()->pixels(), taken->CGImage()->pixels()) << "peek saw another picture";
  }
  EXPECT_EQ(CameraFeed::current().shotsTaken(), 3u);
}

TEST_F(Feed, AnUnreadablePictureGivesTheTestSceneInstead) {
  std::filesystem::create_directories(scratch());
  const auto broken = (scratch() / "broken.jpg").string();
  { std::ofstream(broken) << "not a picture"; }
  CameraFeed::current().setPictures({{broken, UIImageOrientationUp}});
  auto taken = CameraFeed::current().takePicture();
  ASSERT_TRUE(taken);
  EXPECT_EQ(taken->CGImage()->width(), CameraFeed::kSceneWidth);
}

// The way the phone is held decides the scene's orientation, and the scene
// turned by it shows upright, as a viewer turns it by its EXIF tag.
TEST_F(Feed, TestSceneFollowsTheHoldAndShowsUprightAndDiffersFromShotToShot) {
  const std::tuple<UIDeviceOrientation, UIImageOrientation, int> holds[] = {
      {UIDeviceOrientation::Portrait, UIImageOrientationRight, 6},
      {UIDeviceOrientation::LandscapeLeft, UIImageOrientationUp, 1},
      {UIDeviceOrientation::LandscapeRight, UIImageOrientationDown, 3},
      {UIDeviceOrientation::PortraitUpsideDown, UIImageOrientationLeft, 8},
      {UIDeviceOrientation::FaceUp, UIImageOrientationRight, 6},
  };
  std::shared_ptr<UIImage> last;
  for (const auto& [hold, orientation, tag] : holds) {
    Device::current()->setOrientation(hold);
    loop().runFor(1);
    auto taken = CameraFeed::current().takePicture();
    EXPECT_EQ(taken->imageOrientation(), orientation) << int(hold);
    EXPECT_EQ(taken->CGImage()->width(), CameraFeed::kSceneWidth);
    EXPECT_TRUE(testsupport::showsSceneUpright(*taken->CGImage(), tag)) << int(hold);
    if (last) {
      EXPECT_NE(last->CGImage()->pixels(), taken->CGImage()->pixels());
    }
    last = taken;
  }
}

}  // namespace
}  // namespace platform
