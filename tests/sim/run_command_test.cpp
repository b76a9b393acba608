// holdstill run as a user runs it: scenario errors, and whole runs with
// their camera roll, settings, opened addresses and screenshots.
#include "platform/graphics/cg_image.h"
#include "platform/graphics/image_codec.h"
#include "tests/exif/support/command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
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
      {"album.json", R"({"album": {"failAt": [0]}})", "album.failAt[0]: expected a save number from 1"},
      {"top.json", "[1, 2]", "(whole file): expected an object"},
  };
  for (const auto& c : cases) {
    const std::string file = write(dir, c.name, c.text);
    const CommandResult r = holdstill({"run", file});
    EXPECT_EQ(r.status, 2) << r.command;
    EXPECT_EQ(r.out, "") << r.command;
    EXPECT_EQ(r.err, "holdstill: " + file + ": " + c.message + "\n") << r.command;
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
  const CommandResult r = holdstill({"run", "--device", dir + "/phone", "--screenshots", dir + "/shots"});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("shutter pressed (touch)"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("shutter pressed (steady shot)"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("help shown"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("the application quit with status 0"), std::string::npos) << r.out;
  // Both pictures carry a position on the Champ de Mars walk.
  EXPECT_NE(r.out.find(": 2 pictures\n  IMG_0001.JPG  48.85"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\n  IMG_0002.JPG  48.85"), std::string::npos) << r.out;
  EXPECT_EQ(readFile(dir + "/phone/private/var/mobile/Library/OpenedURLs.txt"), "http://holdstill.app\n");

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

TEST(RunCommand, TimeRunningOutEndsTheRunWithZeroAndTheScreenshotsShowTheAlert) {
  const std::string dir = exif_testing::freshDirectory("run-timeout");
  const std::string file = write(dir, "wait.json", R"({"screenshots": [2], "until": 3})");
  const CommandResult r = holdstill({"run", file, "--screenshots", dir + "/shots"});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
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

}  // namespace
