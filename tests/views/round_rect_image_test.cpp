// The rounded badge and its path routine, checked on rendered pixels.
#include "views/round_rect_image.h"
#include "views/rounded_rect_path.h"
#include "tests/platform/pixel_support.h"
#include "tests/platform/ui_fixture.h"

namespace holdstill {
namespace {

using namespace platform;
using testsupport::near;
using testsupport::renderView;
using testsupport::kBlue;

using Badge = testsupport::UITest;

std::shared_ptr<UIImage> solidBlue(int w, int h) {
  return UIImage::imageWithCGImage(std::make_shared<const CGImage>(
      w, h, std::vector<uint32_t>(static_cast<size_t>(w) * h, 0xff0000ff)));
}

TEST_F(Badge, BackgroundOnlyDrawsATranslucentGreyPanelRoundedWithRadius15) {
  auto badge = std::make_shared<OrvRoundRectImage>(CGRectMake(0, 0, 100, 40));
  badge->setBackgroundOnly(true);
  auto image = renderView(*badge);
  const RGBA8 panel{51, 51, 51, 179};
  for (auto [x, y] : {std::pair{50, 20}, {15, 0}, {80, 39}, {0, 15}, {99, 20}, {5, 5}})
    EXPECT_TRUE(near(image->colorAt(x, y), panel)) << x << "," << y << " " << image->colorAt(x, y);
  // Inside a radius-5 corner, outside a radius-15 one.
  for (auto [x, y] : {std::pair{2, 2}, {97, 2}, {2, 37}, {97, 37}, {0, 0}})
    EXPECT_EQ(image->colorAt(x, y).alpha, 0) << x << "," << y;
}

TEST_F(Badge, APictureIsDrawnAtItsOwnSizeAndClippedToRadius5) {
  auto badge = std::make_shared<OrvRoundRectImage>(CGRectMake(0, 0, 60, 60));
  badge->setImage(solidBlue(40, 40));
  auto image = renderView(*badge);
  for (auto [x, y] : {std::pair{20, 20}, {2, 2}, {39, 39}, {39, 2}, {20, 0}, {0, 20}})
    EXPECT_TRUE(near(image->colorAt(x, y), kBlue)) << x << "," << y;
  EXPECT_EQ(image->colorAt(0, 0).alpha, 0);       // the corner is cut
  EXPECT_LT(image->colorAt(59, 0).alpha, 255);
  EXPECT_EQ(image->colorAt(50, 30).alpha, 0);     // beyond the picture
}

TEST_F(Badge, WithNeitherPanelNorPictureNothingIsDrawnAndTouchesPassThrough) {
  auto badge = std::make_shared<OrvRoundRectImage>(CGRectMake(0, 0, 30, 30));
  EXPECT_FALSE(badge->isUserInteractionEnabled());
  auto image = renderView(*badge);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 30; ++x) ASSERT_EQ(image->colorAt(x, y).alpha, 0);
}

TEST_F(Badge, SettingAPictureShowsTheBadgeAndClearingItHidesIt) {
  auto badge = std::make_shared<OrvRoundRectImage>(CGRectMake(0, 0, 20, 20));
  renderView(*badge);
  badge->setImage(solidBlue(20, 20));
  EXPECT_FALSE(badge->isHidden());
  EXPECT_TRUE(badge->needsDisplay());
  badge->setImage(nullptr);
  EXPECT_TRUE(badge->isHidden());
}

TEST_F(Badge, PathRoutineGivesAPlainRectangleForAZeroRadiusAndEllipticalCorners) {
  auto fill = [](float ovalWidth, float ovalHeight) {
    CGContext c(40, 20, CGContext::Origin::TopLeft);
    CGContextBeginPath(&c);
    addRoundedRectToPath(&c, CGRectMake(0, 0, 40, 20), ovalWidth, ovalHeight);
    CGContextClosePath(&c);
    CGContextFillPath(&c);
    return c.makeImage();
  };
  EXPECT_EQ(fill(0, 10)->colorAt(0, 0).alpha, 255);
  EXPECT_EQ(fill(10, 0)->colorAt(39, 19).alpha, 255);
  auto ellipse = fill(16, 4);  // wide, shallow corners
  EXPECT_EQ(ellipse->colorAt(1, 10).alpha, 255);   // the middle of the left side
  EXPECT_EQ(ellipse->colorAt(3, 0).alpha, 0);      // still inside the 16-wide corner
  EXPECT_EQ(ellipse->colorAt(16, 0).alpha, 255);   // where the top edge begins
}

}  // namespace
}  // namespace holdstill
