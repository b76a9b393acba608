// Animation blocks: final values at once, a record of the block, and the
// did-stop step on the run loop once the animation's time has passed.
#include "platform/ui/window.h"
#include "tests/platform/ui_fixture.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

using Animations = testsupport::UITest;

TEST_F(Animations, ChangesTakeEffectAtOnceAndTheBlockIsRecorded) {
  auto view = std::make_shared<UIView>(CGRectMake(0, 0, 20, 150));
  int context = 0;
  UIView::beginAnimations("fade", &context);
  UIView::setAnimationDuration(0.4);
  UIView::setAnimationCurve(UIViewAnimationCurveEaseIn);
  view->setAlpha(0.9f);
  view->setFrame(CGRectMake(5, 5, 20, 150));
  EXPECT_EQ(view->alpha(), 0.9f);
  UIView::commitAnimations();
  EXPECT_FALSE(UIView::isInAnimationBlock());
  ASSERT_EQ(UIView::committedAnimations().size(), 1u);
  const auto& record = UIView::committedAnimations().back();
  EXPECT_EQ(record.animationID, "fade");
  EXPECT_EQ(record.duration, 0.4);
  EXPECT_EQ(record.curve, UIViewAnimationCurveEaseIn);
  ASSERT_EQ(record.changes.size(), 2u);
  EXPECT_EQ(record.changes[0].view.lock(), view);
  EXPECT_EQ(record.changes[0].property, "alpha");
  EXPECT_EQ(record.changes[1].property, "frame");

  view->setAlpha(0.1f);  // outside a block: nothing recorded
  EXPECT_EQ(UIView::committedAnimations().back().changes.size(), 2u);
}

TEST_F(Animations, DidStopRunsAfterDelayAndDurationWithTheBlocksIdAndContext) {
  int context = 0;
  std::vector<std::string> stops;
  UIView::beginAnimations("flip", &context);
  UIView::setAnimationDuration(0.75);
  UIView::setAnimationDelay(0.25);
  UIView::setAnimationDidStopSelector([&](const std::string& id, bool finished, void* ctx) {
    EXPECT_TRUE(finished);
    EXPECT_EQ(ctx, &context);
    stops.push_back(id + "@" + std::to_string(loop().now()));
  });
  UIView::commitAnimations();
  loop().runFor(0.99);
  EXPECT_TRUE(stops.empty());
  loop().runFor(0.01);
  EXPECT_EQ(stops, (std::vector<std::string>{"flip@1.000000"}));
}

TEST_F(Animations, TheDelegateLivesUntilTheDidStopStepHasRun) {
  auto delegate = std::make_shared<int>(7);
  std::weak_ptr<int> watch = delegate;
  UIView::beginAnimations();
  UIView::setAnimationDelegate(delegate);
  UIView::setAnimationDidStopSelector([](const std::string&, bool, void*) {});
  UIView::commitAnimations();
  delegate.reset();
  EXPECT_FALSE(watch.expired());
  loop().runFor(1);
  EXPECT_TRUE(watch.expired());
}

TEST_F(Animations, NestedBlocksAndTransitionsAreRecordedSeparately) {
  auto window = std::make_shared<UIWindow>();
  UIView::beginAnimations("outer");
  UIView::setAnimationDuration(0.75);
  UIView::setAnimationTransition(UIViewAnimationTransitionFlipFromRight, window, true);
  UIView::beginAnimations("inner");
  UIView::setAnimationDuration(0.1);
  window->setTransform(CGAffineTransformMakeScale(0.1f, 0.1f));
  UIView::commitAnimations();
  UIView::commitAnimations();
  UIView::commitAnimations();  // nothing open: ignored
  const auto& records = UIView::committedAnimations();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].animationID, "inner");
  EXPECT_EQ(records[0].changes.size(), 1u);
  EXPECT_EQ(records[1].duration, 0.75);
  EXPECT_EQ(records[1].transition, UIViewAnimationTransitionFlipFromRight);
  EXPECT_EQ(records[1].transitionView.lock(), window);
  EXPECT_TRUE(records[1].transitionCache);
}

}  // namespace
}  // namespace platform
