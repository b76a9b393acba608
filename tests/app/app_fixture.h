#pragma once
// Fixture: a fresh device and loop, no UI left over, module state as before launch.
#include "app/simple_table_view_app_delegate.h"
#include "platform/ui/ui_state.h"
#include "tests/platform/device_fixture.h"

namespace holdstill::testing {

class AppTest : public platform::testsupport::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    platform::resetUserInterface();
    resetModuleStateForTesting();
  }
  void TearDown() override {
    platform::resetUserInterface();
    DeviceTest::TearDown();
  }

  // Launches the application as UIApplicationMain does, leaving the loop
  // to the test; the module state starts from its value before launch.
  static std::shared_ptr<SimpleTableViewAppDelegate> launch() {
    resetModuleStateForTesting();
    auto app = std::make_shared<SimpleTableViewAppDelegate>();
    app->setWindow(std::make_shared<platform::UIWindow>());
    app->applicationDidFinishLaunching(platform::UIApplication::sharedApplication());
    return app;
  }
  static std::vector<std::string> opened() { return platform::UIApplication::sharedApplication().openedURLs(); }
};

}  // namespace holdstill::testing
