// Whole scenarios played in this process (so ThreadSanitizer sees the save
// workers and the main thread meet): two quick geotagged shots.
#include "sim/commands.h"
#include "tests/exif/support/command.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

int count(const std::string& text, const std::string& part) {
  int n = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST(RunScenario, TwoQuickShotsAreSavedOneAfterTheOtherEachWithItsFix) {
  const std::string dir = exif_testing::freshDirectory("run-two-shots");
  std::ofstream(dir + "/two.json") << R"({
    "settings": {"LASTVERSION": "1.0"},
    "gps": {"fixes": [{"at": 0.5, "lat": 48.8584, "lon": 2.2945, "alt": 35},
                      {"at": 5.8, "lat": -33.8568, "lon": 151.2153, "alt": -4}]},
    "events": [{"at": 2, "tap": [200, 240]}, {"at": 9, "tap": [200, 240]},
               {"at": 14, "cancelCamera": true}],
    "until": 30})";
  std::ostringstream out, err;
  const int status =
      holdstill::sim::runCommandLine({"run", dir + "/two.json", "--device", dir + "/phone"}, out, err);
  ASSERT_EQ(status, 0) << out.str() << err.str();
  const std::string log = out.str();
  EXPECT_EQ(count(log, "shutter pressed (touch)"), 2) << log;
  EXPECT_NE(log.find("  100APPLE/IMG_0001.JPG  48.858400 N, 2.294500 E, alt 35.0 m\n"), std::string::npos) << log;
  EXPECT_NE(log.find("  100APPLE/IMG_0002.JPG  33.856800 S, 151.215300 E, alt -4.0 m\n"), std::string::npos) << log;
  EXPECT_NE(log.find("exit status 0\n"), std::string::npos) << log;
}

// An album quicker than the camera's closing flip, one that fails and one
// that writes elsewhere: each picture is saved in the camera roll (the
// failed one by the application itself), each fault is logged, and the
// camera comes back after every shot.
TEST(RunScenario, AQuickFailingOrStrayingAlbumLosesNoPictureAndTheCameraAlwaysComesBack) {
  const std::string dir = exif_testing::freshDirectory("run-album-faults");
  std::ofstream(dir + "/faults.json") << R"({
    "settings": {"LASTVERSION": "1.0"},
    "gps": {"fixes": [{"at": 0.5, "lat": 48.8584, "lon": 2.2945, "alt": 35}]},
    "album": {"seconds": 0.05, "failAt": [1], "elsewhereAt": [2]},
    "events": [{"at": 2, "tap": [200, 240]}, {"at": 6, "tap": [200, 240]}, {"at": 10, "tap": [200, 240]},
               {"at": 14, "cancelCamera": true}],
    "until": 30})";
  std::ostringstream out, err;
  const int status =
      holdstill::sim::runCommandLine({"run", dir + "/faults.json", "--device", dir + "/phone"}, out, err);
  const std::string log = out.str();
  ASSERT_EQ(status, 0) << log << err.str();
  EXPECT_EQ(count(log, "camera opened"), 4) << log;
  for (const char* line : {"album: save 1 failed: Write busy",
                           "picture rescued: 100APPLE/IMG_0001.JPG at 48.858400 N, 2.294500 E, alt 35.0 m; "
                           "the album failed (Write busy)",
                           "album: save 2 written outside the camera roll: 101APPLE/IMG_0001.JPG",
                           "picture saved: 100APPLE/IMG_0002.JPG at 48.858400 N",
                           "picture saved: 100APPLE/IMG_0003.JPG at 48.858400 N",
                           ": 4 pictures\n", "\n  101APPLE/IMG_0001.JPG  no GPS position\n",
                           "\nshutter presses 3: pictures saved 3 (rescued 1), lost 0\n"})
    EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
}

}  // namespace
