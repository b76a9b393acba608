// exf as a user runs it: each test records the command, its output and its
// exit status.
#include "tests/exif/support/command.h"
#include "tests/exif/support/exif_builder.h"
#include "tests/tools/exiftool_reader.h"
#include "tools/exf/sample/test_card.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace exif_testing {
namespace {

using json = nlohmann::json;

CommandResult exf(std::vector<std::string> args) {
  args.insert(args.begin(), EXF_BINARY);
  return runCommand(args);
}

class Exf : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = freshDirectory("exf"); }
  std::string path(const std::string& name) const { return dir_ + "/" + name; }
  std::string sample(bool big = true) {
    const std::string file = path(big ? "sample-mm.jpg" : "sample-ii.jpg");
    writeFile(file, exf::geotaggedSample(big));
    return file;
  }
  std::string dir_;
};

TEST_F(Exf, DumpPrintsOneLinePerTag) {
  CommandResult r = exf({"dump", sample()});
  ASSERT_EQ(r.status, 0) << r.command << "\n" << r.err;
  EXPECT_NE(r.out.find("IFD0    0x010F  Make                         Holdstill\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("GPS     0x0002  GPSLatitude                  37\u00B0 46' 29.64\" (37.7749)\n"),
            std::string::npos) << r.out;
  EXPECT_NE(r.out.find("IFD1    0x0202  JPEGInterchangeFormatLength"), std::string::npos) << r.out;
  EXPECT_EQ(r.err, "");
}

TEST_F(Exf, DumpJsonDescribesContainerAndValues) {
  for (bool big : {true, false}) {
    CommandResult r = exf({"dump", "--json", sample(big)});
    ASSERT_EQ(r.status, 0) << r.command << "\n" << r.err;
    json j = json::parse(r.out);
    EXPECT_EQ(j["byteOrder"], big ? "MM" : "II");
    EXPECT_EQ(j["width"], 320);
    EXPECT_EQ(j["height"], 240);
    EXPECT_EQ(j["bitsPerPixel"], 8);
    EXPECT_EQ(j["jfif"]["version"], "1.1");
    EXPECT_EQ(j["ifd0"]["271"], "Holdstill");
    EXPECT_EQ(j["ifd0"]["306"], "2009:03:14 15:09:26");  // trailing NUL removed
    EXPECT_EQ(j["gps"]["2"]["dms"], json({"37/1", "46/1", "2964/100"}));
    EXPECT_NEAR(j["gps"]["2"]["decimal"].get<double>(), 37.7749, 1e-9);
    EXPECT_EQ(j["gps"]["6"], 16.5);
    EXPECT_FALSE(j.contains("interop"));
    EXPECT_GT(j["thumbnail"]["length"].get<int>(), 1000);
    EXPECT_EQ(j["segments"][0]["marker"], "E0");
    EXPECT_EQ(j["segments"][1]["marker"], "E1");
  }
}

TEST_F(Exf, JpegWithoutExifIsANormalResult) {
  const std::string file = path("plain.jpg");
  writeFile(file, exf::encodeTestCard(32, 16));
  CommandResult r = exf({"dump", "--json", file});
  ASSERT_EQ(r.status, 0) << r.err;
  json j = json::parse(r.out);
  EXPECT_TRUE(j["byteOrder"].is_null());
  EXPECT_TRUE(j["thumbnail"].is_null());
  EXPECT_FALSE(j.contains("ifd0"));
  EXPECT_EQ(j["width"], 32);
}

TEST_F(Exf, UnreadableAndNonJpegFilesFailWithOneLine) {
  CommandResult missing = exf({"dump", path("missing.jpg")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "exf: " + path("missing.jpg") + ": No such file or directory\n");
  const std::string text = path("notes.txt");
  writeFile(text, {'h', 'i'});
  CommandResult notJpeg = exf({"dump", "--json", text});
  EXPECT_EQ(notJpeg.status, 1);
  EXPECT_EQ(notJpeg.err, "exf: " + text + ": not a JPEG file (no start-of-image marker)\n");
  EXPECT_EQ(notJpeg.out, "");
  EXPECT_EQ(exf({"dump", dir_}).status, 1);
}

TEST_F(Exf, WrongUsageExitsTwo) {
  for (auto args : std::vector<std::vector<std::string>>{
           {}, {"dump"}, {"dump", "--yaml", "x.jpg"}, {"dump", "a.jpg", "b.jpg"}, {"frobnicate"},
           {"geotag", "in.jpg", "--lat", "1"}, {"geotag", "in.jpg", "--lat", "north", "--lon", "1", "-o", "o.jpg"},
           {"geotag", "in.jpg", "--lat", "1", "--lon", "1", "-o"}}) {
    CommandResult r = exf(args);
    EXPECT_EQ(r.status, 2) << r.command;
    EXPECT_NE(r.err, "") << r.command;
  }
}

TEST_F(Exf, GeotagRefusesCoordinatesOutOfRangeAndWritesNothing) {
  const std::string in = sample(), out = path("out.jpg");
  CommandResult lat = exf({"geotag", in, "--lat", "90.5", "--lon", "0", "-o", out});
  EXPECT_EQ(lat.status, 1);
  EXPECT_EQ(lat.err, "exf geotag: latitude 90.5 is outside -90..90\n");
  CommandResult lon = exf({"geotag", in, "--lat", "0", "--lon", "-180.01", "-o", out});
  EXPECT_EQ(lon.status, 1);
  EXPECT_EQ(lon.err, "exf geotag: longitude -180.01 is outside -180..180\n");
  EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(Exf, GeotagSetsTheSouthWestBelowSeaPositionAndLeavesTheInputAlone) {
  const std::string in = sample(false), out = path("out.jpg");
  const Bytes before = readFile(in);
  CommandResult r = exf({"geotag", in, "--lat", "-33.8688", "--lon", "-70.5", "--alt", "-12.5", "-o", out});
  ASSERT_EQ(r.status, 0) << r.command << "\n" << r.err;
  EXPECT_EQ(readFile(in), before);
  json j = exfJson(out);
  EXPECT_EQ(j["byteOrder"], "II");
  EXPECT_EQ(j["gps"]["1"], "S");
  EXPECT_EQ(j["gps"]["2"]["dms"][0], "33/1");
  EXPECT_EQ(j["gps"]["2"]["dms"][1], "52/1");
  EXPECT_NEAR(j["gps"]["2"]["decimal"].get<double>(), 33.8688, 1e-6);
  EXPECT_EQ(j["gps"]["3"], "W");
  EXPECT_EQ(j["gps"]["4"]["dms"], json({"70/1", "30/1", "0/1"}));
  EXPECT_EQ(j["gps"]["5"], 1);
  EXPECT_EQ(j["gps"]["6"], 12.5);
  EXPECT_EQ(j["ifd0"]["271"], "Holdstill");
}

TEST_F(Exf, GeotagOverItsOwnInputReplacesItKeepingItsPermissions) {
  namespace fs = std::filesystem;
  const std::string in = sample();
  fs::permissions(in, fs::perms::owner_read | fs::perms::owner_write);
  CommandResult r = exf({"geotag", in, "--lat", "1.5", "--lon", "2.25", "-o", in});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NEAR(exfJson(in)["gps"]["4"]["decimal"].get<double>(), 2.25, 1e-9);
  EXPECT_EQ(fs::status(in).permissions(), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), {}), 1);  // no temporary left
}

TEST_F(Exf, GeotagCountsWhatTheRewriteWouldLoseAndWritesOnlyWhenAllowed) {
  // A MakerNote the library keeps, a tag it does not know, and a second APP2.
  Bytes exifBlock = ExifBuilder(true)
                        .add(Ifd::Ifd0, Ascii(0x010F, "Make"))
                        .add(Ifd::Exif, Short(0x9214, {1, 2, 3, 4}))  // SubjectArea: not in the table
                        .build();
  const std::string in = path("lossy.jpg"), out = path("out.jpg");
  writeFile(in, jpeg({segment(0xE1, exifBlock), segment(0xE2, {1}), segment(0xE2, {2})}, jpegTail()));
  CommandResult refused = exf({"geotag", in, "--lat", "1", "--lon", "2", "-o", out});
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("would lose 2 entries (1 EXIF entries the library does not keep, 0 values "
                             "it cannot write back, 1 other segments, 0 thumbnail)"),
            std::string::npos) << refused.err;
  EXPECT_FALSE(std::filesystem::exists(out));

  CommandResult allowed = exf({"geotag", in, "--lat", "1", "--lon", "2", "-o", out, "--allow-loss"});
  EXPECT_EQ(allowed.status, 0) << allowed.err;
  EXPECT_EQ(exfJson(out)["gps"]["1"], "N");
}

