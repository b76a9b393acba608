// Pictures: orientation, drawing, loading, and the PNG and JPEG codecs.
#include "platform/graphics/image.h"
#include "platform/graphics/image_codec.h"
#include "tests/platform/device_fixture.h"
#include "tests/platform/pixel_support.h"

#include <filesystem>
#include <fstream>
#include <random>

namespace platform {
namespace {

namespace fs = std::filesystem;
using testsupport::kBlue;
using testsupport::kRed;
using testsupport::near;
using testsupport::redBluePicture;

// Four opaque quadrants (red, green, blue, white) with a transparent and a
// half-transparent pixel in the top-left corner.
CGImage testCard() {
  std::vector<uint32_t> p(32 * 32);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x)
      p[y * 32 + x] = y < 16 ? (x < 16 ? 0xffff0000 : 0xff00ff00) : (x < 16 ? 0xff0000ff : 0xffffffff);
  p[0] = 0;
  p[1] = 0x80800000;  // red at half alpha, premultiplied
  return CGImage(32, 32, std::move(p));
}

CGImageRef drawn(const UIImage& image) {
  UIGraphicsBeginImageContext(image.size());
  image.drawAtPoint({0, 0});
  auto out = UIGraphicsGetImageFromCurrentImageContext()->CGImage();
  UIGraphicsEndImageContext();
  return out;
}

TEST(Image, QuarterTurnsExchangeWidthAndHeightAndDrawingTurnsThePixels) {
  struct Case {
    UIImageOrientation orientation;
    CGSize size;
    int redX, redY;  // where the red pixel shows
  };
  for (const Case& c : {Case{UIImageOrientationUp, {2, 1}, 0, 0}, Case{UIImageOrientationDown, {2, 1}, 1, 0},
                        Case{UIImageOrientationRight, {1, 2}, 0, 0},
                        Case{UIImageOrientationLeft, {1, 2}, 0, 1}}) {
    EXPECT_EQ(UIImage(redBluePicture(), c.orientation).size(), c.size) << c.orientation;
    auto out = drawn(UIImage(redBluePicture(), c.orientation));
    EXPECT_TRUE(near(out->colorAt(c.redX, c.redY), kRed)) << c.orientation;
    const int blueX = out->width() - 1 - c.redX, blueY = out->height() - 1 - c.redY;
    EXPECT_TRUE(near(out->colorAt(blueX, blueY), kBlue)) << c.orientation;
  }
}

TEST(Image, DrawInRectScalesToTheRectangle) {
  UIGraphicsBeginImageContext({8, 4});
  UIImage(redBluePicture()).drawInRect(CGRectMake(2, 0, 4, 4));
  auto out = UIGraphicsGetImageFromCurrentImageContext()->CGImage();
  UIGraphicsEndImageContext();
  EXPECT_EQ(out->colorAt(1, 2).alpha, 0);
  EXPECT_TRUE(near(out->colorAt(2, 2), kRed));
  EXPECT_TRUE(near(out->colorAt(5, 2), kBlue));
  EXPECT_EQ(out->colorAt(6, 2).alpha, 0);
  UIImage(redBluePicture()).drawAtPoint({0, 0});  // no current context: nothing happens
  EXPECT_EQ(UIImage::imageWithCGImage(nullptr), nullptr);
}

using ImageFiles = testsupport::DeviceTest;

TEST_F(ImageFiles, NamedPicturesComeFromTheBundleAndMissingOnesAreNull) {
  const fs::path bundle = scratch() / "bundle";
  fs::create_directories(bundle / "de.lproj");
  writePNGFile(*redBluePicture(), (bundle / "globe.png").string());
  writePNGFile(*redBluePicture(), (bundle / "de.lproj" / "flag.png").string());
  { std::ofstream(bundle / "broken.png") << "not a picture"; }
  useDevice({.preferredLanguage = "de"}, bundle);
  auto globe = UIImage::imageNamed("globe.png");
  ASSERT_NE(globe, nullptr);
  EXPECT_EQ(globe->size(), CGSizeMake(2, 1));
  EXPECT_NE(UIImage::imageNamed("globe"), nullptr);
  EXPECT_NE(UIImage::imageNamed("flag.png"), nullptr);
  EXPECT_EQ(UIImage::imageNamed("absent.png"), nullptr);
  EXPECT_EQ(UIImage::imageNamed("broken.png"), nullptr);
  // Device paths and host paths.
  EXPECT_NE(UIImage::imageWithContentsOfFile("/Applications/Holdstill.app/globe.png"), nullptr);
  EXPECT_EQ(UIImage::imageWithContentsOfFile((bundle / "globe.png").string()), nullptr);
  EXPECT_NE(UIImage::imageWithContentsOfHostFile((bundle / "globe.png").string()), nullptr);
}

TEST(ImageCodec, PNGKeepsEveryPixelIncludingAlpha) {
  const CGImage card = testCard();
  const auto png = encodePNG(card);
  auto back = decodeImage(png);
  ASSERT_NE(back, nullptr);
  ASSERT_EQ(back->width(), 32);
  EXPECT_EQ(back->colorAt(0, 0).alpha, 0);
  EXPECT_TRUE(near(back->colorAt(1, 0), {255, 0, 0, 128}, 1));
  for (auto [x, y] : {std::pair{5, 5}, {20, 5}, {5, 20}, {20, 20}})
    EXPECT_EQ(back->argbAt(x, y), card.argbAt(x, y)) << x << "," << y;
}

TEST(ImageCodec, JPEGIsJFIFAndComesBackCloseToTheOriginal) {
  const CGImage card = testCard();
  const auto jpeg = encodeJPEG(card, 95);
  ASSERT_GT(jpeg.size(), 20u);
  EXPECT_EQ(jpeg[0], 0xff);
  EXPECT_EQ(jpeg[1], 0xd8);
  EXPECT_EQ(std::string(jpeg.begin() + 6, jpeg.begin() + 10), "JFIF");
  auto back = decodeImage(jpeg);
  ASSERT_NE(back, nullptr);
  EXPECT_TRUE(near(back->colorAt(8, 8), {255, 0, 0, 255}, 12)) << back->colorAt(8, 8);
  EXPECT_TRUE(near(back->colorAt(24, 24), {255, 255, 255, 255}, 12));
  EXPECT_TRUE(encodeJPEG(CGImage(0, 0, {}), 90).empty());
}

TEST(ImageCodec, JPEGQualityTradesSizeForFidelity) {
  std::mt19937 random(7);
  std::vector<uint32_t> p(64 * 64);
  for (auto& pixel : p) pixel = 0xff000000u | (random() & 0xff) * 0x010101u;  // grey noise
  auto image = UIImage::imageWithCGImage(std::make_shared<const CGImage>(64, 64, std::move(p)));
  const auto high = UIImageJPEGRepresentation(image, 0.98f);
  const auto low = UIImageJPEGRepresentation(image, 0.1f);
  EXPECT_GT(high.size(), low.size() * 2);
  EXPECT_EQ(UIImageJPEGRepresentation(image, 7.0f), UIImageJPEGRepresentation(image, 1.0f));
  EXPECT_TRUE(UIImageJPEGRepresentation(nullptr, 0.9f).empty());
  EXPECT_TRUE(UIImagePNGRepresentation(nullptr).empty());
}

TEST(ImageCodec, DamagedInputIsRefusedWithAReason) {
  std::string why;
  EXPECT_EQ(decodeImage({}, &why), nullptr);
  EXPECT_EQ(why, "neither PNG nor JPEG");
  const auto png = encodePNG(testCard());
  const auto jpeg = encodeJPEG(testCard(), 80);
  // Every truncation of the PNG is refused; the JPEG never crashes the
  // decoder (libjpeg fills in a picture cut short at the end of its data).
  for (size_t n = 0; n < png.size(); n += 7) {
    why.clear();
    EXPECT_EQ(decodeImage(std::span(png.data(), n), &why), nullptr) << n;
    EXPECT_FALSE(why.empty());
  }
  for (size_t n = 0; n < jpeg.size(); n += 5) {
    auto cut = decodeImage(std::span(jpeg.data(), n));
    if (cut) {
      EXPECT_EQ(cut->width(), 32);
    }
  }
  auto scrambled = jpeg;
  for (size_t i = 2; i < 200 && i < scrambled.size(); ++i) scrambled[i] ^= 0x5a;
  why.clear();
  EXPECT_EQ(decodeImage(scrambled, &why), nullptr);
  EXPECT_NE(why.find("JPEG"), std::string::npos) << why;
}

TEST(ImageCodec, OversizedPicturesAreRefusedBeforeDecoding) {
  auto png = encodePNG(testCard());
  png[16] = 0, png[17] = 0, png[18] = 0x9c, png[19] = 0x40;  // width 40000
  std::string why;
  EXPECT_EQ(decodeImage(png, &why), nullptr);
  EXPECT_EQ(why, "PNG picture is too large");

  auto jpeg = encodeJPEG(testCard(), 80);
  // The frame header (FFC0) holds the height and width after 3 bytes.
  for (size_t i = 2; i + 9 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xff && jpeg[i + 1] == 0xc0) {
      jpeg[i + 5] = 0xea, jpeg[i + 6] = 0x60, jpeg[i + 7] = 0xea, jpeg[i + 8] = 0x60;
      break;
    }
  }
  EXPECT_EQ(decodeImage(jpeg, &why), nullptr);
  EXPECT_EQ(why, "JPEG picture is too large");
}

TEST_F(ImageFiles, PNGFileIsReplacedWholeOrGivesAnErrorNamingThePath) {
  const fs::path dir = scratch();
  fs::create_directories(dir);
  const fs::path path = dir / "shot.png";
  { std::ofstream(path) << "old contents"; }
  writePNGFile(testCard(), path.string());
  auto back = UIImage::imageWithContentsOfHostFile(path.string());
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->size(), CGSizeMake(32, 32));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);

  const fs::path missing = dir / "missing" / "shot.png";
  try {
    writePNGFile(testCard(), missing.string());
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find(missing.string()), std::string::npos) << e.what();
  }
  EXPECT_FALSE(fs::exists(missing));
}

}  // namespace
}  // namespace platform
