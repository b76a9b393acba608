// Rendering the view tree into pictures and whole-screen snapshots.
#include "platform/ui/alert_view.h"
#include "platform/ui/label.h"
#include "platform/ui/window.h"
#include "tests/platform/pixel_support.h"
#include "tests/platform/ui_fixture.h"

namespace platform {
namespace {

using Rendering = testsupport::UITest;
using namespace testsupport;

std::shared_ptr<UIView> filled(CGRect frame, UIColor color) {
  auto view = std::make_shared<UIView>(frame);
  view->setBackgroundColor(color);
  return view;
}

TEST_F(Rendering, ViewsPaintBackToFrontWithAlphaAndHiddenViewsPaintNothing) {
  auto root = filled(CGRectMake(0, 0, 40, 40), UIColor::whiteColor());
  auto red = filled(CGRectMake(0, 0, 20, 40), UIColor::redColor());
  auto faded = filled(CGRectMake(10, 0, 20, 20), UIColor::blueColor());
  auto hidden = filled(CGRectMake(0, 20, 40, 20), UIColor::greenColor());
  faded->setAlpha(0.5f);
  hidden->setHidden(true);
  for (auto& v : {red, faded, hidden}) root->addSubview(v);
  hidden->addSubview(filled(CGRectMake(0, 0, 5, 5), UIColor::blackColor()));
  auto image = renderView(*root);
  EXPECT_TRUE(near(image->colorAt(5, 30), kRed));
  EXPECT_TRUE(near(image->colorAt(15, 5), {128, 0, 127, 255}, 3)) << image->colorAt(15, 5);
  EXPECT_TRUE(near(image->colorAt(25, 5), {128, 128, 255, 255}, 3)) << image->colorAt(25, 5);
  EXPECT_TRUE(near(image->colorAt(35, 35), kWhite));
}

TEST_F(Rendering, WindowSnapshotsShowTheWindowTransform) {
  auto window = std::make_shared<UIWindow>();
  window->setBackgroundColor(UIColor::redColor());
  window->makeKeyAndVisible();
  window->setTransform(CGAffineTransformScale(CGAffineTransformMakeTranslation(0, 0), 0.1f, 0.1f));
  auto shot = UIScreen::mainScreen().snapshot()->CGImage();
  EXPECT_TRUE(near(shot->colorAt(160, 240), kRed));
  EXPECT_TRUE(near(shot->colorAt(160, 200), {0, 0, 0, 255})) << "the shrunk window covers only its middle";
}

TEST_F(Rendering, FlipTransitionTurnsTheOldLookAwayThenTheNewOneIn) {
  auto window = std::make_shared<UIWindow>();
  window->setBackgroundColor(UIColor::redColor());
  window->makeKeyAndVisible();
  UIView::beginAnimations("flip");
  UIView::setAnimationDuration(1);
  UIView::setAnimationTransition(UIViewAnimationTransitionFlipFromRight, window, true);
  window->addSubview(filled(window->bounds(), UIColor::blueColor()));
  UIView::commitAnimations();
  const RGBA8 black{0, 0, 0, 255};
  // At each time, the colours in the middle and near the edge. cos(pi/4) of
  // the width shows at a quarter and three quarters of the way.
  const std::tuple<double, RGBA8, RGBA8> frames[] = {{0.25, kRed, black}, {0.75, kBlue, black}, {1.0, kBlue, kBlue}};
  for (const auto& [at, middle, nearEdge] : frames) {
    loop().runUntil([] { return false; }, at - loop().now());
    auto shot = UIScreen::mainScreen().snapshot()->CGImage();
    EXPECT_TRUE(near(shot->colorAt(160, 240), middle)) << at << " " << shot->colorAt(160, 240);
    EXPECT_TRUE(near(shot->colorAt(30, 240), nearEdge)) << at << " " << shot->colorAt(30, 240);
    EXPECT_TRUE(near(shot->colorAt(60, 240), middle)) << at;
  }
}

// A line break in a one-line label reads as a space, never as a glyph.
TEST_F(Rendering, AOneLineLabelShowsLineBreaksAsSpaces) {
  auto label = std::make_shared<UILabel>(CGRectMake(0, 0, 300, 30));
  label->setText("Alt: 35m\r\non Jun 15");
  auto broken = renderView(*label);
  label->setText("Alt: 35m on Jun 15");
  auto spaced = renderView(*label);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 300; ++x) ASSERT_EQ(broken->colorAt(x, y), spaced->colorAt(x, y)) << x << "," << y;
}

}  // namespace
}  // namespace platform
