// Interoperability with exiftool, in both byte orders: files it writes, the
// library and exf read with the same values; files the library and exf
// write, it reads back with the same values.
#include "exif/exf_jpeg.h"
#include "tests/exif/support/command.h"
#include "tests/exif/support/exif_builder.h"
#include "tests/tools/exiftool_reader.h"
#include "tools/exf/sample/test_card.h"
#include "tools/exf/value_text.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>

namespace exif_testing {
namespace {

using json = nlohmann::json;

// exiftool's own arguments for a file rich in the kinds of value the library
// knows: texts, rationals, signed rationals, SHORT arrays, undefined bytes, a
// user comment, GPS coordinates and time, an Interoperability group and a
// thumbnail.
std::vector<std::string> richTags(bool big, const std::string& thumbnail) {
  return {"-ExifByteOrder=" + std::string(big ? "MM" : "II"),
          "-Make=Holdstill", "-Model=Test Phone", "-Software=exiftool",
          "-Artist=A. Person", "-Copyright=(c) nobody", "-ImageDescription=a test card",
          "-Orientation#=6", "-XResolution=72", "-YResolution=72", "-ResolutionUnit#=2",
          "-YCbCrPositioning#=1", "-ModifyDate=2009:03:14 15:09:26", "-WhitePoint=0.3127 0.329",
          "-ExposureTime=1/125", "-FNumber=2.8", "-ExposureProgram#=2", "-ISO=100",
          "-ExifVersion=0230", "-DateTimeOriginal=2009:03:14 15:09:26",
          "-CreateDate=2009:03:14 15:09:27", "-ShutterSpeedValue=0.008",
          "-ExposureCompensation=-0.7", "-MeteringMode#=5", "-Flash#=16", "-FocalLength=4.2",
          "-UserComment=steady shot", "-SubSecTime=042", "-FlashpixVersion=0100", "-ColorSpace#=1",
          "-ExifImageWidth=320", "-ExifImageHeight=240", "-SubjectLocation=100 200",
          "-FileSource#=3", "-SceneType#=1", "-WhiteBalance#=0", "-DigitalZoomRatio=1",
          "-FocalLengthIn35mmFormat=28", "-ComponentsConfiguration#=1 2 3 0",
          "-InteropIndex=R98", "-InteropVersion=0100", "-GPSVersionID=2.3.0.0", "-GPSLatitudeRef=S",
          "-GPSLatitude=33.8688", "-GPSLongitudeRef=E", "-GPSLongitude=151.2093",
          "-GPSAltitudeRef#=0", "-GPSAltitude=58.5", "-GPSTimeStamp=12:34:56",
          "-GPSMapDatum=WGS-84", "-GPSSpeedRef=K", "-GPSSpeed=5",
          "-IFD1:XResolution=72", "-IFD1:YResolution=72", "-IFD1:ResolutionUnit#=2",
          "-ThumbnailImage<=" + thumbnail};
}

class ExiftoolPeer : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    if (!onPath("exiftool")) GTEST_SKIP() << "exiftool is not installed";
    dir_ = freshDirectory("peer");
  }
  bool big() const { return GetParam(); }
  std::string path(const std::string& name) const { return dir_ + "/" + name; }

  // A test card tagged by exiftool with richTags(), and what exiftool reads
  // from it: made once per byte order.
  static const std::pair<std::string, ExiftoolView>& exiftoolWritten(bool big) {
    static std::map<bool, std::pair<std::string, ExiftoolView>> made;
    if (!made.count(big)) {
      const std::string dir = freshDirectory("exiftool-written"), file = dir + "/card.jpg";
      writeFile(file, exf::encodeTestCard(320, 240));
      writeFile(dir + "/thumb.jpg", exf::encodeTestCard(160, 120, 60));
      std::vector<std::string> argv = {"exiftool", "-q", "-overwrite_original"};
      for (const auto& a : richTags(big, dir + "/thumb.jpg")) argv.push_back(a);
      argv.push_back(file);
      CommandResult r = runCommand(argv);
      EXPECT_EQ(r.status, 0) << r.command << "\n" << r.err;
      made[big] = {file, exiftoolRead(file)};
    }
    return made[big];
  }

  std::string dir_;
};

INSTANTIATE_TEST_SUITE_P(BothOrders, ExiftoolPeer, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "MM" : "II"; });

