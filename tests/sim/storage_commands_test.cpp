// holdstill compose and replay-gps as a user runs them: the files compose
// writes read back in exiftool; bad input gets one line naming it and
// leaves nothing behind.
#include "platform/graphics/image_codec.h"
#include "tests/sim/sim_support.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace holdstill::simtest {
namespace {

using exif_testing::CommandResult;
namespace fs = std::filesystem;

class StorageCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    // A bundle with an application thumbnail of the test's own.
    bundle_ = dir_ + "/bundle";
    fs::copy(HOLDSTILL_RESOURCES_DIR, bundle_, fs::copy_options::recursive);
    writePNG(bundle_ + "/appthumb.png", 57, 57);
    picture_ = dir_ + "/picture.png";
    writePNG(picture_, 400, 300);
  }

  static void writePNG(const std::string& path, int width, int height) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = (i % width) < size_t(width / 2) ? 0xFFE01010u : 0xFF1010E0u;
    platform::writePNGFile(platform::CGImage(width, height, std::move(pixels)), path);
  }

  CommandResult holdstill(std::vector<std::string> args, const std::string& bundle = {}) const {
    args.insert(args.begin(), {"env", "HOLDSTILL_RESOURCES=" + (bundle.empty() ? bundle_ : bundle), HOLDSTILL_BINARY});
    return exif_testing::runCommand(args);
  }

  const TempFolder folder_{"storage-commands"};
  const std::string dir_ = folder_.path();
  std::string bundle_, picture_;
};

nlohmann::json exiftool(const std::string& path) {
  const CommandResult r = exif_testing::runCommand({"exiftool", "-j", "-n", "-G1", "-a", path});
  EXPECT_EQ(r.status, 0) << r.err;
  return r.status == 0 ? nlohmann::json::parse(r.out).at(0) : nlohmann::json();
}

// The thumbnail's size is the composition test's to pin; the next test checks that compose writes one.
TEST_F(StorageCommands, ComposeWritesAGeotaggedPictureAsTheOptionsSay) {
  const std::string out = dir_ + "/out.jpg";
  const CommandResult r = holdstill({"compose", picture_, "-o", out, "--lat", "-33.8688", "--lon", "151.2093",
                                     "--alt", "-12.5", "--orientation", "right", "--model", "iPhone 3G",
                                     "--name", "Zoë", "--language", "de", "--time", "2009-12-31 23:59:59"});
  ASSERT_EQ(r.status, 0) << r.command << "\n" << r.err;
  const nlohmann::json tags = exiftool(out);
  EXPECT_EQ(tags.at("IFD0:Model"), "iPhone 3G");
  EXPECT_EQ(tags.at("IFD0:Artist"), "Camera owner, Zoe");
  EXPECT_EQ(tags.at("IFD0:ModifyDate"), "2009:12:31 23:59:59");
  EXPECT_EQ(tags.at("ExifIFD:ExifImageWidth"), 300);
  EXPECT_EQ(tags.at("ExifIFD:ExifImageHeight"), 400);
  EXPECT_EQ(tags.at("GPS:GPSLatitudeRef"), "S");
  EXPECT_NEAR(tags.at("GPS:GPSLatitude").get<double>(), 33.8688, 1e-6);
  EXPECT_EQ(tags.at("GPS:GPSLongitudeRef"), "E");
  EXPECT_EQ(tags.at("GPS:GPSAltitudeRef"), 1);
  EXPECT_NEAR(tags.at("GPS:GPSAltitude").get<double>(), 12.5, 1e-9);
  EXPECT_EQ(tags.at("IFD0:Orientation"), 6);

  // The orientation as given, else as a phone held upright (right) or sideways (--landscape: up) gives it.
  const std::pair<std::vector<std::string>, int> orientations[] = {
      {{"--landscape"}, 1}, {{}, 6}, {{"--orientation", "down"}, 3}, {{"--orientation", "left"}, 8}};
  for (const auto& [options, orientation] : orientations) {
    std::vector<std::string> args{"compose", picture_, "-o", dir_ + "/plain.jpg"};
    args.insert(args.end(), options.begin(), options.end());
    const CommandResult plain = holdstill(args);
    ASSERT_EQ(plain.status, 0) << plain.err;
    const nlohmann::json none = exiftool(dir_ + "/plain.jpg");
    EXPECT_EQ(none.at("IFD0:Orientation"), orientation) << plain.command;
    EXPECT_FALSE(none.contains("GPS:GPSLatitude")) << "no position given, no GPS tags";
  }
}

TEST_F(StorageCommands, ComposeWithoutTheApplicationThumbnailKeepsThePosition) {
  const fs::path bundle = dir_ + "/no-appthumb";
  fs::copy(bundle_, bundle, fs::copy_options::recursive);
  fs::remove(bundle / "appthumb.png");
  const std::string out = dir_ + "/out.jpg";
  const CommandResult r = holdstill({"compose", picture_, "-o", out, "--lat", "47", "--lon", "8"}, bundle.string());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("appthumb.png"), std::string::npos) << r.out;
  const nlohmann::json tags = exiftool(out);
  EXPECT_EQ(tags.at("GPS:GPSLatitude"), 47);
  EXPECT_GT(tags.value("IFD1:ThumbnailLength", 0), 0) << "the picture's own thumbnail";
}

