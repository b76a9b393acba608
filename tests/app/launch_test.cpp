// The launch sequence, the settings it reads, main, and the screen facts.
#include "app/main.h"
#include "state/screen_facts.h"
#include "state/settings.h"
#include "capture/root_view_controller.h"
#include "platform/foundation/user_defaults.h"
#include "platform/sensors/location_manager.h"
#include "storage/orv_location.h"
#include "tests/app/app_fixture.h"

#include <fstream>

namespace holdstill {
namespace {

using namespace platform;
using Launch = testing::AppTest;
using ScreenFacts = testing::AppTest;

TEST_F(Launch, PublishesTheDelegateAndShowsTheCaptureScreenUnderAHiddenBar) {
  auto app = launch();
  EXPECT_EQ(vAppObject.load(), app.get());
  auto navigation = app->navigationController();
  EXPECT_TRUE(navigation->isNavigationBarHidden());
  EXPECT_EQ(navigation->topViewController(), app->rootViewController());
  EXPECT_EQ(app->rootViewController()->view()->frame(), CGRectMake(0, 0, 320, 460));
  EXPECT_TRUE(app->window()->isKeyWindow());
  EXPECT_EQ(app->window()->subviews(), std::vector<std::shared_ptr<UIView>>{navigation->view()});
  app.reset();
  EXPECT_EQ(vAppObject.load(), nullptr) << "a delegate that is gone is no longer published";
}

TEST_F(Launch, SettingsAreReadAbsentPresentOrOfAnOddType) {
  // What the defaults hold, then the settings read from them: GPS, splash, steadiness threshold.
  const std::tuple<std::vector<std::pair<std::string, PropertyValue>>, bool, bool, float> cases[] = {
      {{}, true, true, 0.25f},
      {{{kRecordGPSKey, false}, {kShowSplashKey, false}, {kSensitivityKey, 1}}, false, false, 0.25f},
      {{{kSensitivityKey, 0}}, true, true, 0.21f},
      {{{kSensitivityKey, 2}}, true, true, 0.21f},
      {{{kRecordGPSKey, "NO"}, {kShowSplashKey, "YES"}, {kSensitivityKey, "1"}}, false, true, 0.25f},
      {{{kRecordGPSKey, 0}, {kShowSplashKey, 0.5}, {kSensitivityKey, 1.9}}, false, true, 0.25f},
      {{{kSensitivityKey, "high"}}, true, true, 0.21f},
      {{{"recordgps", false}, {"Sensitivity", 0}}, true, true, 0.25f},  // keys are case-sensitive
  };
  int row = 0;
  for (const auto& [stored, recordGPS, showSplash, threshold] : cases) {
    SCOPED_TRACE(row++);
    useDevice({});
    for (const auto& [key, value] : stored) NSUserDefaults::standardUserDefaults().setObject(value, key);
    auto app = launch();
    EXPECT_EQ(vbRecordGPS.load(), recordGPS);
    EXPECT_EQ(vbShowSplash, showSplash);
    EXPECT_EQ(accelDelta, threshold);
  }
}

TEST_F(Launch, WithGpsRecordingOnTheTrackerFeedsTheCaptureScreen) {
  for (bool recordGPS : {false, true}) {
    SCOPED_TRACE(recordGPS);
    useDevice({});
    NSUserDefaults::standardUserDefaults().setObject(recordGPS, kRecordGPSKey);
    const TimeInterval now = loop().now();
    LocationService::current().setReplay(LocationReplay({LocationEvent::fix(now + 1, 47.5, 8.5, 400),
                                                         LocationEvent::failure(now + 2, 1, "Access denied")}));
    auto app = launch();
    EXPECT_EQ(app->locationTracker() != nullptr, recordGPS);
    auto root = app->rootViewController();
    root->view();
    loop().runFor(1.5);
    const auto fix = root->currentLocation();
    EXPECT_EQ(fix ? fix->coordinate().latitude : 0, recordGPS ? 47.5 : 0);
    loop().runFor(1);
    EXPECT_EQ(root->currentLocation(), nullptr);
    EXPECT_EQ(root->gpsInfoText() ? root->gpsInfoText()->text() : "", recordGPS ? "Access denied" : "");
  }
}

TEST_F(Launch, ABundleWithoutAVersionLeavesNoVersion) {
  std::filesystem::create_directories(scratch() / "bundle");
  std::ofstream(scratch() / "bundle" / "Info.json") << R"({"CFBundleName": "Holdstill"})";
  useDevice({}, scratch() / "bundle");
  auto app = launch();
  EXPECT_EQ(vnsAppVersion, std::nullopt);
  EXPECT_EQ(vnsPreview, "Preview") << "a missing text shows its key";
}

TEST_F(Launch, MainRunsTheApplicationUntilItEndsAndReturnsTheStatus) {
  AppServices* during = nullptr;
  loop().postAt(1, [&] {
    during = vAppObject.load();
    UIApplication::sharedApplication().terminateWithStatus(0);
  });
  char name[] = "holdstill";
  char* argv[] = {name, nullptr};
  EXPECT_EQ(holdstill::main(1, argv), 0);
  EXPECT_NE(during, nullptr);
  EXPECT_EQ(vAppObject.load(), nullptr);
}

TEST_F(ScreenFacts, APhoneIsAModelWithPhoneInIt) {
  for (const auto& [model, phone] : std::vector<std::pair<std::string, bool>>{
           {"Phone", true}, {"SmartPhone 3G", true}, {"phone", false}, {"PHONE", false}, {"Tablet", false}, {"", false}}) {
    useDevice({.model = model});
    EXPECT_EQ(isIPhoneDevice(), phone) << model;
  }
}

TEST_F(ScreenFacts, TheAvailableFrameIsTheNavigationViewLessAVisibleBarAtTheOrigin) {
  EXPECT_EQ(availFrame(nullptr), CGRectMake(0, 0, 320, 460));
  auto loose = std::make_shared<UIViewController>();
  EXPECT_EQ(availFrame(loose), CGRectMake(0, 0, 320, 460));

  auto top = std::make_shared<UIViewController>();
  auto navigation = UINavigationController::initWithRootViewController(top);
  EXPECT_EQ(availFrame(top), CGRectMake(0, 0, 320, 416));
  navigation->view()->setFrame(CGRectMake(10, 20, 200, 300));
  EXPECT_EQ(availFrame(top), CGRectMake(0, 0, 200, 256));
  navigation->setNavigationBarHidden(true);
  EXPECT_EQ(SimpleTableViewAppDelegate::availFrame(top), CGRectMake(0, 0, 200, 300));
}

}  // namespace
}  // namespace holdstill
