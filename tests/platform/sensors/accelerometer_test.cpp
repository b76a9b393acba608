// The simulated accelerometer: recorded traces, delivery, and the scripted motions.
#include "platform/sensors/accelerometer.h"
#include "tests/platform/device_fixture.h"

#include <cmath>

namespace platform {
namespace {

using Accelerometer = testsupport::DeviceTest;

TEST(MotionTrace, ReadsRowsSkippingCommentsBlankLinesAndTheHeader) {
  const auto trace = MotionTrace::parse("# by hand\r\nt,x,y,z\n\n0, 0.5, -1, 0\n  1.0,1.5,-2,4  \n", "h.csv");
  ASSERT_EQ(trace.rows().size(), 2u);
  EXPECT_EQ(trace.duration(), 1.0);
  EXPECT_DOUBLE_EQ(trace.at(0.25).y, -1.25);  // linear between rows
  EXPECT_EQ(trace.at(-3).x, 0.5);             // held before the first and after the last
  EXPECT_EQ(trace.at(9).z, 4);
  EXPECT_EQ(MotionTrace::parse(MotionTrace::toCSV(trace.rows()), "again").at(1).y, -2);
}

TEST(MotionTrace, TimesCountFromTheFirstRowAfterAByteOrderMark) {
  const auto trace = MotionTrace::parse("\xEF\xBB\xBFt,x,y,z\n100,1,0,0\n100.5,3,0,0\n", "uptime.csv");
  EXPECT_EQ(trace.rows().front().t, 0);
  EXPECT_EQ(trace.duration(), 0.5);
  EXPECT_EQ(trace.at(0).x, 1);  // the first row plays at once, not after 100 s of its values
  EXPECT_EQ(trace.at(0.25).x, 2);
}

TEST(MotionTrace, BadRowsAreReportedWithTheirLine) {
  const std::pair<const char*, const char*> cases[] = {
      {"# c\n0,0,0,0\n1,0,0\n", "t.csv: line 3: expected 4 values (t,x,y,z), found 3"},
      {"0,0,abc,0\n", "t.csv: line 1: y value 'abc' is not a finite decimal number"},
      {"0,nan,0,0\n", "t.csv: line 1: x value 'nan' is not a finite decimal number"},
      {"-0.5,0,0,0\n", "t.csv: line 1: time -0.5 is negative"},
      {"0,0,0,0\n0.5,0,0,0\n0.5,1,1,1\n", "t.csv: line 3: time 0.5 does not come after the previous row's 0.5"},
      {"t,x,y,z\n\n", "t.csv: no samples (expected rows of t,x,y,z)"},
      {"5,0,0,0\n86405,0,0,0\n86405.5,0,0,0\n",
       "t.csv: line 3: the log lasts more than 86400 s (a day) from its first row; a phone recording is shorter"},
  };
  for (const auto& [text, message] : cases) {
    try {
      MotionTrace::parse(text, "t.csv");
      ADD_FAILURE() << "accepted: " << text;
    } catch (const MotionTraceError& e) {
      EXPECT_EQ(std::string(e.what()), message);
    }
  }
  EXPECT_THROW(MotionTrace::load("/nonexistent/still.csv"), MotionTraceError);
}

class Recorder : public UIAccelerometerDelegate {
 public:
  void accelerometerDidAccelerate(UIAccelerometer&, const UIAcceleration& a) override { times.push_back(a.timestamp); }
  std::vector<double> times;
};

TEST_F(Accelerometer, DeliversSamplesAtTheUpdateIntervalWhileItHasADelegate) {
  auto recorder = std::make_shared<Recorder>();
  UIAccelerometer& accelerometer = UIAccelerometer::sharedAccelerometer();
  loop().runFor(0.5);
  accelerometer.setDelegate(recorder);
  accelerometer.setUpdateInterval(0.25);
  loop().runFor(1.0);
  accelerometer.setDelegate({});
  loop().runFor(1.0);
  EXPECT_EQ(recorder->times, (std::vector<double>{0.75, 1.0, 1.25, 1.5}));
}

TEST_F(Accelerometer, StillIsGravityWithATinyNoiseTheSameForASeedAndShakingIsNot) {
  const auto still = MotionScript::still(3), shaking = MotionScript::shaking(3);
  double stillMoves = 0, shakingMoves = 0;
  for (double t = 0.1; t < 3; t += 1 / 30.0) {
    const auto v = still.at(t);
    EXPECT_NEAR(v.y, -1, 0.001);
    EXPECT_EQ(v.x, MotionScript::still(3).at(t).x);
    stillMoves += std::fabs(v.z - still.at(t - 1 / 30.0).z);
    shakingMoves += std::fabs(shaking.at(t).z - shaking.at(t - 1 / 30.0).z);
  }
  EXPECT_NE(still.at(0.5).x, MotionScript::still(4).at(0.5).x);
  EXPECT_LT(stillMoves / 10, 0.02);    // per 0.3 s
  EXPECT_GT(shakingMoves / 10, 0.5);
}

TEST_F(Accelerometer, TheMotionSwitchesAtTheGivenTimeAndATraceStartsThere) {
  UIAccelerometer& accelerometer = UIAccelerometer::sharedAccelerometer();
  accelerometer.setMotionAt(2.0, MotionScript::trace(MotionTrace::parse("0,5,0,0\n1,7,0,0\n", "t")));
  EXPECT_NEAR(accelerometer.sampleAt(1.9).y, -1, 0.001);  // still until then
  EXPECT_EQ(accelerometer.sampleAt(2.5).x, 6);
  loop().runFor(10);
  accelerometer.setMotion(MotionScript::still());
  EXPECT_EQ(accelerometer.sampleAt(9.9).x, 7);
  EXPECT_NEAR(accelerometer.sampleAt(10).x, 0, 0.001);
}

}  // namespace
}  // namespace platform
