// View controllers, the navigation controller, and modal presentation.
#include "platform/ui/navigation_controller.h"
#include "platform/ui/window.h"
#include "tests/platform/ui_fixture.h"

namespace platform {
namespace {

using Log = std::vector<std::string>;

// Logs "title.step" for each step of its view's life.
class Recording : public UIViewController {
 public:
  explicit Recording(Log& log) : log_(log) {}
  void loadView() override {
    log_.push_back(title() + ".loadView");
    UIViewController::loadView();
  }
  void viewDidLoad() override { log_.push_back(title() + ".viewDidLoad"); }
  void viewWillAppear(bool) override { log_.push_back(title() + ".willAppear"); }
  void viewDidAppear(bool) override { log_.push_back(title() + ".didAppear"); }
  void viewWillDisappear(bool) override { log_.push_back(title() + ".willDisappear"); }
  void viewDidDisappear(bool) override { log_.push_back(title() + ".didDisappear"); }

 private:
  Log& log_;
};

class RecordingDelegate : public UINavigationControllerDelegate {
 public:
  explicit RecordingDelegate(Log& log) : log_(log) {}
  void navigationControllerWillShowViewController(UINavigationController&,
                                                  const std::shared_ptr<UIViewController>& c, bool) override {
    log_.push_back("delegate.willShow " + c->title());
  }
  void navigationControllerDidShowViewController(UINavigationController&,
                                                 const std::shared_ptr<UIViewController>& c, bool) override {
    log_.push_back("delegate.didShow " + c->title());
  }

 private:
  Log& log_;
};

class Controllers : public testsupport::UITest {
 protected:
  std::shared_ptr<Recording> named(const std::string& name) {
    auto c = std::make_shared<Recording>(log);
    c->setTitle(name);
    return c;
  }
  // A navigation controller over "root" whose delegate writes to the log.
  std::shared_ptr<UINavigationController> navigation() {
    auto nav = UINavigationController::initWithRootViewController(named("root"));
    nav->setDelegate(delegate);
    return nav;
  }

  Log log;
  std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>(log);
};

TEST_F(Controllers, AControllerHearsItsViewComeOntoAndLeaveTheScreen) {
  auto c = named("a");
  auto window = std::make_shared<UIWindow>();
  window->addSubview(c->view());  // the window is not shown yet
  log.clear();
  window->makeKeyAndVisible();
  EXPECT_EQ(log, (Log{"a.willAppear", "a.didAppear"}));
  window->addSubview(c->view());  // already on screen: nothing new
  c->view()->removeFromSuperview();
  EXPECT_EQ(log, (Log{"a.willAppear", "a.didAppear", "a.willDisappear", "a.didDisappear"}));
}

TEST_F(Controllers, NavigationLaysOutA44PointBarAboveTheTopView) {
  auto root = named("root");
  auto nav = UINavigationController::initWithRootViewController(root);
  EXPECT_EQ(root->navigationController(), nav);
  EXPECT_EQ(nav->view()->frame(), CGRectMake(0, 20, 320, 460));
  EXPECT_EQ(nav->navigationBar()->frame(), CGRectMake(0, 0, 320, 44));
  EXPECT_EQ(root->view()->frame(), CGRectMake(0, 44, 320, 416));
  EXPECT_EQ(nav->navigationBar()->titleLabel()->text(), "root");
  nav->setNavigationBarHidden(true);
  EXPECT_TRUE(nav->isNavigationBarHidden());
  EXPECT_TRUE(nav->navigationBar()->isHidden());
  EXPECT_EQ(root->view()->frame(), CGRectMake(0, 0, 320, 460));
  nav->view()->setFrame(CGRectMake(0, 0, 320, 480));
  EXPECT_EQ(root->view()->frame(), CGRectMake(0, 0, 320, 480));
}

TEST_F(Controllers, TheDelegateHearsOfTheTopControllerAndAnAnimatedPushFinishesOnTheRunLoop) {
  auto nav = navigation();
  auto window = std::make_shared<UIWindow>();
  window->makeKeyAndVisible();
  nav->view();
  log.clear();
  window->addSubview(nav->view());
  EXPECT_EQ(log,
            (Log{"delegate.willShow root", "root.willAppear", "root.didAppear", "delegate.didShow root"}));
  auto help = named("help");
  log.clear();
  nav->pushViewController(help, true);
  EXPECT_EQ(log, (Log{"root.willDisappear", "delegate.willShow help", "help.loadView",
                      "help.viewDidLoad", "help.willAppear"}));
  EXPECT_EQ(nav->topViewController(), help);
  EXPECT_TRUE(help->view()->isDescendantOfView(nav->view().get()));
  EXPECT_EQ(nav->viewControllers().front()->view()->superview(), nullptr);
  log.clear();
  loop().runFor(UINavigationController::kTransitionDuration);
  EXPECT_EQ(log, (Log{"root.didDisappear", "help.didAppear", "delegate.didShow help"}));

  // The bar offers a back button titled after the controller below.
  auto back = nav->navigationBar()->leftButton();
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->currentTitle(), "root");
  log.clear();
  back->sendActionsForControlEvents(UIControlEventTouchUpInside);
  loop().runFor(1);
  EXPECT_EQ(log, (Log{"help.willDisappear", "delegate.willShow root", "root.willAppear",
                      "help.didDisappear", "root.didAppear", "delegate.didShow root"}));
  EXPECT_EQ(help->parentViewController(), nullptr);
  EXPECT_EQ(nav->popViewControllerAnimated(false), nullptr);  // the root stays
}

TEST_F(Controllers, OffScreenPushesTellNoOne) {
  auto nav = navigation();
  nav->pushViewController(named("next"), false);
  EXPECT_EQ(log, Log{});
  EXPECT_EQ(nav->viewControllers().size(), 2u);
}

TEST_F(Controllers, BarButtonsRunTheirItemsActions) {
  auto root = named("root");
  auto nav = UINavigationController::initWithRootViewController(root);
  int abouts = 0;
  root->navigationItem().setRightBarButtonItem(std::make_shared<UIBarButtonItem>(
      "About", UIBarButtonItemStyleBordered, [&](UIBarButtonItem&) { ++abouts; }));
  auto button = nav->navigationBar()->rightButton();
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->currentTitle(), "About");
  EXPECT_EQ(CGRectGetMaxX(button->frame()), 315);
  button->sendActionsForControlEvents(UIControlEventTouchUpInside);
  EXPECT_EQ(abouts, 1);
}

TEST_F(Controllers, AModalControllerCoversTheScreenUntilDismissed) {
  auto base = named("base"), modal = named("modal");
  auto window = std::make_shared<UIWindow>();
  window->addSubview(base->view());
  window->makeKeyAndVisible();
  log.clear();
  base->presentModalViewController(modal, false);
  EXPECT_EQ(base->modalViewController(), modal);
  EXPECT_EQ(modal->view()->window(), window);
  EXPECT_EQ(modal->view()->frame(), CGRectMake(0, 20, 320, 460));
  modal->dismissModalViewControllerAnimated(false);  // asks its presenter
  EXPECT_EQ(base->modalViewController(), nullptr);
  EXPECT_EQ(modal->view()->window(), nullptr);
  EXPECT_EQ(log, (Log{"modal.loadView", "modal.viewDidLoad", "modal.willAppear", "modal.didAppear",
                      "modal.willDisappear", "modal.didDisappear"}));
  base->dismissModalViewControllerAnimated(false);  // presents nothing: nothing happens
}

}  // namespace
}  // namespace platform
