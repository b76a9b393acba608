// Hit-testing and delivering touches, into controls as control events.
#include "platform/ui/button.h"
#include "platform/ui/image_view.h"
#include "platform/ui/label.h"
#include "platform/ui/window.h"
#include "tests/platform/ui_fixture.h"

namespace platform {
namespace {

using Touches = testsupport::UITest;

// A window on the screen (a hidden window takes no touches).
std::shared_ptr<UIWindow> shownWindow() {
  auto window = std::make_shared<UIWindow>();
  window->makeKeyAndVisible();
  return window;
}

TEST_F(Touches, TheFrontmostHitViewWinsAndSkippedViewsHideTheirSubviews) {
  auto window = shownWindow();
  auto back = std::make_shared<UIView>(CGRectMake(0, 0, 100, 100));
  auto front = std::make_shared<UIView>(CGRectMake(50, 50, 100, 100));
  auto inner = std::make_shared<UIView>(CGRectMake(10, 10, 10, 10));
  window->addSubview(back);
  window->addSubview(front);
  front->addSubview(inner);
  EXPECT_EQ(window->hitTest({55, 55}, nullptr), front);
  EXPECT_EQ(window->hitTest({65, 65}, nullptr), inner);
  EXPECT_EQ(window->hitTest({10, 10}, nullptr), back);
  EXPECT_EQ(window->hitTest({300, 400}, nullptr), window);
  EXPECT_EQ(window->hitTest({400, 10}, nullptr), nullptr);

  for (auto hide : std::vector<std::function<void()>>{
           [&] { front->setHidden(true); }, [&] { front->setAlpha(0.005f); },
           [&] { front->setUserInteractionEnabled(false); }}) {
    front->setHidden(false), front->setAlpha(1), front->setUserInteractionEnabled(true);
    hide();
    EXPECT_EQ(window->hitTest({65, 65}, nullptr), back);
  }
}

TEST_F(Touches, PicturesAndLabelsLetTouchesReachTheViewBehind) {
  auto window = shownWindow();
  auto back = std::make_shared<UIView>(CGRectMake(0, 0, 100, 100));
  window->addSubview(back);
  window->addSubview(std::make_shared<UIImageView>(CGRectMake(0, 0, 100, 100)));
  window->addSubview(std::make_shared<UILabel>(CGRectMake(0, 0, 100, 100)));
  EXPECT_EQ(window->hitTest({50, 50}, nullptr), back);
}

TEST_F(Touches, ATapOnAButtonSendsTouchDownThenTouchUpInside) {
  auto window = shownWindow();
  auto button = std::make_shared<UIButton>(CGRectMake(10, 10, 50, 30));
  window->addSubview(button);
  std::vector<std::string> sent;
  button->addTarget([&](UIControl&) { sent.push_back("down"); }, UIControlEventTouchDown);
  const int up = button->addTarget([&](UIControl& sender) {
    EXPECT_EQ(&sender, button.get());
    sent.push_back("up-inside");
  }, UIControlEventTouchUpInside);
  EXPECT_EQ(window->sendTap({20, 20}), button);
  EXPECT_EQ(sent, (std::vector<std::string>{"down", "up-inside"}));
  EXPECT_FALSE(button->isHighlighted());

  button->removeTarget(up);
  sent.clear();
  button->sendActionsForControlEvents(UIControlEventTouchUpInside | UIControlEventTouchDown);
  EXPECT_EQ(sent, (std::vector<std::string>{"down"}));
  button->setEnabled(false);
  window->sendTap({20, 20});
  EXPECT_EQ(sent.size(), 1u);
}

TEST_F(Touches, AnActionMayTakeItsOwnButtonOffTheScreen) {
  auto window = shownWindow();
  auto button = std::make_shared<UIButton>(CGRectMake(0, 0, 50, 50));
  window->addSubview(button);
  int calls = 0;
  button->addTarget([&](UIControl& sender) {
    ++calls;
    sender.removeFromSuperview();
    button.reset();  // the last owner outside the action
  }, UIControlEventTouchUpInside);
  window->sendTap({10, 10});
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(window->subviews().empty());
}

TEST_F(Touches, ScreenTapsGoToTheFrontmostVisibleWindow) {
  auto lower = std::make_shared<UIWindow>(), upper = std::make_shared<UIWindow>(CGRectMake(0, 100, 320, 100));
  lower->makeKeyAndVisible();
  EXPECT_TRUE(lower->isKeyWindow());
  EXPECT_EQ(sendTapToScreen({10, 150}), lower);
  upper->setHidden(false);
  auto target = std::make_shared<UIView>(CGRectMake(0, 0, 20, 20));
  upper->addSubview(target);
  EXPECT_EQ(sendTapToScreen({10, 110}), target);  // in the upper window's coordinates (10, 10)
  EXPECT_EQ(sendTapToScreen({10, 250}), lower);
  upper->setHidden(true);
  EXPECT_EQ(sendTapToScreen({10, 110}), lower);
  EXPECT_EQ(UIWindow::keyWindow(), lower);
}

}  // namespace
}  // namespace platform
