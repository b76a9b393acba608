// The buttonless alert: any touch on it cancels and dismisses it, once.
#include "views/alert_view_no_buttons.h"
#include "platform/ui/window.h"
#include "tests/platform/ui_fixture.h"

namespace holdstill {
namespace {

using namespace platform;

using ButtonlessAlert = testsupport::UITest;

// Hears everything but cancellation, which only Canceller handles: a
// delegate that handles it overrides alertViewCancel and nothing else.
class Listener : public UIAlertViewDelegate {
 public:
  void alertViewClickedButtonAtIndex(UIAlertView&, int i) override { log.push_back("clicked " + std::to_string(i)); }
  void alertViewDidDismissWithButtonIndex(UIAlertView&, int i) override {
    log.push_back("didDismiss " + std::to_string(i));
  }
  std::vector<std::string> log;
};

class Canceller : public Listener {
 public:
  void alertViewCancel(UIAlertView& alert) override { log.push_back("cancel " + std::to_string(alert.tag())); }
};

std::weak_ptr<UIAlertViewNoButtons> showWarning(const std::shared_ptr<Listener>& listener) {
  auto alert = std::make_shared<UIAlertViewNoButtons>("Holdstill v1.0 Warning!", "Not a phone.", listener);
  alert->setTag(34);
  alert->show();
  return alert;  // the shown alert keeps itself
}

TEST_F(ButtonlessAlert, ATouchOutsideDoesNothingAndOneInsideCancelsAndDismissesItOnce) {
  auto listener = std::make_shared<Canceller>();
  auto weak = showWarning(listener);
  EXPECT_FALSE(weak.lock()->pointInside({-5, 10}, nullptr));
  EXPECT_FALSE(weak.lock()->pointInside({10, weak.lock()->bounds().size.height + 1}, nullptr));
  EXPECT_TRUE(listener->log.empty());
  EXPECT_EQ(UIAlertView::shownAlerts().size(), 1u);
  EXPECT_FALSE(weak.lock()->pointInside({10, 10}, nullptr));
  EXPECT_TRUE(UIAlertView::shownAlerts().empty());
  EXPECT_FALSE(weak.lock()->pointInside({10, 10}, nullptr));  // going away: nothing more
  loop().runFor(1);
  EXPECT_EQ(listener->log, (std::vector<std::string>{"cancel 34", "didDismiss 0"}));
  EXPECT_TRUE(weak.expired()) << "the alert frees itself";
}

TEST_F(ButtonlessAlert, ADelegateWithoutCancelIsNotAskedButTheAlertStillGoes) {
  auto listener = std::make_shared<Listener>();
  auto weak = showWarning(listener);
  weak.lock()->pointInside({10, 10}, nullptr);
  loop().runFor(1);
  EXPECT_EQ(listener->log, (std::vector<std::string>{"didDismiss 0"}));
  auto lone = std::make_shared<UIAlertViewNoButtons>("", "About", std::weak_ptr<UIAlertViewDelegate>{});
  lone->show();
  lone->touch();
  EXPECT_FALSE(lone->isVisible());
}

TEST_F(ButtonlessAlert, AScreenTouchOnItReachesNeitherItNorWhatLiesBelow) {
  auto app = std::make_shared<UIWindow>();
  app->makeKeyAndVisible();
  auto listener = std::make_shared<Canceller>();
  auto alert = showWarning(listener).lock();
  auto receiver = alert->touch();
  EXPECT_FALSE(receiver->isDescendantOfView(alert.get()));
  EXPECT_NE(receiver, app);
  EXPECT_EQ(listener->log.front(), "cancel 34");
  EXPECT_FALSE(alert->isVisible());
  EXPECT_EQ(sendTapToScreen({5, 5}), app);
}

}  // namespace
}  // namespace holdstill
