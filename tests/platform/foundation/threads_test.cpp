// Device, bundle and defaults used by several threads at once (real time).
#include "platform/device/ui_device.h"
#include "platform/foundation/bundle.h"
#include "platform/foundation/date.h"
#include "platform/foundation/user_defaults.h"
#include "platform/runloop/thread.h"
#include "tests/platform/device_fixture.h"

#include <atomic>

namespace platform {
namespace {

using FoundationThreadsTest = testsupport::DeviceTest;

TEST_F(FoundationThreadsTest, ServicesAnswerWorkersAndTheMainThreadAlike) {
  RunLoop::resetMain(RunLoop::Mode::RealTime);
  std::atomic<int> mismatches{0};
  auto work = [&mismatches](int id) {
    for (int i = 0; i < 50; ++i) {
      if (NSBundle::mainBundle().localizedStringForKey("Back", "", "") != "Back") ++mismatches;
      if (!NSBundle::mainBundle().objectForInfoDictionaryKey("CFBundleShortVersionString")) ++mismatches;
      if (UIDevice::currentDevice().model() != "Phone") ++mismatches;
      NSUserDefaults::standardUserDefaults().setInteger(i, "KEY" + std::to_string(id));
      if (NSDate::date().timeIntervalSince1970() < 0) ++mismatches;
    }
  };
  for (int w = 1; w <= 3; ++w) NSThread::detachNewThread([work, w] { work(w); });
  work(0);
  ASSERT_TRUE(runUntilWorkersEnd(30));
  EXPECT_EQ(mismatches, 0);
  for (int id = 0; id <= 3; ++id)
    EXPECT_EQ(NSUserDefaults::standardUserDefaults().integerForKey("KEY" + std::to_string(id)), 49);
}

}  // namespace
}  // namespace platform
