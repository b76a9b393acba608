#include "platform/ui/navigation_controller.h"

#include "platform/runloop/run_loop.h"
#include "platform/ui/screen.h"

#include <algorithm>

namespace platform {
namespace {

// The navigation controller's own view: it lays out the bar and the top
// controller's view whenever its size changes.
class LayoutContainerView : public UIView {
 public:
  LayoutContainerView(CGRect frame, std::function<void()> onLayout)
      : UIView(frame), onLayout_(std::move(onLayout)) {}
  const char* className() const override { return "UILayoutContainerView"; }
  void layoutSubviews() override {
    if (onLayout_) onLayout_();
  }

 private:
  std::function<void()> onLayout_;
};

}  // namespace

std::shared_ptr<UINavigationController> UINavigationController::initWithRootViewController(
    std::shared_ptr<UIViewController> root) {
  auto nav = std::make_shared<UINavigationController>();
  if (root) nav->pushViewController(std::move(root), false);
  return nav;
}

void UINavigationController::loadView() {
  std::weak_ptr<UINavigationController> weak =
      std::static_pointer_cast<UINavigationController>(shared_from_this());
  auto container = std::make_shared<LayoutContainerView>(
      UIScreen::mainScreen().applicationFrame(), [weak] {
        if (auto nav = weak.lock()) nav->layout();
      });
  setView(container);
  bar_ = std::make_shared<UINavigationBar>();
  container->addSubview(bar_);
  if (auto top = topViewController()) container->insertSubviewAtIndex(top->view(), 0);
  layout();
  showTopItem();
}

std::shared_ptr<UINavigationBar> UINavigationController::navigationBar() {
  view();
  return bar_;
}

std::shared_ptr<UIViewController> UINavigationController::topViewController() const {
  return stack_.empty() ? nullptr : stack_.back();
}

void UINavigationController::layout() {
  if (!isViewLoaded()) return;
  const CGRect b = view()->bounds();
  const CGFloat barHeight = barHidden_ ? 0 : kNavigationBarHeight;
  bar_->setFrame(CGRectMake(b.origin.x, b.origin.y, b.size.width, kNavigationBarHeight));
  bar_->setHidden(barHidden_);
  if (auto top = topViewController())
    top->view()->setFrame(
        CGRectMake(b.origin.x, b.origin.y + barHeight, b.size.width, b.size.height - barHeight));
  view()->bringSubviewToFront(bar_);
}

void UINavigationController::showTopItem() {
  if (!isViewLoaded()) return;
  auto top = topViewController();
  // The back button pops, and is offered from the second controller on.
  backItem_ = nullptr;
  if (stack_.size() > 1) {
    std::weak_ptr<UINavigationController> weak =
        std::static_pointer_cast<UINavigationController>(shared_from_this());
    const std::string& previous = stack_[stack_.size() - 2]->navigationItem().title();
    backItem_ = std::make_shared<UIBarButtonItem>(
        previous.empty() ? "Back" : previous, UIBarButtonItemStyleBordered,
        [weak](UIBarButtonItem&) {
          if (auto nav = weak.lock()) nav->popViewControllerAnimated(true);
        });
  }
  bar_->showItem(top ? &top->navigationItem() : nullptr, backItem_);
}

void UINavigationController::pushViewController(std::shared_ptr<UIViewController> controller,
                                                bool animated) {
  if (!controller || controller->parentViewController()) return;
  auto from = topViewController();
  auto self = shared_from_this();
  controller->setParentViewController(self);
  stack_.push_back(controller);
  std::weak_ptr<UINavigationController> weak =
      std::static_pointer_cast<UINavigationController>(self);
  controller->navigationItem().setChangeObserver([weak] {
    if (auto nav = weak.lock()) nav->showTopItem();
  });
  transition(from, controller, animated);
}

std::shared_ptr<UIViewController> UINavigationController::popViewControllerAnimated(bool animated) {
  if (stack_.size() < 2) return nullptr;
  auto popped = stack_.back();
  stack_.pop_back();
  transition(popped, stack_.back(), animated);
  popped->navigationItem().setChangeObserver(nullptr);
  popped->setParentViewController(nullptr);
  return popped;
}

void UINavigationController::setViewControllers(
    std::vector<std::shared_ptr<UIViewController>> controllers, bool animated) {
  std::erase(controllers, nullptr);
  auto from = topViewController();
  auto self = shared_from_this();
  std::weak_ptr<UINavigationController> weak =
      std::static_pointer_cast<UINavigationController>(self);
  for (const auto& old : stack_) {
    if (std::find(controllers.begin(), controllers.end(), old) != controllers.end()) continue;
    old->navigationItem().setChangeObserver(nullptr);
    old->setParentViewController(nullptr);
  }
  stack_ = std::move(controllers);
  for (const auto& c : stack_) {
    c->setParentViewController(self);
    c->navigationItem().setChangeObserver([weak] {
      if (auto nav = weak.lock()) nav->showTopItem();
    });
  }
  auto to = topViewController();
  if (to && to != from) {
    transition(from, to, animated);
  } else if (!to && from) {
    if (isOnScreen()) from->disappear(animated);
    if (from->isViewLoaded()) from->view()->removeFromSuperview();
    showTopItem();
  } else {
    showTopItem();
  }
}

void UINavigationController::transition(const std::shared_ptr<UIViewController>& from,
                                        const std::shared_ptr<UIViewController>& to,
                                        bool animated) {
  const bool onScreen = isOnScreen();
  auto delegate = delegate_.lock();
  if (onScreen) {
    if (from) from->beginAppearanceTransition(false, animated);
    if (delegate) delegate->navigationControllerWillShowViewController(*this, to, animated);
    to->beginAppearanceTransition(true, animated);
  }
  if (isViewLoaded()) {
    if (from && from->isViewLoaded()) from->view()->removeFromSuperview();
    view()->insertSubviewAtIndex(to->view(), 0);
    layout();
    showTopItem();
  }
  if (!onScreen) return;
  std::weak_ptr<UINavigationController> weak =
      std::static_pointer_cast<UINavigationController>(shared_from_this());
  auto finish = [weak, from, to, animated] {
    if (from) from->endAppearanceTransition();
    to->endAppearanceTransition();
    auto nav = weak.lock();
    if (!nav) return;
    if (auto d = nav->delegate()) d->navigationControllerDidShowViewController(*nav, to, animated);
  };
  if (animated) {
    RunLoop& loop = RunLoop::main();
    loop.postAt(loop.now() + kTransitionDuration, std::move(finish));
  } else {
    finish();
  }
}

void UINavigationController::setNavigationBarHidden(bool hidden, bool animated) {
  if (barHidden_ == hidden) return;
  barHidden_ = hidden;
  const bool ownBlock = animated && !UIView::isInAnimationBlock();
  if (ownBlock) {
    UIView::beginAnimations();
    UIView::setAnimationDuration(kTransitionDuration);
  }
  layout();
  if (ownBlock) UIView::commitAnimations();
}

void UINavigationController::appearanceWillChange(bool appearing, bool animated) {
  auto top = topViewController();
  if (!top) return;
  if (appearing) {
    if (auto d = delegate()) d->navigationControllerWillShowViewController(*this, top, animated);
  }
  top->beginAppearanceTransition(appearing, animated);
}

void UINavigationController::appearanceDidChange(bool appearing, bool animated) {
  auto top = topViewController();
  if (!top) return;
  top->endAppearanceTransition();
  if (appearing) {
    if (auto d = delegate()) d->navigationControllerDidShowViewController(*this, top, animated);
  }
}

}  // namespace platform
