// Whole scenarios played in this process (so ThreadSanitizer sees the save
// workers and the main thread meet): quick geotagged shots, a faulty album.
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

// Three shots with an album quicker than the camera's closing flip, which
// fails the first save and writes the second elsewhere: each picture keeps
// the fix held when it was taken, lands in the camera roll (the first one
// written by the application itself), each fault is logged, and the camera
// comes back after every shot.
TEST(RunScenario, QuickShotsKeepTheirFixesAndTheCameraComesBackWhateverTheAlbumDoes) {
  const std::string dir = exif_testing::freshDirectory("run-album-faults");
  std::ofstream(dir + "/faults.json") << R"({
    "settings": {"LASTVERSION": "1.0"},
    "gps": {"fixes": [{"at": 0.5, "lat": 48.8584, "lon": 2.2945, "alt": 35},
                      {"at": 5.8, "lat": -33.8568, "lon": 151.2153, "alt": -4}]},
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
  for (const char* line : {"album: save 1 failed: Write busy\n",
                           "picture rescued: 100APPLE/IMG_0001.JPG at 48.858400 N, 2.294500 E, alt 35.0 m; "
                           "the album failed (Write busy)\n",
                           "album: save 2 written outside the camera roll: 101APPLE/IMG_0001.JPG\n",
                           ": 4 pictures\n", "\n  100APPLE/IMG_0001.JPG  48.858400 N, 2.294500 E, alt 35.0 m\n",
                           "\n  100APPLE/IMG_0002.JPG  33.856800 S, 151.215300 E, alt -4.0 m\n",
                           "\n  100APPLE/IMG_0003.JPG  33.856800 S, 151.215300 E, alt -4.0 m\n",
                           "\n  101APPLE/IMG_0001.JPG  no GPS position\n",
                           "\nshutter presses 3: pictures saved 3 (rescued 1), lost 0\n"})
    EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
}

}  // namespace