// exiftool shows the APEX tags converted: ShutterSpeedValue as seconds
// (2^-v), ApertureValue and MaxApertureValue as an f-number (2^(v/2)).
json apexAsExiftoolShowsIt(const std::string& id, const json& value) {
  if (id != "37377" && id != "37378" && id != "37381") return value;
  const std::string f = value.get<std::string>();
  const double v = std::stod(f.substr(0, f.find('/'))) / std::stod(f.substr(f.find('/') + 1));
  return id == "37377" ? std::pow(2.0, -v) : std::pow(2.0, v / 2);
}

TEST_P(ExiftoolPeer, ExfAndTheLibraryReadExiftoolsFileAsExiftoolDoes) {
  const auto& [file, theirs] = exiftoolWritten(big());
  ASSERT_FALSE(theirs.tags.empty());
  const json ours = exfJson(file);
  EXPECT_EQ(ours.at("byteOrder"), big() ? "MM" : "II");
  std::size_t compared = 0;
  for (const auto& [group, theirGroup] : kGroups) {
    ASSERT_TRUE(ours.contains(group)) << group;
    for (const auto& [id, value] : ours.at(group).items()) {
      const std::string key = theirGroup + (":" + id);
      if (key == "IFD1:513") continue;  // exiftool reports a file offset
      std::string why;
      EXPECT_TRUE(theirs.tags.count(key) && sameValue(apexAsExiftoolShowsIt(id, value), theirs.tags.at(key), why))
          << key << ": " << why;
      ++compared;
    }
  }
  EXPECT_GE(compared, 45u);
  // Every tag exiftool found that exf can name for its directory was read.
  for (const auto& [key, value] : theirs.tags) {
    const std::size_t g = std::find_if(kGroups.begin(), kGroups.end(),
                                       [&](auto& p) { return key.rfind(p.second + std::string(":"), 0) == 0; }) -
                          kGroups.begin();
    const std::string id = key.substr(key.find(':') + 1);
    if (exf::tagName(static_cast<exf::Group>(g), std::stoi(id)) != "(unknown)" && key != "IFD1:513") {
      EXPECT_TRUE(ours.at(kGroups[g].first).contains(id)) << key << " missed by exf";
    }
  }
  // The library takes exiftool's thumbnail bytes as they are.
  exif::EXFJpeg jpeg;
  jpeg.scanImageData(readFile(file));
  const exif::Bytes thumb = jpeg.exifMetaData().thumbnailBytes().value_or(exif::Bytes{});
  EXPECT_GT(thumb.size(), 1000u);
  EXPECT_EQ(std::string(thumb.begin(), thumb.end()), theirs.thumbnail);
}

TEST_P(ExiftoolPeer, GeotagChangesOnlyThePositionOfEveryValueTheLibraryHolds) {
  const auto& [in, before] = exiftoolWritten(big());
  const std::string out = path("geotagged.jpg");
  CommandResult r = runCommand({EXF_BINARY, "geotag", in, "--lat", "-48.8584", "--lon", "2.2945", "--alt", "-35",
                                "-o", out, "--allow-loss"});
  ASSERT_EQ(r.status, 0) << r.command << "\n" << r.err;
  const ExiftoolView after = exiftoolRead(out);
  std::string why;
  EXPECT_EQ(after.tags.at("GPS:1"), "S");
  EXPECT_TRUE(sameValue(48.8584, after.tags.at("GPS:2"), why)) << why;
  EXPECT_EQ(after.tags.at("GPS:3"), "E");
  EXPECT_TRUE(sameValue(2.2945, after.tags.at("GPS:4"), why)) << why;
  EXPECT_EQ(after.tags.at("GPS:5"), 1);
  EXPECT_EQ(after.tags.at("GPS:6"), 35);
  EXPECT_EQ(after.thumbnail, before.thumbnail);
  // Everything else exf read from the input is unchanged, but for the two
  // values the library cannot write back (its table gives ExposureProgram
  // and ISO a variable count, which a number does not have).
  std::size_t compared = 0;
  const json read = exfJson(in);
  for (const auto& [group, theirGroup] : kGroups)
    for (const auto& [id, value] : read.at(group).items()) {
      const std::string key = theirGroup + (":" + id);
      if (key == "IFD1:513" || key == "ExifIFD:34850" || key == "ExifIFD:34855" ||
          (key.rfind("GPS:", 0) == 0 && std::stoi(id) <= 6))
        continue;
      EXPECT_EQ(after.tags.count(key) ? after.tags.at(key) : json(), before.tags.at(key)) << key;
      ++compared;
    }
  EXPECT_GE(compared, 45u);
}