TEST_F(StorageCommands, ComposeAndReplayGpsRefuseBadInputWithOneLineAndWriteNothing) {
  const std::string out = folder_.write("out.jpg", "keep me");
  const std::string notAPicture = folder_.write("notes.txt", "hello");
  // Tracks with a latitude beyond the pole, and with an elevation beyond what any path accepts.
  const std::string pole = folder_.write("pole.gpx", "<gpx version=\"1.1\">\n<wpt lat=\"95\" lon=\"8\"/>\n</gpx>\n");
  const std::string high =
      folder_.write("high.gpx", "<gpx version=\"1.1\">\n<wpt lat=\"5\" lon=\"8\"><ele>5e9</ele></wpt>\n</gpx>\n");
  const std::pair<std::vector<std::string>, std::string> cases[] = {  // the command and what its message names
      {{"compose", dir_ + "/missing.png", "-o", out}, "missing.png"},
      {{"compose", notAPicture, "-o", out}, "notes.txt"},
      {{"compose", picture_, "-o", out, "--lat", "91", "--lon", "8"}, "--lat"},
      {{"compose", picture_, "-o", out, "--lat", "47", "--lon", "-180.5"}, "--lon"},
      {{"compose", picture_, "-o", out, "--lat", "47"}, "--lon"},
      {{"compose", picture_, "-o", out, "--lat", "nan", "--lon", "8"}, "--lat"},
      {{"compose", picture_, "-o", out, "--time", "2009-02-30 10:00:00"}, "--time"},
      {{"compose", picture_, "-o", out, "--time", "yesterday"}, "--time"},
      {{"compose", picture_, "-o", out, "--orientation", "sideways"}, "--orientation"},
      {{"compose", picture_, "-o", out, "--lat", "47", "--lon", "8", "--alt", "5000000000"}, "--alt"},
      {{"compose", out, "-o", dir_ + "/./out.jpg"}, "is the input picture"},
      {{"replay-gps", pole}, "pole.gpx: line 2"},
      {{"replay-gps", high}, "high.gpx: line 2"},
  };
  for (const auto& [args, named] : cases) {
    const CommandResult r = holdstill(args);
    EXPECT_EQ(r.status, 1) << r.command << "\n" << r.out << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_NE(r.err.find(named), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "") << r.command;
    EXPECT_EQ(readFile(out), "keep me") << r.command;
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 6)
      << "no temporary file left behind";
}

// 1.1 m steps in latitude, one a second, recorded in 2009 (before the
// phone's clock starts, 2010-06-15 12:00:00 UTC).
constexpr const char* kWalk = R"(<?xml version="1.0"?>
<gpx version="1.1" creator="test" xmlns="http://www.topografix.com/GPX/1/1"><trk><trkseg>
<trkpt lat="47.37690" lon="8.54170"><ele>408</ele><time>2009-05-01T09:30:00Z</time></trkpt>
<trkpt lat="47.37691" lon="8.54170"><ele>408</ele><time>2009-05-01T09:30:01Z</time></trkpt>
<trkpt lat="47.37692" lon="8.54170"><ele>408</ele><time>2009-05-01T09:30:02Z</time></trkpt>
<trkpt lat="47.37693" lon="8.54170"><ele>408</ele><time>2009-05-01T09:30:03Z</time></trkpt>
<trkpt lat="47.37694" lon="8.54170"><ele>408</ele><time>2009-05-01T09:30:04Z</time></trkpt>
</trkseg></trk></gpx>
)";

TEST_F(StorageCommands, ReplayGpsReportsAfterTwoMetresAndRejectsAStaleFirstFixWithKeptTimes) {
  const std::string track = folder_.write("walk.gpx", kWalk);
  const CommandResult fresh = holdstill({"replay-gps", track, "--start", "2"});
  ASSERT_EQ(fresh.status, 0) << fresh.err;
  // Arrival times on the phone's fixed clock: the same output on every day.
  EXPECT_EQ(fresh.out.find("      2.0 s  accepted            GPS: 47.38 N  8.54 E  Alt: 408m  on Jun 15, 2010 "
                           "12:00:02 PM\n"),
            0u)
      << fresh.out;
  EXPECT_EQ(missing(fresh.out, {"      4.0 s  accepted", "      6.0 s  accepted",
                                "3 fixes delivered: 3 accepted, 0 rejected as stale, 0 rejected for accuracy; "
                                "0 errors; 2 held back by the 2 m distance filter\n"}),
            "")
      << fresh.out;

  const CommandResult kept = holdstill({"replay-gps", track, "--keep-times", "--language", "fr"});
  ASSERT_EQ(kept.status, 0) << kept.err;
  EXPECT_EQ(kept.out.find("      0.0 s  rejected: stale     Aucune donnée GPS\n"), 0u) << kept.out;
  EXPECT_NE(kept.out.find("      2.0 s  accepted            GPS : 47.38 N  8.54 E  Alt: 408m  on 1 mai 2009 09:30:02\n"),
            std::string::npos) << kept.out;

  const CommandResult invalid = holdstill({"replay-gps", track, "--accuracy", "-1"});
  EXPECT_NE(invalid.out.find("3 fixes delivered: 0 accepted, 0 rejected as stale, 3 rejected for accuracy"),
            std::string::npos) << invalid.out;
}

}  // namespace
}  // namespace holdstill::simtest
