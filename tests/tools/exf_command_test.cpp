// exf as a user runs it: each test records the command, its output and its
// exit status.
#include "tests/exif/support/exif_builder.h"
#include "tests/tools/exf_run.h"
#include "tools/exf/sample/test_card.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace exif_testing {
namespace {

using json = nlohmann::json;

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
  for (const char* line : {"IFD0    0x010F  Make                         Holdstill\n",
                           "GPS     0x0002  GPSLatitude                  37\u00B0 46' 29.64\" (37.7749)\n",
                           "IFD1    0x0202  JPEGInterchangeFormatLength  "})
    EXPECT_NE(r.out.find(line), std::string::npos) << line << " not in\n" << r.out;
  EXPECT_EQ(r.err, "");
}

TEST_F(Exf, DumpJsonDescribesContainerAndValues) {
  json j = exfJson(sample());
  EXPECT_EQ(j["byteOrder"], "MM");
  EXPECT_EQ(j["jfif"]["version"], "1.1");
  EXPECT_EQ(json::array({j["width"], j["height"], j["bitsPerPixel"]}), json::array({320, 240, 8}));
  EXPECT_EQ(j["ifd0"]["306"], "2009:03:14 15:09:26");  // trailing NUL removed
  EXPECT_EQ(j["gps"]["2"]["dms"], json({"37/1", "46/1", "2964/100"}));
  EXPECT_EQ(j["gps"]["6"], 16.5);
  EXPECT_FALSE(j.contains("interop"));
  EXPECT_GT(j["thumbnail"]["length"].get<int>(), 1000);
  EXPECT_EQ(j["segments"][0]["marker"], "E0");
  EXPECT_EQ(j["segments"][1]["marker"], "E1");
}

TEST_F(Exf, JpegWithoutExifIsANormalResult) {
  const std::string file = path("plain.jpg");
  writeFile(file, exf::encodeTestCard(32, 16));
  json j = exfJson(file);
  EXPECT_TRUE(j["byteOrder"].is_null());
  EXPECT_TRUE(j["thumbnail"].is_null());
  EXPECT_FALSE(j.contains("ifd0"));
  EXPECT_EQ(j["width"], 32);
}

TEST_F(Exf, UnreadableAndNonJpegFilesFailWithOneLine) {
  const std::string missing = path("missing.jpg"), text = path("notes.txt");
  writeFile(text, {'h', 'i'});
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"dump", missing}, "exf: " + missing + ": No such file or directory\n"},
      {{"dump", "--json", text}, "exf: " + text + ": not a JPEG file (no start-of-image marker)\n"},
      {{"dump", dir_}, "exf: " + dir_ + ": is a directory\n"},
      {{"geotag", text, "--lat", "1", "--lon", "2", "-o", path("out.jpg")},
       "exf: " + text + ": not a JPEG file (no start-of-image marker)\n"},
  };
  for (const auto& [args, message] : cases) {
    CommandResult r = exf(args);
    EXPECT_EQ(r.status, 1) << r.command;
    EXPECT_EQ(r.err, message) << r.command;
    EXPECT_EQ(r.out, "") << r.command;
  }
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
  for (auto [lat, lon, message] : {std::tuple{"90.5", "0", "latitude 90.5 is outside -90..90"},
                                   std::tuple{"0", "-180.01", "longitude -180.01 is outside -180..180"}}) {
    CommandResult r = exf({"geotag", in, "--lat", lat, "--lon", lon, "-o", out});
    EXPECT_EQ(r.status, 1) << r.command;
    EXPECT_EQ(r.err, "exf geotag: " + std::string(message) + "\n");
  }
  EXPECT_FALSE(std::filesystem::exists(out));
  EXPECT_EQ(exf({"geotag", in, "--lat", "-90", "--lon", "180", "-o", out}).status, 0);  // the limits are in range
}

TEST_F(Exf, GeotagSetsTheSouthWestBelowSeaPositionAndLeavesTheInputAlone) {
  const std::string in = sample(false), out = path("out.jpg");
  const Bytes before = readFile(in);
  CommandResult r = exf({"geotag", in, "--lat", "-33.8688", "--lon", "-70.5", "--alt", "-12.5", "-o", out});
  ASSERT_EQ(r.status, 0) << r.command << "\n" << r.err;
  EXPECT_EQ(r.out, out + ": " + std::to_string(std::filesystem::file_size(out)) + " bytes written\n");
  EXPECT_EQ(readFile(in), before);
  json j = exfJson(out);
  EXPECT_EQ(j["byteOrder"], "II");
  EXPECT_EQ(j["gps"]["1"], "S");
  EXPECT_EQ(j["gps"]["2"]["dms"][0], "33/1");
  EXPECT_EQ(j["gps"]["2"]["dms"][1], "52/1");
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
  const Bytes exifBlock = ExifBuilder(true)
                              .add(Ifd::Ifd0, Ascii(0x010F, "Make"))
                              .add(Ifd::Exif, Short(0x9214, {1, 2, 3, 4}))  // SubjectArea: not in the table
                              .build();
  const std::string in = path("lossy.jpg"), out = path("out.jpg");
  writeFile(in, jpeg({segment(0xE1, exifBlock), segment(0xE2, {1}), segment(0xE2, {2})}, jpegTail()));
  CommandResult refused = exf({"geotag", in, "--lat", "1", "--lon", "2", "-o", out});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err, "exf: " + in + ": rewriting would lose 1 entries (1 EXIF entries the library does not "
                         "keep, 0 values it cannot write back, 0 thumbnail); nothing written, "
                         "use --allow-loss to write anyway\n");
  EXPECT_FALSE(std::filesystem::exists(out));

  CommandResult allowed = exf({"geotag", in, "--lat", "1", "--lon", "2", "-o", out, "--allow-loss"});
  EXPECT_EQ(allowed.status, 0) << allowed.err;
  EXPECT_EQ(allowed.err, "exf: " + in + ": 1 entries not carried over\n");
  EXPECT_EQ(exfJson(out)["gps"]["1"], "N");
}

}  // namespace
}  // namespace exif_testing
