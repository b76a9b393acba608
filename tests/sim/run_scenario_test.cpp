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
  EXPECT_NE(log.find("  IMG_0001.JPG  48.858400 N, 2.294500 E, alt 35.0 m\n"), std::string::npos) << log;
  EXPECT_NE(log.find("  IMG_0002.JPG  33.856800 S, 151.215300 E, alt -4.0 m\n"), std::string::npos) << log;
  EXPECT_NE(log.find("exit status 0\n"), std::string::npos) << log;
}

}  // namespace
