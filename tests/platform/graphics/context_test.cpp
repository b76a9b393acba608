// The drawing context: paths, state, clipping, both coordinate conventions, text.
#include "platform/graphics/context.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/graphics/text.h"
#include "tests/platform/pixel_support.h"

#include <gtest/gtest.h>

#include <cmath>

namespace platform {
namespace {

using testsupport::kBlue;
using testsupport::kRed;
using testsupport::near;

// A w × h bitmap, left half red and right half blue, rows top down.
CGImageRef halves(int w, int h) {
  std::vector<uint32_t> pixels(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) pixels[static_cast<size_t>(y) * w + x] = x < w / 2 ? 0xffff0000 : 0xff0000ff;
  return std::make_shared<const CGImage>(w, h, std::move(pixels));
}

void roundedSquare(CGContextRef c, CGFloat size, CGFloat r) {
  CGContextBeginPath(c);
  CGContextMoveToPoint(c, size, size / 2);
  CGContextAddArcToPoint(c, size, size, 0, size, r);
  CGContextAddArcToPoint(c, 0, size, 0, 0, r);
  CGContextAddArcToPoint(c, 0, 0, size, 0, r);
  CGContextAddArcToPoint(c, size, 0, size, size, r);
  CGContextClosePath(c);
}

TEST(DrawingContext, TangentArcsRoundCornersAndDegenerateOnesGoStraightToTheCorner) {
  for (auto [radius, cornerAlpha] : {std::pair{6.0f, 0}, {0.0f, 255}, {-3.0f, 255}}) {
    CGContext c(20, 20, CGContext::Origin::TopLeft);
    roundedSquare(&c, 20, radius);
    CGContextFillPath(&c);
    auto image = c.makeImage();
    for (auto [x, y] : {std::pair{0, 0}, {19, 0}, {0, 19}, {19, 19}})
      EXPECT_EQ(image->colorAt(x, y).alpha, cornerAlpha) << radius << " at " << x << "," << y;
    for (auto [x, y] : {std::pair{10, 10}, {0, 10}, {10, 0}, {19, 10}, {10, 19}, {3, 3}})
      EXPECT_EQ(image->colorAt(x, y).alpha, 255) << radius << " at " << x << "," << y;
  }
  // Collinear points: the arc is a line through the middle point.
  CGContext c(10, 10, CGContext::Origin::TopLeft);
  CGContextMoveToPoint(&c, 0, 0);
  CGContextAddArcToPoint(&c, 5, 0, 10, 0, 3);
  CGContextAddLineToPoint(&c, 5, 10);
  CGContextAddLineToPoint(&c, 0, 10);
  CGContextFillPath(&c);
  EXPECT_EQ(c.makeImage()->colorAt(4, 1).alpha, 255);
}

TEST(DrawingContext, RestoringStateKeepsThePathButNotTransformOrColour) {
  CGContext c(20, 20, CGContext::Origin::TopLeft);
  CGContextSetFillColorWithColor(&c, UIColor::blueColor().CGColor());
  CGContextSaveGState(&c);
  CGContextScaleCTM(&c, 2, 2);
  CGContextSetFillColorWithColor(&c, UIColor::redColor().CGColor());
  CGContextBeginPath(&c);
  CGContextAddRect(&c, CGRectMake(0, 0, 5, 5));  // 10 × 10 pixels once scaled
  CGContextRestoreGState(&c);
  CGContextRestoreGState(&c);  // unmatched: ignored
  CGContextFillPath(&c);
  CGContextSetFillColorWithColor(&c, UIColor::redColor().CGColor());
  CGContextFillPath(&c);  // the path was used up: nothing more
  auto image = c.makeImage();
  EXPECT_TRUE(near(image->colorAt(9, 9), kBlue));
  EXPECT_EQ(image->colorAt(11, 11).alpha, 0);
}

TEST(DrawingContext, ClipLimitsFillsUntilTheStateIsRestored) {
  CGContext c(20, 20, CGContext::Origin::TopLeft);
  CGContextSaveGState(&c);
  CGContextAddRect(&c, CGRectMake(0, 0, 10, 20));
  CGContextClip(&c);
  CGContextFillRect(&c, CGRectMake(0, 0, 20, 10));
  CGContextRestoreGState(&c);
  CGContextFillRect(&c, CGRectMake(0, 15, 20, 5));
  auto image = c.makeImage();
  EXPECT_EQ(image->colorAt(5, 5).alpha, 255);
  EXPECT_EQ(image->colorAt(15, 5).alpha, 0);
  EXPECT_EQ(image->colorAt(15, 17).alpha, 255);
}

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

TEST(BitmapContext, HasItsOriginAtTheBottomAndDrawsPicturesUpright) {
  auto c = CGBitmapContextCreate(4, 4);
  CGContextFillRect(c.get(), CGRectMake(0, 0, 4, 1));
  auto filled = CGBitmapContextCreateImage(c.get());
  EXPECT_EQ(filled->colorAt(0, 3).alpha, 255);  // the bottom row
  EXPECT_EQ(filled->colorAt(0, 0).alpha, 0);

  // A picture red on top (the halves turned): drawn upright, red stays on top.
  auto top = std::make_shared<const CGImage>(1, 2, std::vector<uint32_t>{0xffff0000, 0xff0000ff});
  auto upright = CGBitmapContextCreate(1, 2);
  CGContextDrawImage(upright.get(), CGRectMake(0, 0, 1, 2), top);
  EXPECT_TRUE(near(CGBitmapContextCreateImage(upright.get())->colorAt(0, 0), kRed));
  // In a top-down context the same call shows it upside down, as on the phone.
  CGContext view(1, 2, CGContext::Origin::TopLeft);
  CGContextDrawImage(&view, CGRectMake(0, 0, 1, 2), top);
  EXPECT_TRUE(near(view.makeImage()->colorAt(0, 0), kBlue));
}

TEST(BitmapContext, QuarterTurnedDrawingOfAPortraitPictureCoversTheCanvasUpright) {
  // A picture stored sideways, its left half the top of what a person sees,
  // drawn as a thumbnail is: moved down the canvas, turned -90 degrees.
  const int W = 16, H = 12;
  auto canvas = CGBitmapContextCreate(W, H);
  CGContextSetInterpolationQuality(canvas.get(), kCGInterpolationLow);
  CGContextTranslateCTM(canvas.get(), 0, H);
  CGContextRotateCTM(canvas.get(), static_cast<CGFloat>(-M_PI / 2));
  CGContextDrawImage(canvas.get(), CGRectMake(0, 0, H, W), halves(8, 4));
  auto image = CGBitmapContextCreateImage(canvas.get());
  EXPECT_TRUE(near(image->colorAt(8, 1), kRed, 8));
  EXPECT_TRUE(near(image->colorAt(8, 10), kBlue, 8));
  for (auto [x, y] : {std::pair{0, 0}, {15, 0}, {0, 11}, {15, 11}})
    EXPECT_EQ(image->colorAt(x, y).alpha, 255) << x << "," << y;
}

TEST(GraphicsStack, ImageContextsNestAndOnlyTheyAreEndedOrPictured) {
  EXPECT_EQ(UIGraphicsGetCurrentContext(), nullptr);
  CGContext own(2, 2, CGContext::Origin::TopLeft);
  UIGraphicsPushContext(&own);
  EXPECT_EQ(UIGraphicsGetImageFromCurrentImageContext(), nullptr);
  UIGraphicsEndImageContext();  // not an image context: stays
  EXPECT_EQ(UIGraphicsGetCurrentContext(), &own);

  UIGraphicsBeginImageContext(CGSizeMake(3.2f, 2));
  CGContextFillRect(UIGraphicsGetCurrentContext(), CGRectMake(0, 0, 1, 1));
  auto picture = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  EXPECT_EQ(UIGraphicsGetCurrentContext(), &own);
  UIGraphicsPopContext();
  EXPECT_EQ(UIGraphicsGetCurrentContext(), nullptr);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->size(), CGSizeMake(4, 2));
  EXPECT_EQ(picture->CGImage()->colorAt(0, 0).alpha, 255);
}

// Measuring, breaking and drawing text.
const UIFont kFont = UIFont::systemFontOfSize(16);

TEST(Text, LinesBreakBetweenWordsAndLongWordsBreakBetweenCharacters) {
  const CGFloat oneWord = sizeWithFont("gamma", kFont).width;  // the widest word
  const auto lines = wrapText("alpha beta gamma", kFont, oneWord + 4, 0);
  EXPECT_EQ(lines, (std::vector<std::string>{"alpha", "beta", "gamma"}));
  const auto pieces = wrapText("abcdefghij", kFont, sizeWithFont("abc", kFont).width, 0);
  EXPECT_GT(pieces.size(), 2u);
  std::string joined;
  for (const auto& p : pieces) joined += p;
  EXPECT_EQ(joined, "abcdefghij");
  EXPECT_EQ(wrapText("one\n\ntwo", kFont, 500, 0), (std::vector<std::string>{"one", "", "two"}));
  EXPECT_EQ(wrapText("alpha beta gamma", kFont, oneWord + 4, 2).size(), 2u);
}

TEST(Text, ConstrainedSizeCountsTheLinesThatFit) {
  const CGFloat line = lineHeight(kFont);
  ASSERT_GT(line, 10);
  const CGFloat width = sizeWithFont("gamma", kFont).width + 4;
  EXPECT_EQ(sizeWithFont("alpha beta gamma", kFont, {width, 1000}, UILineBreakModeWordWrap).height,
            3 * line);
  EXPECT_EQ(sizeWithFont("alpha beta gamma", kFont, {width, line * 2.5f}, UILineBreakModeWordWrap).height,
            2 * line);
  EXPECT_LE(sizeWithFont("alpha beta gamma", kFont, {width, 1000}, UILineBreakModeWordWrap).width, width);
  EXPECT_GT(sizeWithFont("Saving…", UIFont::boldSystemFontOfSize(16)).width,
            sizeWithFont("Saving…", UIFont::systemFontOfSize(10)).width);
  EXPECT_EQ(sizeWithFont("x", UIFont::systemFontOfSize(0)), CGSizeMake(0, 0));
}

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

}  // namespace
}  // namespace platform
