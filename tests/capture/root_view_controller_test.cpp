// The capture screen as far as it is built.
#include "capture/root_view_controller.h"
#include "platform/ui/navigation_controller.h"
#include "tests/platform/device_fixture.h"
#include "tests/platform/pixel_support.h"

namespace holdstill {
namespace {

using namespace platform;
using CaptureScreen = testsupport::DeviceTest;

TEST_F(CaptureScreen, TheViewHoldsTheBackgroundAndTheOverlayPiecesWaitTransparent) {
  auto root = std::make_shared<RootViewController>();
  EXPECT_EQ(root->title(), "Holdstill");
  root->setStablizedLevel(0.5f);  // before the view: no meter to keep it
  auto navigation = UINavigationController::initWithRootViewController(root);
  navigation->setNavigationBarHidden(true);
  auto view = root->view();
  EXPECT_EQ(view->frame(), CGRectMake(0, 0, 320, 460));
  EXPECT_EQ(view->subviews(), std::vector<std::shared_ptr<UIView>>{root->background()});
  EXPECT_EQ(root->background()->frame(), view->frame());

  auto meter = root->stabilizeMeter();
  EXPECT_EQ(meter->progress(), 0.0f);
  const std::vector<std::shared_ptr<UIView>> pieces{meter, root->stabilizeIcon(), root->touchAnywhereImage()};
  for (const auto& piece : pieces) {
    EXPECT_EQ(piece->alpha(), 0.0f);
    EXPECT_EQ(piece->superview(), nullptr);
  }

  meter->setAlpha(1);  // a transparent view is not drawn
  testsupport::renderView(*meter);
  ASSERT_FALSE(meter->needsDisplay());
  root->setStablizedLevel(0.625f);
  EXPECT_EQ(meter->progress(), 0.625f);
  EXPECT_TRUE(meter->needsDisplay());
}

}  // namespace
}  // namespace holdstill
