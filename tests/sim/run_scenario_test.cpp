// Whole scenarios played in this process (so ThreadSanitizer sees the save
// workers and the main thread meet): quick geotagged shots, a faulty album;
// and the phone's start time a scenario names.
#include "platform/device/device.h"
#include "platform/sensors/accelerometer.h"
#include "sim/commands.h"
#include "sim/phone_session.h"
#include "sim/scenario.h"
#include "tests/sim/sim_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>

namespace holdstill::simtest {
namespace {

// Three shots with an album quicker than the camera's closing flip, which
// fails the first save and writes the second elsewhere: each picture keeps
// the fix held when it was taken, lands in the camera roll (the first one
// written by the application itself), each fault is logged, and the camera
// comes back after every shot.
TEST(RunScenario, QuickShotsKeepTheirFixesAndTheCameraComesBackWhateverTheAlbumDoes) {
  const TempFolder dir("run-album-faults");
  const std::string scenario = dir.write("faults.json", R"({
    "settings": {"LASTVERSION": "1.0"},
    "gps": {"fixes": [{"at": 0.5, "lat": 48.8584, "lon": 2.2945, "alt": 35},
                      {"at": 5.8, "lat": -33.8568, "lon": 151.2153, "alt": -4}]},
    "album": {"seconds": 0.05, "failAt": [1], "elsewhereAt": [2]},
    "events": [{"at": 2, "tap": [200, 240]}, {"at": 6, "tap": [200, 240]}, {"at": 10, "tap": [200, 240]},
               {"at": 14, "cancelCamera": true}],
    "until": 30})");
  std::ostringstream out, err;
  const int status = holdstill::sim::runCommandLine({"run", scenario, "--device", dir.path() + "/phone"}, out, err);
  const std::string log = out.str();
  ASSERT_EQ(status, 0) << log << err.str();
  EXPECT_EQ(count(log, "camera opened"), 4) << log;
  EXPECT_EQ(missing(log, {"album: save 1 failed: Write busy\n",
                          "picture rescued: 100APPLE/IMG_0001.JPG at 48.858400 N, 2.294500 E, alt 35.0 m; "
                          "the album failed (Write busy)\n",
                          "album: save 2 written outside the camera roll: 101APPLE/IMG_0001.JPG\n",
                          ": 4 pictures\n", "\n  100APPLE/IMG_0001.JPG  48.858400 N, 2.294500 E, alt 35.0 m\n",
                          "\n  100APPLE/IMG_0002.JPG  33.856800 S, 151.215300 E, alt -4.0 m\n",
                          "\n  100APPLE/IMG_0003.JPG  33.856800 S, 151.215300 E, alt -4.0 m\n",
                          "\n  101APPLE/IMG_0001.JPG  no GPS position\n",
                          "\nshutter presses 3: pictures saved 3 (rescued 1), lost 0\n"}),
            "")
      << log;
}

// A still phone reads one g pointing down in its own frame, whichever way it is held.
TEST(RunScenario, EachHoldReadsOneGravityDownwardInThePhonesFrame) {
  const TempFolder dir("holds");
  const auto scenario = sim::parseScenario(R"({"motion": [
    {"from": 0, "to": 1, "still": true}, {"from": 1, "to": 2, "still": true, "orientation": "landscapeLeft"},
    {"from": 2, "to": 3, "still": true, "orientation": "landscapeRight"},
    {"from": 3, "to": 4, "still": true, "orientation": "upsideDown"},
    {"from": 4, "to": 5, "still": true, "orientation": "faceUp"}]})", dir.path() + "/holds.json");
  sim::bootPhone(scenario, dir.path() + "/phone");
  const double down[][3] = {{0, -1, 0}, {-1, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, -1}};
  for (int hold = 0; hold < 5; ++hold) {
    const auto g = platform::UIAccelerometer::sharedAccelerometer().sampleAt(hold + 0.5);
    EXPECT_NEAR(g.x, down[hold][0], 0.01) << hold;
    EXPECT_NEAR(g.y, down[hold][1], 0.01) << hold;
    EXPECT_NEAR(g.z, down[hold][2], 0.01) << hold;
  }
  platform::Device::setCurrent(nullptr);
}

TEST(ScenarioStart, ALocalTimeIsTheSecondsSince1970InUtc) {
  // Days 1 to 32 of every month of common and leap years, against the C
  // library's calendar, which moves a day past a month's end into the next.
  for (int year : {1970, 1999, 2000, 2023, 2024, 2100, 9999}) {
    for (int month = 1; month <= 12; ++month) {
      for (int day = 1; day <= 32; ++day) {
        std::tm tm{};
        tm.tm_year = year - 1900, tm.tm_mon = month - 1, tm.tm_mday = day;
        tm.tm_hour = 23, tm.tm_min = 59, tm.tm_sec = 59;
        const auto seconds = static_cast<double>(timegm(&tm));
        char text[32];
        std::snprintf(text, sizeof text, "%04d-%02d-%02dT23:59:59", year, month, day);
        EXPECT_EQ(sim::parseLocalTime(text, 0), tm.tm_mday == day ? std::optional(seconds) : std::nullopt) << text;
      }
    }
  }
  const std::tuple<const char*, int, std::optional<double>> cases[] = {  // local time, UTC offset in minutes
      {"2010-06-15T14:00:00", 120, 1276603200},  // 12:00 UTC
      {"2000-02-29T23:59:59", -60, 951872399},  // 00:59:59 UTC, the next day
      {"2016-12-31T23:59:60", 0, std::nullopt},  // a clock shows no leap second
      {"2016-12-31T24:00:00", 0, std::nullopt},
      {"1969-12-31T23:59:59", 0, std::nullopt},  // the phone's clock starts in 1970
  };
  for (const auto& [text, offset, seconds] : cases) EXPECT_EQ(sim::parseLocalTime(text, offset), seconds) << text;
}

}  // namespace
}  // namespace holdstill::simtest
