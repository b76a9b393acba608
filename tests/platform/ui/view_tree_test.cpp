// The view tree: geometry, order of subviews, lookups, and animation blocks.
#include "platform/ui/window.h"
#include "tests/platform/ui_fixture.h"

namespace platform {
namespace {

using ViewTree = testsupport::UITest;

std::shared_ptr<UIView> tagged(int tag, CGRect frame = CGRectZero) {
  auto view = std::make_shared<UIView>(frame);
  view->setTag(tag);
  return view;
}

std::vector<int> tags(const UIView& parent) {
  std::vector<int> out;
  for (const auto& v : parent.subviews()) out.push_back(v->tag());
  return out;
}

TEST_F(ViewTree, FrameBoundsAndCentreDescribeOneRectangle) {
  UIView view(CGRectMake(10, 20, 30, 40));
  EXPECT_EQ(view.bounds(), CGRectMake(0, 0, 30, 40));
  EXPECT_EQ(view.center(), CGPointMake(25, 40));
  view.setCenter({100, 100});
  EXPECT_EQ(view.frame(), CGRectMake(85, 80, 30, 40));
  view.setBounds(CGRectMake(5, 5, 10, 10));
  EXPECT_EQ(view.frame(), CGRectMake(95, 95, 10, 10));
  view.setAlpha(1.5f);
  EXPECT_EQ(view.alpha(), 1.0f);
  view.setAlpha(-1);
  EXPECT_EQ(view.alpha(), 0.0f);
}

TEST_F(ViewTree, SubviewsKeepTheirBackToFrontOrder) {
  auto parent = tagged(0);
  auto a = tagged(1), b = tagged(2), c = tagged(3), d = tagged(4);
  for (auto& v : {a, b, c}) parent->addSubview(v);
  parent->bringSubviewToFront(a);
  EXPECT_EQ(tags(*parent), (std::vector<int>{2, 3, 1}));
  parent->sendSubviewToBack(c);
  EXPECT_EQ(tags(*parent), (std::vector<int>{3, 2, 1}));
  parent->insertSubviewAboveSubview(d, c);
  EXPECT_EQ(tags(*parent), (std::vector<int>{3, 4, 2, 1}));
  parent->insertSubviewBelowSubview(a, c);
  EXPECT_EQ(tags(*parent), (std::vector<int>{1, 3, 4, 2}));
  parent->addSubview(c);  // already there: moves to the front
  EXPECT_EQ(tags(*parent), (std::vector<int>{1, 4, 2, 3}));
  parent->bringSubviewToFront(tagged(9));  // not a subview: ignored
  EXPECT_EQ(parent->subviews().size(), 4u);
}

TEST_F(ViewTree, AViewHasOneSuperviewAndNeverContainsItsAncestors) {
  auto first = tagged(1), second = tagged(2), child = tagged(3);
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

TEST_F(ViewTree, ViewWithTagLooksAtTheViewThenDepthFirstBackToFront) {
  auto root = tagged(1), a = tagged(2), deep = tagged(7), b = tagged(7);
  root->addSubview(a);
  a->addSubview(deep);
  root->addSubview(b);
  EXPECT_EQ(root->viewWithTag(1), root);
  EXPECT_EQ(root->viewWithTag(7), deep);
  EXPECT_EQ(root->viewWithTag(99), nullptr);
}

TEST_F(ViewTree, PointsConvertBetweenBranchesThroughTheWindow) {
  auto window = std::make_shared<UIWindow>();
  auto left = tagged(1, CGRectMake(10, 10, 100, 100)), right = tagged(2, CGRectMake(200, 50, 50, 50));
  auto inner = tagged(3, CGRectMake(5, 5, 20, 20));
  window->addSubview(left);
  window->addSubview(right);
  left->addSubview(inner);
  EXPECT_EQ(inner->convertPointToView({1, 1}, nullptr), CGPointMake(16, 16));
  EXPECT_EQ(inner->convertPointToView({1, 1}, right.get()), CGPointMake(-184, -34));
  EXPECT_EQ(right->convertPointFromView({1, 1}, inner.get()), CGPointMake(-184, -34));
  EXPECT_EQ(inner->window(), window);
  EXPECT_EQ(tagged(4)->window(), nullptr);
}

// Animation blocks: final values at once, a record of each block, and the
// did-stop step on the run loop once its time has passed.
TEST_F(ViewTree, AnimatedChangesTakeEffectAtOnceAndEachBlockIsRecorded) {
  auto view = std::make_shared<UIView>(CGRectMake(0, 0, 20, 150));
  auto window = std::make_shared<UIWindow>();
  UIView::beginAnimations("outer");
  UIView::setAnimationDuration(0.75);
  UIView::setAnimationTransition(UIViewAnimationTransitionFlipFromRight, window, true);
  UIView::beginAnimations("fade");
  UIView::setAnimationCurve(UIViewAnimationCurveEaseIn);
  view->setAlpha(0.9f);
  view->setFrame(CGRectMake(5, 5, 20, 150));
  EXPECT_EQ(view->alpha(), 0.9f);
  UIView::commitAnimations();
  UIView::commitAnimations();
  UIView::commitAnimations();  // nothing open: ignored
  EXPECT_FALSE(UIView::isInAnimationBlock());
  view->setAlpha(0.1f);  // outside a block: nothing recorded
  const auto& records = UIView::committedAnimations();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].animationID, "fade");
  EXPECT_EQ(records[0].curve, UIViewAnimationCurveEaseIn);
  ASSERT_EQ(records[0].changes.size(), 2u);
  EXPECT_EQ(records[0].changes[0].view.lock(), view);
  EXPECT_EQ(records[0].changes[1].property, "frame");
  EXPECT_EQ(records[1].duration, 0.75);
  EXPECT_EQ(records[1].transition, UIViewAnimationTransitionFlipFromRight);
  EXPECT_EQ(records[1].transitionView.lock(), window);
}

TEST_F(ViewTree, AnimationDidStopRunsAfterDelayAndDurationAndTheDelegateLivesUntilThen) {
  int context = 0;
  auto delegate = std::make_shared<int>(7);
  std::weak_ptr<int> watch = delegate;
  std::vector<std::string> stops;
  UIView::beginAnimations("flip", &context);
  UIView::setAnimationDuration(0.75);
  UIView::setAnimationDelay(0.25);
  UIView::setAnimationDelegate(delegate);
  UIView::setAnimationDidStopSelector([&](const std::string& id, bool finished, void* ctx) {
    EXPECT_TRUE(finished);
    EXPECT_EQ(ctx, &context);
    stops.push_back(id + "@" + std::to_string(loop().now()));
  });
  UIView::commitAnimations();
  delegate.reset();
  loop().runFor(0.99);
  EXPECT_TRUE(stops.empty());
  EXPECT_FALSE(watch.expired());
  loop().runFor(0.01);
  EXPECT_EQ(stops, (std::vector<std::string>{"flip@1.000000"}));
  EXPECT_TRUE(watch.expired());
}

}  // namespace
}  // namespace platform
