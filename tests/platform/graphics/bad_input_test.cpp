// Graphics given bad input: a broken context, transform, rectangle or text
// leaves drawing working; damaged or oversized pictures are refused with a
// reason; a PNG file is written whole or not at all.
#include "platform/graphics/context.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/graphics/image.h"
#include "platform/graphics/image_codec.h"
#include "platform/graphics/text.h"
#include "tests/platform/device_fixture.h"
#include "tests/platform/pixel_support.h"

#include <cmath>
#include <filesystem>
#include <fstream>

namespace platform {
namespace {

TEST(DrawingContext, NullContextAndBrokenTransformsAreHarmless) {
  CGContextFillRect(nullptr, CGRectMake(0, 0, 1, 1));
  CGContextAddArcToPoint(nullptr, 0, 0, 1, 1, 1);
  EXPECT_EQ(CGBitmapContextCreateImage(nullptr), nullptr);
  CGContext c(4, 4, CGContext::Origin::TopLeft);
  CGContextScaleCTM(&c, 0, 1);
  CGContextTranslateCTM(&c, NAN, 0);
  CGContextRotateCTM(&c, INFINITY);
  // Pictures drawn into empty or non-finite rectangles leave the context working.
  for (CGRect rect : {CGRectMake(0, 0, 0, 4), CGRectMake(0, 0, INFINITY, 4), CGRectMake(0, 0, 4, NAN)}) {
    CGContextDrawImage(&c, rect, testsupport::redBluePicture());
    UIGraphicsPushContext(&c);
    UIImage(testsupport::redBluePicture()).drawInRect(rect);
    UIGraphicsPopContext();
  }
  CGContextFillRect(&c, CGRectMake(0, 0, 4, 4));  // the context still draws
  EXPECT_EQ(c.makeImage()->colorAt(2, 2).alpha, 255);
}

const UIFont kFont = UIFont::systemFontOfSize(16);

TEST(Text, InvalidUTF8IsDrawnWithoutBreakingTheContext) {
  const std::string bad = "ok\xff\xc3(\xed\xa0\x80";
  EXPECT_GT(sizeWithFont(bad, kFont).width, sizeWithFont("ok", kFont).width);
  UIGraphicsBeginImageContext({60, 30});
  CGContextRef c = UIGraphicsGetCurrentContext();
  drawTextAtPoint(bad, {0, 0}, kFont);
  CGContextFillRect(c, CGRectMake(50, 20, 10, 10));
  auto out = UIGraphicsGetImageFromCurrentImageContext()->CGImage();
  UIGraphicsEndImageContext();
  EXPECT_EQ(out->colorAt(55, 25).alpha, 255);
  int inked = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 40; ++x) inked += out->colorAt(x, y).alpha > 128;
  EXPECT_GT(inked, 20);
}

namespace fs = std::filesystem;

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

using ImageFiles = testsupport::DeviceTest;

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
    const auto cut = decodeImage(std::span(jpeg.data(), n));
    EXPECT_TRUE(!cut || cut->width() == 32) << n;
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