TEST_P(ExiftoolPeer, ExiftoolReadsWhatTheLibraryWrites) {
  exif::EXFJpeg jpeg;
  jpeg.scanImageData(exf::encodeTestCard(320, 240));
  exif::EXFMetaData& md = jpeg.exifMetaData();
  md.setBigEndianOrder(big());
  md.addTagValue("Holdstill", 271);
  md.addTagValue("2009:03:14 15:09:26", 306);
  md.addTagValue(exif::Number::fromInt32(8), 274);
  md.addTagValue(exif::EXFraction(72, 1), 282);
  md.addTagValue(exif::Array{exif::Number::fromInt32(2), exif::Number::fromInt32(1)}, 0x0212);
  md.addTagValue(exif::EXFraction(1, 125), 0x829A);
  md.addTagValue(exif::EXFraction(-7, 10), 0x9204);
  md.addTagValue(exif::Array{exif::Number::fromInt32(100), exif::Number::fromInt32(200)}, 0xA214);
  md.addTagValue("steady shot", 0x9286);
  md.addTagValue("0230", 0x9000);
  md.addTagValue(exif::Number::fromInt32(3), 0xA300);
  md.addTagValue(exif::Bytes{1, 2, 3, 4, 5, 6, 7, 8}, 0x927C);
  exif::EXFGPSLoc lat;
  lat.setDegrees(exif::EXFraction(33, 1));
  lat.setMinutes(exif::EXFraction(52, 1));
  lat.setSeconds(exif::EXFraction(768, 100));
  md.addTagValue("S", 1);
  md.addTagValue(lat, 2);
  md.addTagValue(exif::Number::fromDouble(58.5), 6);
  exif::EXFGPSTimeStamp time;
  time.setHours(exif::EXFraction(12, 1));
  time.setMinutes(exif::EXFraction(34, 1));
  time.setSeconds(exif::EXFraction(56, 1));
  md.addTagValue(time, 7);
  const exif::Bytes thumb = exf::encodeTestCard(160, 120, 60);
  md.addThumbnailTagValue(exif::Number::fromInt32(6), 259);
  md.addThumbnailTagValue(exif::Number::fromULong(static_cast<std::uint32_t>(thumb.size())), 514);
  md.setThumbnailData(thumb);
  exif::Bytes out;
  jpeg.populateImageData(out);
  const std::string file = path("library.jpg");
  writeFile(file, out);

  const ExiftoolView theirs = exiftoolRead(file);
  const std::map<std::string, json> expected = {
      {"IFD0:271", "Holdstill"}, {"IFD0:306", "2009:03:14 15:09:26"}, {"IFD0:274", 8},
      {"IFD0:282", 72}, {"IFD0:530", "2 1"}, {"ExifIFD:33434", 0.008}, {"ExifIFD:37380", -0.7},
      {"ExifIFD:41492", "100 200"}, {"ExifIFD:37510", "steady shot"}, {"ExifIFD:36864", "0230"},
      {"ExifIFD:41728", 3}, {"GPS:1", "S"}, {"GPS:2", 33.8688}, {"GPS:6", 58.5},
      {"GPS:7", "12:34:56"}, {"IFD1:259", 6}, {"IFD1:514", static_cast<int>(thumb.size())}};
  for (const auto& [key, value] : expected) {
    std::string why = "not read by exiftool";
    EXPECT_TRUE(theirs.tags.count(key) && sameValue(value, theirs.tags.at(key), why)) << key << ": " << why;
  }
  EXPECT_EQ(theirs.thumbnail, std::string(thumb.begin(), thumb.end()));
  // exiftool finds nothing wrong with the structure (it notes only values at
  // odd offsets, which the writer does not pad, and tags a camera would add).
  for (const std::string& line : theirs.findings)
    if (!std::isdigit(static_cast<unsigned char>(line[0])) && line.rfind("[minor]", 0) != 0 &&
        line.rfind("Missing required", 0) != 0)
      ADD_FAILURE() << "exiftool -validate: " << line;
}

}  // namespace
}  // namespace exif_testing
