// The view tree: a view has one superview and no loops, and an action
// may take its own button off the screen.
#include "platform/ui/button.h"
#include "platform/ui/window.h"
#include "tests/platform/ui_fixture.h"

namespace platform {
namespace {

using ViewTree = testsupport::UITest;

TEST_F(ViewTree, AViewHasOneSuperviewAndNeverContainsItsAncestors) {
  auto first = std::make_shared<UIView>(), second = std::make_shared<UIView>(), child = std::make_shared<UIView>();
  first->addSubview(child);
  second->addSubview(child);
  EXPECT_TRUE(first->subviews().empty());
  EXPECT_EQ(child->superview(), second);
  child->addSubview(second);  // would make a loop
  child->addSubview(child);
  EXPECT_TRUE(child->subviews().empty());
  child->removeFromSuperview();
  EXPECT_EQ(child->superview(), nullptr);
  EXPECT_TRUE(second->subviews().empty());
}

TEST_F(ViewTree, AnActionMayTakeItsOwnButtonOffTheScreen) {
  auto window = std::make_shared<UIWindow>();
  window->makeKeyAndVisible();
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

}  // namespace
}  // namespace platform
