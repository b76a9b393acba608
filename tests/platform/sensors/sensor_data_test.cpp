// What the simulated sensors read: motion logs refused with the line at
// fault, and distances between fixes, as the GPS filter measures them.
#include "platform/sensors/location.h"
#include "platform/sensors/motion_trace.h"

#include <gtest/gtest.h>

#include <cmath>

namespace platform {
namespace {

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

TEST(CLLocation, MeasuresGreatCircleDistances) {
  const NSDate t = NSDate::dateWithTimeIntervalSince1970(0);
  const CLLocation zurich({47.3769, 8.5417}, 0, 5, t), paris({48.8566, 2.3522}, 0, 5, t);
  EXPECT_NEAR(zurich.distanceFromLocation(paris), 489e3, 3e3);
  EXPECT_NEAR(CLLocation({0, 0}, 0, 5, t).distanceFromLocation(CLLocation({0, 1e-5}, 0, 5, t)), 1.11, 0.01);
  EXPECT_NEAR(CLLocation({0, 179.99999}, 0, 5, t).distanceFromLocation(CLLocation({0, -179.99999}, 0, 5, t)),
              2.22, 0.01) << "across the date line";
  EXPECT_TRUE(std::isnan(CLLocation({NAN, 0}, 0, 5, t).distanceFromLocation(zurich)));
}

}  // namespace
}  // namespace platform