TEST_F(Exf, GeotaggedFileReadsBackInExiftoolWithEverythingElseUnchanged) {
  if (!onPath("exiftool")) GTEST_SKIP() << "exiftool is not installed";
  const std::string in = sample(), out = path("geotagged.jpg");
  CommandResult r = exf({"geotag", in, "--lat", "48.8584", "--lon", "2.2945", "--alt", "35", "-o", out});
  ASSERT_EQ(r.status, 0) << r.err;
  auto before = exiftoolTags(in);
  auto after = exiftoolTags(out);
  std::string why;
  EXPECT_TRUE(sameValue(48.8584, after["GPS:2"], why)) << why;
  EXPECT_EQ(after["GPS:1"], "N");
  EXPECT_TRUE(sameValue(2.2945, after["GPS:4"], why)) << why;
  EXPECT_EQ(after["GPS:3"], "E");
  EXPECT_EQ(after["GPS:6"], 35);
  EXPECT_EQ(after["GPS:5"], 0);
  for (const char* changed : {"GPS:1", "GPS:2", "GPS:3", "GPS:4", "GPS:5", "GPS:6", "IFD1:513"}) {
    before.erase(changed);
    after.erase(changed);
  }
  EXPECT_EQ(after, before);
  EXPECT_EQ(exiftoolBinary(out, "ThumbnailImage"), exiftoolBinary(in, "ThumbnailImage"));
  EXPECT_GT(exiftoolBinary(out, "ThumbnailImage").size(), 1000u);
}

}  // namespace
}  // namespace exif_testing
