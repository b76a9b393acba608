// The application object and UIApplicationMain.
#include "platform/foundation/data_file.h"
#include "platform/ui/application.h"
#include "tests/platform/device_fixture.h"

namespace platform {
namespace {

using Application = testsupport::DeviceTest;

class Launched : public UIApplicationDelegate {
 public:
  void applicationDidFinishLaunching(UIApplication& application) override {
    ++launches;
    windowAtLaunch = window;
    UIApplication::sharedApplication().openURL(*NSURL::URLWithString("mailto:a@example.com"));
    application.setOpenedURLLog("/opened-urls.txt");
    application.openURL(*NSURL::URLWithString("no-scheme"));
  }
  void setWindow(std::shared_ptr<UIWindow> w) override { window = std::move(w); }

  int launches = 0;
  std::shared_ptr<UIWindow> window, windowAtLaunch;
};

TEST_F(Application, MainLaunchesOnceFromTheLoopAndReturnsTheStatusItEndsWith) {
  const std::string earlier = "http://earlier.example\n";  // a launch before this one
  ASSERT_TRUE(writeToFile(std::span(reinterpret_cast<const std::uint8_t*>(earlier.data()), earlier.size()),
                          "/opened-urls.txt", true));
  auto delegate = std::make_shared<Launched>();
  loop().postAt(2, [] { UIApplication::sharedApplication().terminateWithStatus(7); });
  char name[] = "holdstill";
  char* argv[] = {name, nullptr};
  EXPECT_EQ(UIApplicationMain(1, argv, [&] { return delegate; }), 7);
  EXPECT_EQ(loop().now(), 2);
  EXPECT_EQ(delegate->launches, 1);
  ASSERT_TRUE(delegate->windowAtLaunch);
  EXPECT_EQ(delegate->windowAtLaunch->frame(), UIScreen::mainScreen().bounds());
  // Opened addresses are kept in order; once asked, each is added to the
  // device's log after what earlier launches left there.
  EXPECT_EQ(UIApplication::sharedApplication().openedURLs(),
            (std::vector<std::string>{"mailto:a@example.com", "no-scheme"}));
  const auto log = dataWithContentsOfFile("/opened-urls.txt");
  ASSERT_TRUE(log);
  EXPECT_EQ(std::string(log->begin(), log->end()), earlier + "no-scheme\n");
}

}  // namespace
}  // namespace platform
