// Alerts: showing, tapping, and what their delegates hear.
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

std::shared_ptr<UIAlertView> welcome(const std::shared_ptr<AlertLog>& delegate) {
  auto alert = std::make_shared<UIAlertView>("Welcome", "Hold the phone still.", delegate,
                                             std::string("OK"), std::vector<std::string>{"Help"});
  alert->setTag(33);
  return alert;
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

}  // namespace
}  // namespace platform
