#include "platform/ui/view_controller.h"

#include "platform/ui/navigation_controller.h"
#include "platform/ui/screen.h"
#include "platform/ui/window.h"

namespace platform {

UIViewController::UIViewController() = default;

UIViewController::~UIViewController() = default;

std::shared_ptr<UIView> UIViewController::view() {
  if (!view_) {
    loadView();
    if (!view_) setView(std::make_shared<UIView>(UIScreen::mainScreen().applicationFrame()));
    viewDidLoad();
  }
  return view_;
}

void UIViewController::setView(std::shared_ptr<UIView> view) {
  if (view_ && view_->viewController().get() == this) view_->setViewController(nullptr);
  view_ = std::move(view);
  if (view_) view_->setViewController(shared_from_this());
}

void UIViewController::loadView() {
  setView(std::make_shared<UIView>(UIScreen::mainScreen().applicationFrame()));
}

void UIViewController::setTitle(const std::string& title) {
  title_ = title;
  navigationItem_.setTitle(title);
}

std::shared_ptr<UINavigationController> UIViewController::navigationController() const {
  for (auto c = std::const_pointer_cast<UIViewController>(shared_from_this()); c;
       c = c->parentViewController())
    if (auto nav = std::dynamic_pointer_cast<UINavigationController>(c)) return nav;
  return nullptr;
}

void UIViewController::presentModalViewController(
    const std::shared_ptr<UIViewController>& controller, bool) {
  if (!controller || modal_) return;
  auto window = isViewLoaded() ? view_->window() : nullptr;
  if (!window) window = UIWindow::keyWindow();
  if (!window) return;
  modal_ = controller;
  controller->presenter_ = shared_from_this();
  auto shown = controller->view();
  const CGRect app = UIScreen::mainScreen().applicationFrame();
  const CGRect frame = window->frame();
  shown->setFrame(CGRectMake(app.origin.x - frame.origin.x, app.origin.y - frame.origin.y,
                             app.size.width, app.size.height));
  window->addSubview(shown);
}

void UIViewController::dismissModalViewControllerAnimated(bool animated) {
  if (!modal_) {
    if (auto presenter = presenter_.lock()) presenter->dismissModalViewControllerAnimated(animated);
    return;
  }
  auto dismissed = std::move(modal_);
  modal_ = nullptr;
  dismissed->presenter_.reset();
  if (dismissed->isViewLoaded()) dismissed->view()->removeFromSuperview();
}

void UIViewController::beginAppearanceTransition(bool appearing, bool animated) {
  const State target = appearing ? State::Appearing : State::Disappearing;
  if (state_ == target || (appearing && state_ == State::Appeared) ||
      (!appearing && state_ == State::Disappeared))
    return;
  auto self = shared_from_this();  // a will-method may drop the last owner
  state_ = target;
  transitionAnimated_ = animated;
  if (appearing) {
    view();  // appearing loads the view first
    viewWillAppear(animated);
  } else {
    viewWillDisappear(animated);
  }
  appearanceWillChange(appearing, animated);
}

void UIViewController::endAppearanceTransition() {
  if (state_ != State::Appearing && state_ != State::Disappearing) return;
  auto self = shared_from_this();
  const bool appearing = state_ == State::Appearing;
  state_ = appearing ? State::Appeared : State::Disappeared;
  if (appearing) {
    viewDidAppear(transitionAnimated_);
  } else {
    viewDidDisappear(transitionAnimated_);
  }
  appearanceDidChange(appearing, transitionAnimated_);
}

void UIViewController::appear(bool animated) {
  beginAppearanceTransition(true, animated);
  endAppearanceTransition();
}

void UIViewController::disappear(bool animated) {
  beginAppearanceTransition(false, animated);
  endAppearanceTransition();
}

}  // namespace platform
