// Pictures: their size as shown, drawing in each orientation, and loading.
#include "platform/graphics/image.h"
#include "platform/graphics/image_codec.h"
#include "tests/platform/device_fixture.h"
#include "tests/platform/pixel_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace platform {
namespace {

using testsupport::near;
using testsupport::rgba;

const RGBA8 kRed = rgba(UIColor::redColor()), kBlue = rgba(UIColor::blueColor());

// Stored 2 × 1: red on the left, blue on the right.
CGImageRef redBlue() {
  return std::make_shared<const CGImage>(2, 1, std::vector<uint32_t>{0xffff0000, 0xff0000ff});
}

CGImageRef drawn(const UIImage& image) {
  UIGraphicsBeginImageContext(image.size());
  image.drawAtPoint({0, 0});
  auto out = UIGraphicsGetImageFromCurrentImageContext()->CGImage();
  UIGraphicsEndImageContext();
  return out;
}

TEST(Image, QuarterTurnedOrientationsExchangeWidthAndHeight) {
  EXPECT_EQ(UIImage(redBlue(), UIImageOrientationUp).size(), CGSizeMake(2, 1));
  EXPECT_EQ(UIImage(redBlue(), UIImageOrientationDown).size(), CGSizeMake(2, 1));
  EXPECT_EQ(UIImage(redBlue(), UIImageOrientationLeft).size(), CGSizeMake(1, 2));
  EXPECT_EQ(UIImage(redBlue(), UIImageOrientationRight).size(), CGSizeMake(1, 2));
  EXPECT_EQ(UIImage::imageWithCGImage(nullptr), nullptr);
}

TEST(Image, DrawingTurnsTheStoredPixelsAsTheOrientationSays) {
  struct Case {
    UIImageOrientation orientation;
    int redX, redY;  // where the red pixel shows
  };
  for (const Case& c : {Case{UIImageOrientationUp, 0, 0}, Case{UIImageOrientationDown, 1, 0},
                        Case{UIImageOrientationRight, 0, 0}, Case{UIImageOrientationLeft, 0, 1}}) {
    auto out = drawn(UIImage(redBlue(), c.orientation));
    EXPECT_TRUE(near(out->colorAt(c.redX, c.redY), kRed)) << c.orientation;
    const int blueX = out->width() - 1 - c.redX, blueY = out->height() - 1 - c.redY;
    EXPECT_TRUE(near(out->colorAt(blueX, blueY), kBlue)) << c.orientation;
  }
}

TEST(Image, DrawInRectScalesToTheRectangle) {
  UIGraphicsBeginImageContext({8, 4});
  UIImage(redBlue()).drawInRect(CGRectMake(2, 0, 4, 4));
  auto out = UIGraphicsGetImageFromCurrentImageContext()->CGImage();
  UIGraphicsEndImageContext();
  EXPECT_EQ(out->colorAt(1, 2).alpha, 0);
  EXPECT_TRUE(near(out->colorAt(2, 2), kRed));
  EXPECT_TRUE(near(out->colorAt(5, 2), kBlue));
  EXPECT_EQ(out->colorAt(6, 2).alpha, 0);
  UIImage(redBlue()).drawAtPoint({0, 0});  // no current context: nothing happens
}

using ImageFiles = testsupport::DeviceTest;

TEST_F(ImageFiles, NamedPicturesComeFromTheBundleAndMissingOnesAreNull) {
  namespace fs = std::filesystem;
  const fs::path bundle = scratch() / "bundle";
  fs::create_directories(bundle / "de.lproj");
  writePNGFile(*redBlue(), (bundle / "globe.png").string());
  writePNGFile(*redBlue(), (bundle / "de.lproj" / "flag.png").string());
  { std::ofstream(bundle / "broken.png") << "not a picture"; }
  useDevice({.preferredLanguage = "de"}, bundle);
  auto globe = UIImage::imageNamed("globe.png");
  ASSERT_NE(globe, nullptr);
  EXPECT_EQ(globe->size(), CGSizeMake(2, 1));
  EXPECT_NE(UIImage::imageNamed("globe"), nullptr);
  EXPECT_NE(UIImage::imageNamed("flag.png"), nullptr);
  EXPECT_EQ(UIImage::imageNamed("absent.png"), nullptr);
  EXPECT_EQ(UIImage::imageNamed("broken.png"), nullptr);
  EXPECT_EQ(UIImage::imageNamed(""), nullptr);
  // Device paths and host paths.
  EXPECT_NE(UIImage::imageWithContentsOfFile("/Applications/Holdstill.app/globe.png"), nullptr);
  EXPECT_EQ(UIImage::imageWithContentsOfFile((bundle / "globe.png").string()), nullptr);
  EXPECT_NE(UIImage::imageWithContentsOfHostFile((bundle / "globe.png").string()), nullptr);
  EXPECT_EQ(UIImage::imageWithContentsOfHostFile(bundle.string()), nullptr);
}

}  // namespace
}  // namespace platform
