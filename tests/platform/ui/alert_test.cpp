// Alerts and action sheets: showing, tapping, and what their delegates hear.
#include "platform/ui/action_sheet.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/window.h"
#include "tests/platform/ui_fixture.h"

namespace platform {
namespace {

using Alerts = testsupport::UITest;
using Log = std::vector<std::string>;

class AlertLog : public UIAlertViewDelegate {
 public:
  void alertViewClickedButtonAtIndex(UIAlertView& a, int i) override { add("clicked", a, i); }
  void alertViewWillDismissWithButtonIndex(UIAlertView& a, int i) override { add("willDismiss", a, i); }
  void alertViewDidDismissWithButtonIndex(UIAlertView& a, int i) override { add("didDismiss", a, i); }
  Log log;

 private:
  void add(const std::string& what, UIAlertView& a, int i) {
    log.push_back(what + " " + std::to_string(a.tag()) + ":" + std::to_string(i));
  }
};

class SheetLog : public UIActionSheetDelegate {
 public:
  void actionSheetDidDismissWithButtonIndex(UIActionSheet&, int i) override {
    log.push_back("didDismiss " + std::to_string(i));
  }
  Log log;
};

std::shared_ptr<UIAlertView> welcome(const std::shared_ptr<AlertLog>& delegate) {
  auto alert = std::make_shared<UIAlertView>("Welcome", "Hold the phone still.", delegate,
                                             std::string("OK"), std::vector<std::string>{"Help"});
  alert->setTag(33);
  return alert;
}

TEST_F(Alerts, ButtonsAreNumberedFromTheCancelButton) {
  auto alert = welcome(nullptr);
  EXPECT_EQ(alert->numberOfButtons(), 2);
  EXPECT_EQ(alert->cancelButtonIndex(), 0);
  EXPECT_EQ(alert->buttonTitleAtIndex(1), "Help");
  EXPECT_EQ(alert->buttonTitleAtIndex(2), "");
  UIAlertView bare("t", "m", {}, std::nullopt);
  EXPECT_EQ(bare.cancelButtonIndex(), -1);
  EXPECT_EQ(bare.numberOfButtons(), 0);
}

TEST_F(Alerts, AShownAlertIsListedAndKeptUntilAButtonDismissesIt) {
  auto delegate = std::make_shared<AlertLog>();
  std::weak_ptr<UIAlertView> watch;
  {
    auto alert = welcome(delegate);
    watch = alert;
    alert->show();
  }
  ASSERT_EQ(UIAlertView::shownAlerts().size(), 1u);
  auto shown = UIAlertView::shownAlerts().front();
  EXPECT_TRUE(shown->isVisible());
  EXPECT_EQ(shown->frame().size.width, UIAlertView::kWidth);
  shown->tapButtonAtIndex(1);
  shown.reset();
  EXPECT_TRUE(UIAlertView::shownAlerts().empty());
  EXPECT_EQ(delegate->log, (Log{"clicked 33:1", "willDismiss 33:1"}));
  loop().runFor(UIModalView::kDismissDuration);
  EXPECT_EQ(delegate->log.back(), "didDismiss 33:1");
  EXPECT_TRUE(watch.expired());
}

TEST_F(Alerts, TheAlertTakesEveryTouchOnTheScreenWhileItIsUp) {
  auto app = std::make_shared<UIWindow>();
  app->makeKeyAndVisible();
  auto delegate = std::make_shared<AlertLog>();
  auto alert = welcome(delegate);
  alert->show();
  EXPECT_EQ(sendTapToScreen({5, 5})->className(), std::string("UIWindow"));
  EXPECT_NE(sendTapToScreen({5, 5}), app);  // swallowed by the alert's window
  EXPECT_TRUE(delegate->log.empty());
  const auto ok = alert->buttonAtIndex(0);
  EXPECT_EQ(sendTapToScreen(ok->convertPointToView({5, 5}, nullptr)), ok);
  EXPECT_EQ(delegate->log.front(), "clicked 33:0");
  EXPECT_EQ(sendTapToScreen({5, 5}), app);  // gone: the app has the screen again
}

TEST_F(Alerts, OnlyTheLatestAlertShowsAndTheOneBelowReturns) {
  auto first = welcome(nullptr), second = welcome(nullptr);
  first->show();
  second->show();
  second->show();  // already shown: nothing changes
  ASSERT_EQ(UIAlertView::shownAlerts().size(), 2u);
  EXPECT_TRUE(first->isHidden());
  EXPECT_FALSE(second->isHidden());
  second->dismissWithClickedButtonIndex(0, false);
  EXPECT_FALSE(first->isHidden());
  EXPECT_EQ(UIAlertView::shownAlerts(), std::vector<std::shared_ptr<UIAlertView>>{first});
}

TEST_F(Alerts, ADelegateThatIsGoneHearsNothing) {
  auto delegate = std::make_shared<AlertLog>();
  auto alert = welcome(delegate);
  alert->show();
  delegate.reset();
  alert->touch();
  alert->tapButtonAtIndex(0);
  loop().runFor(1);
  EXPECT_FALSE(alert->isVisible());
}

TEST_F(Alerts, ActionSheetsPutDestructiveFirstAndCancelLast) {
  auto delegate = std::make_shared<SheetLog>();
  auto sheet = std::make_shared<UIActionSheet>("Download", delegate, std::string("Cancel"),
                                               std::string("Delete"), std::vector<std::string>{"Get"});
  EXPECT_EQ(sheet->destructiveButtonIndex(), 0);
  EXPECT_EQ(sheet->buttonTitleAtIndex(1), "Get");
  EXPECT_EQ(sheet->cancelButtonIndex(), 2);
  sheet->dismissWithClickedButtonIndex(1, true);  // never shown: still reported
  sheet->showInView(nullptr);
  EXPECT_EQ(CGRectGetMaxY(sheet->frame()), 480);
  sheet->dismissWithClickedButtonIndex(0, false);
  EXPECT_EQ(delegate->log, (Log{"didDismiss 1", "didDismiss 0"}));
  EXPECT_TRUE(UIModalView::shownModalViews().empty());
}

}  // namespace
}  // namespace platform
