// holdstill run as a user runs it: scenario errors, and whole runs with
// their camera roll, settings, opened addresses and screenshots.
#include "platform/graphics/cg_image.h"
#include "platform/graphics/image_codec.h"
#include "tests/exif/support/command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <algorithm>
#include <fstream>
#include <sstream>

namespace {

using exif_testing::CommandResult;
namespace fs = std::filesystem;

CommandResult holdstill(std::vector<std::string> args) {
  args.insert(args.begin(), HOLDSTILL_BINARY);
  return exif_testing::runCommand(args);
}

std::string write(const std::string& dir, const std::string& name, const std::string& text) {
  std::ofstream(dir + "/" + name) << text;
  return dir + "/" + name;
}

std::string readFile(const fs::path& path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(RunCommand, AScenarioThatCannotBeReadGetsOneLineNamingTheFileAndTheField) {
  const std::string dir = exif_testing::freshDirectory("run-errors");
  const struct {
    std::string name, text, message;
  } cases[] = {
      {"syntax.json", "{\"until\": ", "(whole file): not valid JSON at byte 11"},
      {"kind.json", R"({"motion": [{"from": 1, "to": 2, "shake": "hard"}]})", "motion[0].shake: expected a number"},
      {"trace.json", R"({"motion": [{"from": 1, "trace": "gone.csv"}]})",
       "motion[0].trace: no such file: " + dir + "/gone.csv"},
      {"typo.json", R"({"events": [{"at": 1, "tapp": [1, 2]}]})", "events[0].tapp: unknown field"},
      {"two.json", R"({"events": [{"at": 1, "tap": [1, 2], "touchAlert": true}]})",
       "events[0]: expected one of tap, tapAlertButton, touchAlert, tapLink or cancelCamera"},
      {"offscreen.json", R"({"events": [{"at": 1, "tap": [400, 2]}]})",
       "events[0].tap: expected a point on the 320 x 480 screen"},
      {"start.json", R"({"device": {"start": "2010-02-30T10:00:00"}})",
       "device.start: expected a local time YYYY-MM-DDTHH:MM:SS, not '2010-02-30T10:00:00'"},
      {"gpx.json", R"({"gps": {"gpx": "none.gpx"}})", "gps.gpx: no such file: " + dir + "/none.gpx"},
      {"lat.json", R"({"gps": {"fixes": [{"at": 1, "lat": 91, "lon": 0}]}})",
       "gps.fixes[0].lat: expected a number from -90 to 90"},
      {"alt.json", R"({"gps": {"fixes": [{"at": 1, "lat": 0, "lon": 0, "alt": -12000.5}]}})",
       "gps.fixes[0].alt: expected a number from -12000 to 100000"},
      {"album.json", R"({"album": {"failAt": [0]}})", "album.failAt[0]: expected a whole number from 1 to 1000000"},
      {"top.json", "[1, 2]", "(whole file): expected an object"},
      // Numbers beyond what they are read into are refused, not wrapped.
      {"huge.json", R"({"gps": {"fixes": [{"lat": 1, "lon": 2}, {"lat": 1, "lon": 2, "alt": 1e400}]}})",
       "gps.fixes[1].alt: a number too large"},
      {"wrap.json", R"({"device": {"utcOffsetMinutes": 18446744073709551615}})",
       "device.utcOffsetMinutes: expected a whole number from -840 to 840"},
      {"code.json", R"({"gps": {"errors": [{"code": 18446744073709551615}]}})",
       "gps.errors[0].code: expected a whole number from -1000000 to 1000000"},
      // Settings: only the keys the application reads, with their types.
      {"setting.json", R"({"settings": {"RECORDGSP": false}})", "settings.RECORDGSP: unknown field"},
      {"settype.json", R"({"settings": {"SENSITIVITY": "high"}})", "settings.SENSITIVITY: expected a whole number"},
      {"picture.json", R"({"camera": {"pictures": [{"file": "empty.jpg"}]}})",
       "camera.pictures[0].file: " + dir + "/empty.jpg: not a PNG or JPEG picture we can read"},
  };
  write(dir, "empty.jpg", "");
  for (const auto& c : cases) {
    const std::string file = write(dir, c.name, c.text);
    const CommandResult r = holdstill({"run", file});
    EXPECT_EQ(r.status, 2) << r.command;
    EXPECT_EQ(r.out, "") << r.command;
    EXPECT_EQ(r.err.rfind("holdstill: " + file + ": " + c.message, 0), 0u) << r.command << "\n" << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  }
  const CommandResult missing = holdstill({"run", dir + "/none.json"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.err, "holdstill: " + dir + "/none.json: (whole file): no such file\n");
}

// A first launch welcomed, then a second launch of the same phone, which
// goes straight to the camera; the user cancels each time.
TEST(RunCommand, ThePhoneKeepsItsSettingsBetweenRunsAndCancelQuitsWithZero) {
  const std::string dir = exif_testing::freshDirectory("run-twice");
  const std::string first = write(dir, "first.json", R"({
    "settings": {"RECORDGPS": false},
    "events": [{"at": 1, "tapAlertButton": 0}, {"at": 5, "cancelCamera": true}],
    "until": 30})");
  const CommandResult a = holdstill({"run", first, "--device", dir + "/phone", "--screenshots", dir + "/shots"});
  ASSERT_EQ(a.status, 0) << a.out << a.err;
  EXPECT_NE(a.out.find("alert shown: \"Welcome to Holdstill v1.0\""), std::string::npos) << a.out;
  EXPECT_NE(a.out.find("camera opened"), std::string::npos) << a.out;
  EXPECT_NE(a.out.find("tap on the camera's cancel button"), std::string::npos) << a.out;
  EXPECT_NE(a.out.find("the application quit with status 0"), std::string::npos) << a.out;
  EXPECT_NE(a.out.find("exit status 0\n"), std::string::npos) << a.out;
  EXPECT_NE(readFile(dir + "/phone/private/var/mobile/Library/Preferences/Holdstill.json").find("\"LASTVERSION\""),
            std::string::npos);

  const std::string second = write(dir, "second.json", R"({
    "events": [{"at": 4, "cancelCamera": true}], "until": 30})");
  const CommandResult b = holdstill({"run", second, "--device", dir + "/phone"});
  ASSERT_EQ(b.status, 0) << b.out << b.err;
  EXPECT_EQ(b.out.find("alert shown"), std::string::npos) << b.out;
  EXPECT_NE(b.out.find("camera opened"), std::string::npos) << b.out;
}

// The built-in tour, as `make run` plays it.
TEST(RunCommand, TheBuiltInScenarioLeavesATouchShotAndASteadyShotGeotaggedFromTheWalk) {
  const std::string dir = exif_testing::freshDirectory("run-default");
  // A device folder keeps the addresses opened on earlier runs.
  fs::create_directories(dir + "/phone/private/var/mobile/Library");
  write(dir + "/phone/private/var/mobile/Library", "OpenedURLs.txt", "http://earlier.example\n");
  const CommandResult r = holdstill({"run", "--device", dir + "/phone", "--screenshots", dir + "/shots"});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("shutter pressed (touch)"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("shutter pressed (steady shot)"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("help shown"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("the application quit with status 0"), std::string::npos) << r.out;
  // Both pictures carry a position on the Champ de Mars walk.
  EXPECT_NE(r.out.find(": 2 pictures\n  100APPLE/IMG_0001.JPG  48.85"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\n  100APPLE/IMG_0002.JPG  48.85"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\nshutter presses 2: pictures saved 2 (rescued 0), lost 0\n"), std::string::npos) << r.out;
  EXPECT_EQ(readFile(dir + "/phone/private/var/mobile/Library/OpenedURLs.txt"),
            "http://earlier.example\nhttp://holdstill.app\n");

  std::map<std::string, fs::path> shots;  // by what they show, after their number (and time, but for scheduled ones)
  for (const auto& entry : fs::directory_iterator(dir + "/shots")) {
    const std::string name = entry.path().filename().string();
    shots[name.substr(name.find("scheduled") == std::string::npos ? 13 : 4)] = entry.path();
  }
  const auto pixels = [&](const std::string& label) {
    const std::string png = readFile(shots.at(label));
    return platform::decodeImage(std::span(reinterpret_cast<const uint8_t*>(png.data()), png.size()));
  };
  // Steady mode on: the meter appears under the level button, disabled
  // (light grey) until a touch arms it; before, the picture shows there.
  ASSERT_TRUE(shots.contains("steady-mode-on.png")) << r.out;
  auto steady = pixels("steady-mode-on.png");
  auto before = pixels("camera-opened.png");
  ASSERT_NE(steady, nullptr);
  const auto cell = steady->colorAt(293, 216);  // the meter's bottom cell
  EXPECT_GT(cell.red, 200);
  EXPECT_NEAR(cell.red, cell.green, 8);
  EXPECT_NEAR(cell.green, cell.blue, 8);
  const auto sky = before->colorAt(293, 216);
  EXPECT_GT(sky.blue, sky.red + 30) << "the camera's sky where the meter will be";
  // The preview is live: at 16 s the scene (left of the meter, under the
  // buttons) no longer shows what it showed at 10.5 s.
  const auto at10 = pixels("0010.500-scheduled.png"), at16 = pixels("0016.000-scheduled.png");
  int changed = 0;
  for (int y = 80; y < 340; ++y)
    for (int x = 10; x < 260; ++x) changed += at10->colorAt(x, y) != at16->colorAt(x, y);
  EXPECT_GT(changed, 100);
  // The help page is white where the camera's picture is coloured.
  ASSERT_TRUE(shots.contains("help-shown.png")) << r.out;
  auto help = pixels("help-shown.png");
  const auto page = help->colorAt(300, 460);
  EXPECT_GT(page.red, 240);
  EXPECT_GT(page.green, 240);
  EXPECT_GT(page.blue, 240);
}

// The device folder a run makes for itself, as its second line names it.
std::string temporaryPhone(const std::string& out) {
  const std::string mark = "device folder ";
  const auto at = out.find(mark), end = out.find(" (removed at the end)");
  if (at == std::string::npos) return {};
  return out.substr(at + mark.size(), (end == std::string::npos ? out.find('\n', at) : end) - at - mark.size());
}

TEST(RunCommand, TimeRunningOutEndsTheRunWithZeroAndTheScreenshotsShowTheAlert) {
  const std::string dir = exif_testing::freshDirectory("run-timeout");
  const std::string file = write(dir, "wait.json", R"({"screenshots": [2], "until": 3})");
  const CommandResult r = holdstill({"run", file, "--screenshots", dir + "/shots"});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  ASSERT_NE(temporaryPhone(r.out), "") << r.out;
  EXPECT_FALSE(fs::exists(temporaryPhone(r.out))) << "the temporary phone is removed";
  const CommandResult kept = holdstill({"run", file, "--keep-device"});
  ASSERT_EQ(kept.status, 0) << kept.err;
  EXPECT_TRUE(fs::is_directory(temporaryPhone(kept.out))) << kept.out;
  fs::remove_all(temporaryPhone(kept.out));
  EXPECT_NE(r.out.find("time ran out at 3 s"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("camera roll "), std::string::npos);
  EXPECT_NE(r.out.find(": 0 pictures\n"), std::string::npos);

  // The alert's screenshot: the alert panel lies over the splash in the
  // middle of the screen.
  std::vector<fs::path> shots;
  for (const auto& entry : fs::directory_iterator(dir + "/shots")) shots.push_back(entry.path());
  std::sort(shots.begin(), shots.end());
  ASSERT_GE(shots.size(), 2u);
  EXPECT_NE(shots.front().filename().string().find("alert-shown"), std::string::npos) << shots.front();
  const std::string png = readFile(shots.front());
  auto image = platform::decodeImage(std::span(reinterpret_cast<const uint8_t*>(png.data()), png.size()));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->width(), 320);
  EXPECT_EQ(image->height(), 480);
  const auto centre = image->colorAt(160, 240);
  const auto corner = image->colorAt(2, 470);
  EXPECT_NE(centre, corner) << "the alert is drawn over the screen";
  // The last one, when the time ran out, shows the screen as it then was.
  EXPECT_NE(shots.back().filename().string().find("time-ran-out"), std::string::npos) << shots.back();
  const std::string last = readFile(shots.back());
  EXPECT_EQ(platform::decodeImage(std::span(reinterpret_cast<const uint8_t*>(last.data()), last.size()))->pixels(),
            image->pixels());
}

// A phone whose device folder cannot be written: the album and the
// application both fail, the user is told, and the run ends with 1.
TEST(RunCommand, APictureThatCannotBeWrittenIsReportedLostAndTheRunEndsWithOne) {
  const std::string dir = exif_testing::freshDirectory("run-lost");
  const std::string file = write(dir, "lost.json", R"({
    "device": {"readOnly": true}, "settings": {"LASTVERSION": "1.0"},
    "album": {"seconds": 0.05},
    "events": [{"at": 2, "tap": [200, 240]}, {"at": 8, "tapAlertButton": 0}, {"at": 9, "cancelCamera": true}],
    "until": 30})");
  const CommandResult r = holdstill({"run", file});
  EXPECT_EQ(r.status, 1) << r.out << r.err;
  EXPECT_NE(r.out.find("album: save 1 failed: cannot create folder"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("picture lost: the album failed (cannot create folder"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("alert shown: \"Holdstill\" \"The picture could not be saved: "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("camera opened"), r.out.rfind("camera opened")) << "the camera came back" << r.out;
  EXPECT_NE(r.out.find("shutter presses 1: pictures saved 0 (rescued 0), lost 1\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("exit status 1\n"), std::string::npos) << r.out;
  EXPECT_EQ(r.err.rfind("holdstill: 1 picture lost\n", 0), 0u) << r.err;  // a sanitizer may add its report
}

// Away from a phone the picker is the photo library: the log says so.
TEST(RunCommand, OnADeviceThatIsNotAPhoneTheLogTellsOfThePhotoLibrary) {
  const std::string dir = exif_testing::freshDirectory("run-tablet");
  const std::string file = write(dir, "tablet.json", R"({
    "device": {"model": "Tablet"}, "settings": {"LASTVERSION": "1.0"},
    "events": [{"at": 1, "touchAlert": true}, {"at": 4, "tap": [200, 240]}, {"at": 6, "cancelCamera": true}],
    "until": 30})");
  const CommandResult r = holdstill({"run", file});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  for (const char* line : {"photo library opened", "touch on the photo library: it has no shutter",
                           "tap on the photo library's Cancel button", "the application quit with status 0",
                           "shutter presses 0: pictures saved 0 (rescued 0), lost 0"})
    EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
  for (const char* line : {"camera opened", "camera closed", "shutter pressed"})
    EXPECT_EQ(r.out.find(line), std::string::npos) << line << "\n" << r.out;
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
