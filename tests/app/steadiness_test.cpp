// The steadiness detector, alone and in the launched application.
#include "app/steadiness_detector.h"
#include "capture/root_view_controller.h"
#include "tests/app/app_fixture.h"

#include <cmath>

namespace holdstill {
namespace {

using namespace platform;
using Steadiness = testing::AppTest;

class FakeScreen : public SteadinessScreen {
 public:
  bool helpButtonHidden() const override { return helpHidden; }
  bool meterDisabled() const override { return disabled; }
  void setStablizedLevel(float level) override { levels.push_back(level); }
  void snap() override { snaps.push_back(vwIntervalsStable); }

  bool helpHidden = false, disabled = false;
  std::vector<float> levels;
  std::vector<int> snaps;  // the count at each request
};

TEST(SteadinessLevel, IsThatOfTheLastAxisOverTheThreshold) {
  const std::pair<MovementSums, float> cases[] = {
      {{0.1f, 0.2f, 0.3f}, 0.0416667f},
      {{2.0f, 0.3f, 0.1f}, 0.0416667f},  // y replaces x's full level; z leaves it
      {{0.25f, 0.25f, 0.25f}, 0.0f},     // at the threshold is steady
      {{1.45f, 0.0f, 0.0f}, 1.0f},       // 1.45f - 0.25f is 1.2f, not below 1.2
      {{1.44f, 0.0f, 0.0f}, 0.991667f},
      {{NAN, 0.0f, 0.0f}, 1.0f},         // not a number is never steady
  };
  for (const auto& [sums, level] : cases) EXPECT_NEAR(steadinessLevel(sums, 0.25f), level, 1e-6) << sums.dx;
  EXPECT_NEAR(steadinessLevel({0.22f, 0, 0}, 0.21f), 0.00833333f, 1e-6);
  // Sums add in double and are stored in single: 2^-24 + 2^-50 added to 1
  // rounds up to the next float, where float addition would tie back to 1.
  EXPECT_EQ(addMovement(1.0f, 0.0, 0x1p-24 + 0x1p-50), 1.0f + 0x1p-23f);
}

TEST_F(Steadiness, TheSeventhSteadyTickAsksForTheShutterAndEveryOneAfterIt) {
  vbAccelerometerOn = 1;
  accelDelta = 0.25f;
  FakeScreen screen;
  MovementSums sums;
  for (int tick = 1; tick <= 8; ++tick) steadinessTick(sums, screen);
  EXPECT_EQ(screen.snaps, (std::vector<int>{7, 8}));
  EXPECT_EQ(screen.levels, std::vector<float>(8, 0.0f));
  sums = {0.1f, 0.2f, 0.3f};  // movement shows its level and starts the count again
  steadinessTick(sums, screen);
  EXPECT_NEAR(screen.levels.back(), 0.0416667f, 1e-6);
  EXPECT_EQ(vwIntervalsStable, 0);
  EXPECT_EQ(sums.dz, 0.0f);
  // With the help button hidden the level still shows, and nothing counts.
  vwIntervalsStable = 5;
  screen.helpHidden = true;
  steadinessSample(sums, 1, 1, 1, screen);
  steadinessTick(sums, screen);
  EXPECT_EQ(screen.levels.back(), 0.0f);
  EXPECT_EQ(vwIntervalsStable, 0);
  EXPECT_EQ(oldAccelerationX, 0.0);
  EXPECT_EQ(screen.snaps.size(), 2u);
}

TEST_F(Steadiness, IdleClearsTheSumsAndHeldLetsThemGrowWhileTicksChangeNothing) {
  accelDelta = 0.25f;
  vwIntervalsStable = 3;
  FakeScreen screen;
  MovementSums sums{0.5f, 0.5f, 0.5f};
  steadinessSample(sums, 0, -1, 0, screen);  // idle: disarmed
  steadinessTick(sums, screen);
  EXPECT_EQ(sums.dy, 0.0f);
  // Held: armed (-1 as the overlay stores it) with the meter disabled. The
  // first sample is measured from launch's 0.0, so gravity counts as movement.
  vbAccelerometerOn = -1;
  screen.disabled = true;
  steadinessSample(sums, 0, -1, 0, screen);
  steadinessSample(sums, 0.1, -1, 0, screen);
  steadinessTick(sums, screen);
  EXPECT_TRUE(screen.levels.empty());
  EXPECT_EQ(vwIntervalsStable, 3);
  // Counting: the first tick shows everything since the meter was disabled.
  screen.disabled = false;
  steadinessTick(sums, screen);
  EXPECT_EQ(screen.levels, std::vector<float>{0.625f});
  // After a pause the first sample is measured from the last one taken while armed.
  vbAccelerometerOn = 0;
  steadinessSample(sums, 0.1, -0.5, 0, screen);
  vbAccelerometerOn = 1;
  steadinessSample(sums, 0.1, -0.5, 0, screen);
  EXPECT_FLOAT_EQ(sums.dy, 0.5f);
}

TEST_F(Steadiness, TheLaunchedApplicationFollowsScriptedMotionOntoTheMeter) {
  auto app = launch();
  auto meter = app->rootViewController()->stabilizeMeter();
  meter->setProgress(0.5f);
  loop().runFor(1.0);  // idle after launch: the sums stay 0, ticks change nothing
  EXPECT_EQ(app->accelerationSums().dy, 0.0f);
  EXPECT_EQ(meter->progress(), 0.5f);

  vbAccelerometerOn = 1;  // as the overlay arms it
  loop().runFor(0.3);
  EXPECT_GT(meter->progress(), 0.6f) << "gravity against launch's 0.0";
  loop().runFor(2.1);
  EXPECT_EQ(meter->progress(), 0.0f);
  EXPECT_EQ(vwIntervalsStable, 7);  // no overlay yet to fire and reset it
  UIAccelerometer::sharedAccelerometer().setMotion(MotionScript::shaking());
  loop().runFor(0.3);
  EXPECT_GT(meter->progress(), 0.2f);
  EXPECT_EQ(vwIntervalsStable, 0);
}

}  // namespace
}  // namespace holdstill
