// holdstill run as a user runs it: scenario errors, and whole runs with
// their camera roll, settings, opened addresses and screenshots.
#include "platform/graphics/cg_image.h"
#include "platform/graphics/image_codec.h"
#include "tests/sim/sim_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace holdstill::simtest {
namespace {

namespace fs = std::filesystem;
using exif_testing::CommandResult;

platform::CGImageRef picture(const fs::path& png) {
  const std::string bytes = readFile(png);
  return platform::decodeImage(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}

TEST(RunCommand, AScenarioThatCannotBeReadGetsOneLineNamingTheFileAndTheField) {
  const TempFolder dir("run-errors");
  const std::string& d = dir.path();
  const std::tuple<std::string, std::string, std::string> cases[] = {  // file, its text, the message
      {"syntax.json", "{\"until\": ", "(whole file): not valid JSON at byte 11"},
      {"kind.json", R"({"motion": [{"from": 1, "to": 2, "shake": "hard"}]})", "motion[0].shake: expected a number"},
      {"trace.json", R"({"motion": [{"from": 1, "trace": "gone.csv"}]})",
       "motion[0].trace: no such file: " + d + "/gone.csv"},
      {"typo.json", R"({"events": [{"at": 1, "tapp": [1, 2]}]})", "events[0].tapp: unknown field"},
      {"two.json", R"({"events": [{"at": 1, "tap": [1, 2], "touchAlert": true}]})",
       "events[0]: expected one of tap, tapAlertButton, touchAlert, tapLink or cancelCamera"},
      {"offscreen.json", R"({"events": [{"at": 1, "tap": [400, 2]}]})",
       "events[0].tap: expected a point on the 320 x 480 screen"},
      {"start.json", R"({"device": {"start": "2010-02-30T10:00:00"}})",
       "device.start: expected a local time YYYY-MM-DDTHH:MM:SS, not '2010-02-30T10:00:00'"},
      {"gpx.json", R"({"gps": {"gpx": "none.gpx"}})", "gps.gpx: no such file: " + d + "/none.gpx"},
      {"lat.json", R"({"gps": {"fixes": [{"at": 1, "lat": 91, "lon": 0}]}})",
       "gps.fixes[0].lat: expected a number from -90 to 90"},
      {"alt.json", R"({"gps": {"fixes": [{"at": 1, "lat": 0, "lon": 0, "alt": -12000.5}]}})",
       "gps.fixes[0].alt: expected a number from -12000 to 100000"},
      {"album.json", R"({"album": {"failAt": [0]}})", "album.failAt[0]: expected a whole number from 1 to 1000000"},
      {"top.json", "[1, 2]", "(whole file): expected an object"},
      // Numbers beyond what they are read into are refused, not wrapped.
      {"huge.json", R"({"gps": {"fixes": [{"lat": 1, "lon": 2}, {"lat": 1, "lon": 2, "alt": 1e400}]}})",
       "gps.fixes[1].alt: a number too large"},
      {"list.json", R"({"album": {"failAt": [1, 1e400]}})", "album.failAt[1]: a number too large"},
      {"wrap.json", R"({"device": {"utcOffsetMinutes": 18446744073709551615}})",
       "device.utcOffsetMinutes: expected a whole number from -840 to 840"},
      {"code.json", R"({"gps": {"errors": [{"code": 18446744073709551615}]}})",
       "gps.errors[0].code: expected a whole number from -1000000 to 1000000"},
      // Settings: only the keys the application reads, with their types.
      {"setting.json", R"({"settings": {"RECORDGSP": false}})", "settings.RECORDGSP: unknown field"},
      {"settype.json", R"({"settings": {"SENSITIVITY": "high"}})", "settings.SENSITIVITY: expected a whole number"},
      {"picture.json", R"({"camera": {"pictures": [{"file": "empty.jpg"}]}})",
       "camera.pictures[0].file: " + d + "/empty.jpg: not a PNG or JPEG picture we can read (neither PNG nor JPEG)"},
      {"none.json", "", "(whole file): no such file"},
      {"big.json", "", "(whole file): larger than 16 MB"},  // one byte more, sparse
  };
  dir.write("empty.jpg", "");
  for (const auto& [name, text, message] : cases) {
    const std::string file = name == "none.json" ? d + "/none.json" : dir.write(name, text);
    if (name == "big.json") fs::resize_file(file, 16u * 1024 * 1024 + 1);
    const CommandResult r = holdstill({"run", file});
    EXPECT_EQ(r.status, 2) << r.command;
    EXPECT_EQ(r.out, "") << r.command;
    EXPECT_EQ(r.err, "holdstill: " + file + ": " + message + "\n") << r.command;
  }
}

// The built-in tour, as `make run` plays it; then a second launch of the
// same phone, which keeps its settings and goes straight to the camera.
TEST(RunCommand, TheBuiltInScenarioLeavesTwoGeotaggedShotsAndAPhoneThatSkipsTheWelcomeNextTime) {
  const TempFolder dir("run-default");
  // A device folder keeps the addresses opened on earlier runs.
  const std::string library = dir.path() + "/phone/private/var/mobile/Library";
  fs::create_directories(library);
  std::ofstream(library + "/OpenedURLs.txt") << "http://earlier.example\n";
  const CommandResult r = holdstill({"run", "--device", dir.path() + "/phone", "--screenshots", dir.path() + "/shots",
                                     "--report", dir.path() + "/report"});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  // Both pictures carry a position on the Champ de Mars walk.
  EXPECT_EQ(missing(r.out, {"alert shown: \"Welcome to Holdstill v1.0\"", "shutter pressed (touch)",
                            "shutter pressed (steady shot)", "help shown",
                            ": 2 pictures\n  100APPLE/IMG_0001.JPG  48.85", "\n  100APPLE/IMG_0002.JPG  48.85",
                            "\nshutter presses 2: pictures saved 2 (rescued 0), lost 0\n",
                            "tap on the camera's cancel button", "the application quit with status 0",
                            "exit status 0\n"}),
            "")
      << r.out;
  EXPECT_EQ(readFile(library + "/OpenedURLs.txt"), "http://earlier.example\nhttp://holdstill.app\n");

  // A screenshot at each scheduled time and at each step, named after it;
  // what they show is the platform's drawing, tested with the platform.
  std::set<std::string> shots;  // after their number (and time, but for scheduled ones)
  for (const auto& entry : fs::directory_iterator(dir.path() + "/shots")) {
    const std::string name = entry.path().filename().string();
    shots.insert(name.substr(name.find("scheduled") == std::string::npos ? 13 : 4));
  }
  for (const char* shot : {"steady-mode-on.png", "camera-opened.png", "help-shown.png", "0010.500-scheduled.png",
                           "picture-saved-100APPLE-IMG-0001-JPG-at-4.png"})  // letters and digits only, cut at 40
    EXPECT_TRUE(shots.contains(shot)) << shot << "\n" << r.out;

  // The report shows each screen the run went through, a screen that did
  // not change between two lines once, and both pictures.
  const std::string report = readFile(dir.path() + "/report/index.html");
  const auto screens = std::distance(fs::directory_iterator(dir.path() + "/report/screens"), fs::directory_iterator());
  EXPECT_GE(screens, 5);
  EXPECT_LT(screens, count(report, "<img src=\"screens/"));
  // Taken at the phone's local time, two hours east of UTC: 14:30 and some seconds.
  EXPECT_EQ(missing(report, {"IMG_0001.JPG", "IMG_0002.JPG", "exit status 0", "2010:06:15 14:30:07",
                             "<td class=\"time\">0.000 s</td>"}),
            "");
  // Its summary is what the run said after the events, not what it opened with.
  const std::string summary = report.substr(report.find("<h2 id=\"summary\">"));
  EXPECT_NE(summary.find("shutter presses 2: pictures saved 2"), std::string::npos) << summary;
  EXPECT_EQ(summary.find("phone: iPhone"), std::string::npos) << summary;

  const CommandResult again = holdstill(
      {"run", dir.write("again.json", R"({"events": [{"at": 4, "cancelCamera": true}], "until": 30})"), "--device",
       dir.path() + "/phone"});
  ASSERT_EQ(again.status, 0) << again.out << again.err;
  EXPECT_EQ(again.out.find("alert shown"), std::string::npos) << again.out;
  EXPECT_NE(again.out.find("camera opened"), std::string::npos) << again.out;
}

// The device folder a run makes for itself, as its second line names it.
std::string temporaryPhone(const std::string& out) {
  const std::string mark = "device folder ";
  const auto at = out.find(mark), end = out.find(" (removed at the end)");
  if (at == std::string::npos) return {};
  return out.substr(at + mark.size(), (end == std::string::npos ? out.find('\n', at) : end) - at - mark.size());
}

TEST(RunCommand, TimeRunningOutEndsTheRunWithZeroAndTheScreenshotsShowTheAlert) {
  const TempFolder dir("run-timeout");
  const std::string file = dir.write("wait.json", R"({"screenshots": [2], "until": 3})");
  const CommandResult r = holdstill({"run", file, "--screenshots", dir.path() + "/shots"});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(missing(r.out, {"time ran out at 3 s", "camera roll ", ": 0 pictures\n"}), "") << r.out;
  ASSERT_NE(temporaryPhone(r.out), "") << r.out;
  EXPECT_FALSE(fs::exists(temporaryPhone(r.out))) << "the temporary phone is removed";
  const CommandResult kept = holdstill({"run", file, "--keep-device"});
  ASSERT_EQ(kept.status, 0) << kept.err;
  EXPECT_TRUE(fs::is_directory(temporaryPhone(kept.out))) << kept.out;
  fs::remove_all(temporaryPhone(kept.out));

  // The alert's screenshot: the alert panel lies over the splash in the
  // middle of the screen; the last one, when the time ran out, shows the
  // screen as it then was.
  std::vector<fs::path> shots;
  for (const auto& entry : fs::directory_iterator(dir.path() + "/shots")) shots.push_back(entry.path());
  std::sort(shots.begin(), shots.end());
  ASSERT_GE(shots.size(), 2u);
  EXPECT_NE(shots.front().filename().string().find("alert-shown"), std::string::npos) << shots.front();
  EXPECT_NE(shots.back().filename().string().find("time-ran-out"), std::string::npos) << shots.back();
  const auto image = picture(shots.front());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(std::pair(image->width(), image->height()), std::pair(320, 480));
  EXPECT_NE(image->colorAt(160, 240), image->colorAt(2, 470)) << "the alert is drawn over the screen";
  EXPECT_EQ(picture(shots.back())->pixels(), image->pixels());
}

// The log and the exit status of runs whose pictures meet a read-only
// phone (the album and the application both fail, the user is told, the
// run ends with 1) or a device that is not a phone (the picker is the
// photo library).
TEST(RunCommand, TheLogAndTheExitStatusTellWhatBecameOfThePictures) {
  const struct {
    const char* name;
    const char* scenario;
    int status, cameraOpened;
    std::vector<std::string> present, absent;
    const char* err;
  } cases[] = {
      {"read-only", R"({"device": {"readOnly": true}, "settings": {"LASTVERSION": "1.0"}, "album": {"seconds": 0.05},
         "events": [{"at": 2, "tap": [200, 240]}, {"at": 8, "tapAlertButton": 0}, {"at": 9, "cancelCamera": true}],
         "until": 30})",
       1, 2,
       {"album: save 1 failed: cannot create folder", "picture lost: the album failed (cannot create folder",
        "alert shown: \"Holdstill\" \"The picture could not be saved: ",
        "shutter presses 1: pictures saved 0 (rescued 0), lost 1\n", "exit status 1\n"},
       {},
       "holdstill: 1 picture lost\n"},
      {"tablet", R"({"device": {"model": "Tablet"}, "settings": {"LASTVERSION": "1.0"},
         "events": [{"at": 1, "touchAlert": true}, {"at": 4, "tap": [200, 240]}, {"at": 6, "cancelCamera": true}],
         "until": 30})",
       0, 0,
       {"photo library opened", "touch on the photo library: it has no shutter",
        "tap on the photo library's Cancel button", "the application quit with status 0",
        "shutter presses 0: pictures saved 0 (rescued 0), lost 0"},
       {"camera closed", "shutter pressed"},
       ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TempFolder dir(c.name);
    const CommandResult r = holdstill({"run", dir.write("scenario.json", c.scenario)});
    EXPECT_EQ(r.status, c.status) << r.out << r.err;
    EXPECT_EQ(missing(r.out, c.present), "") << r.out;
    for (const std::string& line : c.absent) EXPECT_EQ(r.out.find(line), std::string::npos) << line;
    EXPECT_EQ(count(r.out, "camera opened"), c.cameraOpened) << "the camera comes back after a lost picture";
    EXPECT_EQ(r.err.rfind(c.err, 0), 0u) << r.err;  // a sanitizer may add its report
  }
}

TEST(RunCommand, EveryCommandsHelpPrintsTheUsageAndEndsWithZero) {
  for (const char* command : {"run", "trace-steadiness", "record-motion", "compose", "replay-gps"}) {
    const CommandResult r = holdstill({command, "--help"});
    EXPECT_EQ(r.status, 0) << r.command;
    EXPECT_EQ(r.out.rfind("usage: holdstill run", 0), 0u) << r.command;
    EXPECT_EQ(r.err, "");
  }
}

}  // namespace
}  // namespace holdstill::simtest
