#pragma once
// UIViewController: owns one screen's view, made on first use (loadView,
// then viewDidLoad), and hears when that view comes onto the screen and
// leaves it (viewWillAppear ... viewDidDisappear).
//
// Controllers are always held by std::shared_ptr (make them with
// std::make_shared). A controller inside a container (a navigation
// controller's stack) is told of appearances by the container; any other
// controller when its view enters or leaves a visible window.
// Main thread only.
#include "platform/ui/bar_button_item.h"
#include "platform/ui/view.h"

#include <memory>
#include <string>

namespace platform {

class UINavigationController;

enum UIInterfaceOrientation {
  UIInterfaceOrientationPortrait = 1,
  UIInterfaceOrientationPortraitUpsideDown = 2,
  UIInterfaceOrientationLandscapeLeft = 4,
  UIInterfaceOrientationLandscapeRight = 3,
};

class UIViewController : public std::enable_shared_from_this<UIViewController> {
 public:
  UIViewController();
  virtual ~UIViewController();
  UIViewController(const UIViewController&) = delete;
  UIViewController& operator=(const UIViewController&) = delete;

  virtual const char* className() const { return "UIViewController"; }

  // The view, loaded on first use.
  std::shared_ptr<UIView> view();
  bool isViewLoaded() const { return view_ != nullptr; }
  void setView(std::shared_ptr<UIView> view);
  // Makes the view; the default is a plain view with the screen's
  // application frame. Overrides call setView.
  virtual void loadView();
  virtual void viewDidLoad() {}

  virtual void viewWillAppear(bool /*animated*/) {}
  virtual void viewDidAppear(bool /*animated*/) {}
  virtual void viewWillDisappear(bool /*animated*/) {}
  virtual void viewDidDisappear(bool /*animated*/) {}

  // The title; also the navigation item's title.
  const std::string& title() const { return title_; }
  void setTitle(const std::string& title);
  UINavigationItem& navigationItem() { return navigationItem_; }

  // The container holding this controller, or null.
  std::shared_ptr<UIViewController> parentViewController() const { return parent_.lock(); }
  // The navigation controller this controller is on (itself for one), or null.
  std::shared_ptr<UINavigationController> navigationController() const;

  // Modal presentation: the presented controller's view covers the
  // application frame of this controller's window (or the key window).
  void presentModalViewController(const std::shared_ptr<UIViewController>& controller,
                                  bool animated);
  // Takes down the controller this one presents, or, when it presents none,
  // this one if it is presented; otherwise does nothing.
  void dismissModalViewControllerAnimated(bool animated);
  std::shared_ptr<UIViewController> modalViewController() const { return modal_; }

  virtual bool shouldAutorotateToInterfaceOrientation(UIInterfaceOrientation orientation) {
    return orientation == UIInterfaceOrientationPortrait;
  }
  virtual void didRotateFromInterfaceOrientation(UIInterfaceOrientation /*from*/) {}

  // ---- for the platform and containers
  // Appearance transitions: begin calls viewWillAppear or viewWillDisappear,
  // end the matching did method; a transition that would not change the
  // state is ignored. appear/disappear run both steps at once.
  void beginAppearanceTransition(bool appearing, bool animated);
  void endAppearanceTransition();
  void appear(bool animated);
  void disappear(bool animated);
  bool isOnScreen() const { return state_ == State::Appeared || state_ == State::Appearing; }
  void setParentViewController(const std::shared_ptr<UIViewController>& parent) { parent_ = parent; }

 protected:
  // Containers pass appearance on to their children from here; called after
  // the controller's own will/did methods.
  virtual void appearanceWillChange(bool /*appearing*/, bool /*animated*/) {}
  virtual void appearanceDidChange(bool /*appearing*/, bool /*animated*/) {}

 private:
  enum class State { Disappeared, Appearing, Appeared, Disappearing };

  std::shared_ptr<UIView> view_;
  std::string title_;
  UINavigationItem navigationItem_;
  std::weak_ptr<UIViewController> parent_;
  std::shared_ptr<UIViewController> modal_;
  std::weak_ptr<UIViewController> presenter_;
  State state_ = State::Disappeared;
  bool transitionAnimated_ = false;
};

}  // namespace platform
