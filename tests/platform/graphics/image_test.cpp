// Pictures: their size as shown, drawing in each orientation, and loading.
#include "platform/graphics/image.h"
#include "platform/graphics/image_codec.h"
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

TEST(Image, NamedPicturesComeFromTheImageFolderAndMissingOnesAreNull) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("holdstill-images-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  writePNGFile(*redBlue(), (dir / "globe.png").string());
  { std::ofstream(dir / "broken.png") << "not a picture"; }
  UIImage::setImageDirectory(dir.string());
  auto globe = UIImage::imageNamed("globe.png");
  ASSERT_NE(globe, nullptr);
  EXPECT_EQ(globe->size(), CGSizeMake(2, 1));
  EXPECT_EQ(UIImage::imageNamed("absent.png"), nullptr);
  EXPECT_EQ(UIImage::imageNamed("broken.png"), nullptr);
  EXPECT_EQ(UIImage::imageNamed("../globe.png"), nullptr);
  EXPECT_EQ(UIImage::imageNamed(""), nullptr);
  EXPECT_EQ(UIImage::imageWithContentsOfFile(dir.string()), nullptr);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace platform
