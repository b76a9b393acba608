#pragma once
// UINavigationController: a stack of controllers of which the top one fills
// the controller's view below an optional 44-point navigation bar.
//
// Pushing and popping while on the screen tells the controllers and the
// delegate: the leaving controller's viewWillDisappear, the delegate's
// willShow, the arriving controller's viewWillAppear, then (at once, or
// 0.35 s later on the main run loop when animated) the leaving controller's
// viewDidDisappear, the arriving one's viewDidAppear and the delegate's
// didShow. When the navigation controller itself comes onto the screen, the
// delegate hears willShow and didShow for its top controller.
// Main thread only.
#include "platform/ui/navigation_bar.h"
#include "platform/ui/view_controller.h"

#include <memory>
#include <vector>

namespace platform {

class UINavigationController;

// Delegates are held weakly; every method has a default that does nothing.
class UINavigationControllerDelegate {
 public:
  virtual ~UINavigationControllerDelegate() = default;
  virtual void navigationControllerWillShowViewController(
      UINavigationController& /*navigationController*/,
      const std::shared_ptr<UIViewController>& /*viewController*/, bool /*animated*/) {}
  virtual void navigationControllerDidShowViewController(
      UINavigationController& /*navigationController*/,
      const std::shared_ptr<UIViewController>& /*viewController*/, bool /*animated*/) {}
};

class UINavigationController : public UIViewController {
 public:
  static constexpr double kTransitionDuration = 0.35;

  UINavigationController() = default;
  // initWithRootViewController:
  static std::shared_ptr<UINavigationController> initWithRootViewController(
      std::shared_ptr<UIViewController> root);
  const char* className() const override { return "UINavigationController"; }

  void pushViewController(std::shared_ptr<UIViewController> controller, bool animated);
  // The controller taken off, or null when only the root is left.
  std::shared_ptr<UIViewController> popViewControllerAnimated(bool animated);
  const std::vector<std::shared_ptr<UIViewController>>& viewControllers() const { return stack_; }
  // Replaces the whole stack (null entries are skipped); when the top
  // changes, the change is told as a push or pop is.
  void setViewControllers(std::vector<std::shared_ptr<UIViewController>> controllers,
                          bool animated);
  std::shared_ptr<UIViewController> topViewController() const;

  bool isNavigationBarHidden() const { return barHidden_; }
  void setNavigationBarHidden(bool hidden, bool animated = false);
  std::shared_ptr<UINavigationBar> navigationBar();

  std::shared_ptr<UINavigationControllerDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(std::weak_ptr<UINavigationControllerDelegate> delegate) {
    delegate_ = std::move(delegate);
  }

  void loadView() override;

 protected:
  void appearanceWillChange(bool appearing, bool animated) override;
  void appearanceDidChange(bool appearing, bool animated) override;

 private:
  void transition(const std::shared_ptr<UIViewController>& from,
                  const std::shared_ptr<UIViewController>& to, bool animated);
  void layout();
  void showTopItem();

  std::vector<std::shared_ptr<UIViewController>> stack_;
  std::shared_ptr<UINavigationBar> bar_;
  std::shared_ptr<UIBarButtonItem> backItem_;
  bool barHidden_ = false;
  std::weak_ptr<UINavigationControllerDelegate> delegate_;
};

}  // namespace platform
