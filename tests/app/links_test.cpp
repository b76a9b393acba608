// Links out of the application, and the alert and action sheet handlers.
#include "state/outbound_links.h"
#include "state/settings.h"
#include "platform/foundation/user_defaults.h"
#include "tests/app/app_fixture.h"

#include <cmath>

namespace holdstill {
namespace {

using namespace platform;
using Links = testing::AppTest;

TEST_F(Links, EachLinkOpensItsAddressAndBadOnesOpenNothing) {
  EXPECT_EQ(mapAddressText(0, 0), "http://maps.google.com/maps?t=h&q=0.000000%20S,0.000000%20W");
  EXPECT_EQ(mapAddressText(-33.8688, 151.2093), "http://maps.google.com/maps?t=h&q=33.868800%20S,151.209300%20E");
  auto app = launch();
  app->showGoogleMap(48.5, -2.25);
  app->showGoogleMap(NAN, 0);  // no map shows it
  app->mailTo("mailto:support@holdstill.app?subject=Hello%20there");
  app->mailTo("mailto:a#b#c");  // two fragments: no address
  app->gotoBrowser();           // no action sheet: nothing
  UIActionSheet sheet("", {}, "Cancel", std::nullopt, {"Visit"});
  app->actionSheetDidDismissWithButtonIndex(sheet, 1);
  app->actionSheetDidDismissWithButtonIndex(sheet, 0);
  EXPECT_EQ(opened(), (std::vector<std::string>{
                          "http://maps.google.com/maps?t=h&q=48.500000%20N,2.250000%20W",
                          "mailto:support@holdstill.app?subject=Hello%2520there",
                          "http://holdstill.app",
                      }));
}

TEST_F(Links, TheWelcomeAlertRecordsTheVersionSeen) {
  auto app = launch();
  NSUserDefaults& defaults = NSUserDefaults::standardUserDefaults();
  UIAlertView other("", "", {}, "OK");
  other.setTag(34);
  app->alertViewClickedButtonAtIndex(other, 0);
  EXPECT_EQ(defaults.objectForKey(kLastVersionKey), std::nullopt);

  auto welcome = std::make_shared<UIAlertView>("Welcome", "", app, "OK");
  welcome->setTag(SimpleTableViewAppDelegate::kWelcomeAlertTag);
  welcome->show();
  welcome->tapButtonAtIndex(0);
  EXPECT_EQ(defaults.objectForKey(kLastVersionKey), PropertyValue("1.0"));
  vnsAppVersion.reset();  // without a version the key goes, as storing null does
  app->alertViewClickedButtonAtIndex(*welcome, 0);
  EXPECT_EQ(defaults.objectForKey(kLastVersionKey), std::nullopt);
}

}  // namespace
}  // namespace holdstill
