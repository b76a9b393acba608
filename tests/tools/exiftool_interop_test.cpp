// Interoperability with exiftool: files it writes, the library and exf read
// with the same values; files the library and exf write, it reads back.
#include "exif/exf_jpeg.h"
#include "exif/exf_tag_definition_holder.h"
#include "tests/exif/support/command.h"
#include "tests/exif/support/exif_builder.h"
#include "tests/tools/exiftool_reader.h"
#include "tools/exf/sample/test_card.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <sstream>

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
    dir_ = freshDirectory(big() ? "MM" : "II");
  }
  bool big() const { return GetParam(); }
  std::string path(const std::string& name) const { return dir_ + "/" + name; }

  // A test card tagged by exiftool with richTags().
  std::string exiftoolWrittenFile() {
    const std::string file = path("exiftool.jpg"), thumb = path("thumb.jpg");
    writeFile(file, exf::encodeTestCard(320, 240));
    writeFile(thumb, exf::encodeTestCard(160, 120, 60));
    std::vector<std::string> argv = {"exiftool", "-q", "-overwrite_original"};
    for (const auto& a : richTags(big(), thumb)) argv.push_back(a);
    argv.push_back(file);
    CommandResult r = runCommand(argv);
    EXPECT_EQ(r.status, 0) << r.command << "\n" << r.err;
    return file;
  }

  std::string dir_;
};

INSTANTIATE_TEST_SUITE_P(BothOrders, ExiftoolPeer, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "MM" : "II"; });

// The parent id that the library's table uses for an exf JSON group.
std::int32_t parentOf(const std::string& exiftoolGroupName) {
  if (exiftoolGroupName == "ExifIFD") return 0x8769;
  if (exiftoolGroupName == "GPS") return 0x8825;
  if (exiftoolGroupName == "InteropIFD") return 0xA005;
  return -1;
}

// exiftool shows the APEX tags converted: ShutterSpeedValue as seconds
// (2^-v), ApertureValue and MaxApertureValue as an f-number (2^(v/2)).
json apexAsExiftoolShowsIt(const std::string& id, const json& value) {
  if (id != "37377" && id != "37378" && id != "37381") return value;
  const std::string f = value.get<std::string>();
  const double v = std::stod(f.substr(0, f.find('/'))) / std::stod(f.substr(f.find('/') + 1));
  return id == "37377" ? std::pow(2.0, -v) : std::pow(2.0, v / 2);
}

TEST_P(ExiftoolPeer, ExfDumpAgreesWithExiftoolOnEveryTagTheTableDefines) {
  const std::string file = exiftoolWrittenFile();
  const json ours = exfJson(file);
  const auto theirs = exiftoolTags(file);
  ASSERT_FALSE(theirs.empty());
  EXPECT_EQ(ours.at("byteOrder"), big() ? "MM" : "II");

  std::size_t compared = 0;
  for (const char* group : {"ifd0", "exif", "gps", "interop", "ifd1"}) {
    ASSERT_TRUE(ours.contains(group)) << group;
    const std::string theirGroup = exiftoolGroup(group);
    for (const auto& [id, value] : ours.at(group).items()) {
      if (group == std::string("ifd1") && id == "513") continue;  // exiftool reports a file offset
      auto it = theirs.find(theirGroup + ":" + id);
      ASSERT_NE(it, theirs.end()) << theirGroup << " tag " << id << " only in exf";
      std::string why;
      EXPECT_TRUE(sameValue(apexAsExiftoolShowsIt(id, value), it->second, why))
          << theirGroup << " tag " << id << ": " << why;
      ++compared;
    }
  }
  // And every tag exiftool found that the table defines for its directory
  // (or that a built-in handler decodes) was read by the library too.
  const auto& table = exif::EXFTagDefinitionHolder::shared();
  for (const auto& [key, value] : theirs) {
    const std::string group = key.substr(0, key.find(':'));
    const int id = std::stoi(key.substr(key.find(':') + 1));
    const exif::EXFTag* tag = table.find(id);
    const bool known = (tag && tag->parentTagId() == parentOf(group)) || (id == 0x9101 && group == "ExifIFD");
    if (!known || (group == "IFD1" && id == 0x0201)) continue;
    const char* ourGroup = group == "IFD0" ? "ifd0" : group == "ExifIFD" ? "exif" : group == "GPS" ? "gps" : "ifd1";
    EXPECT_TRUE(ours.at(ourGroup).contains(std::to_string(id))) << key << " missed by exf";
  }
  EXPECT_GE(compared, 45u);
}

TEST_P(ExiftoolPeer, LibraryReadsExiftoolsThumbnailBytes) {
  const std::string file = exiftoolWrittenFile();
  exif::EXFJpeg jpeg;
  jpeg.scanImageData(readFile(file));
  ASSERT_TRUE(jpeg.exifMetaData().thumbnailBytes());
  const exif::Bytes& thumb = *jpeg.exifMetaData().thumbnailBytes();
  EXPECT_EQ(std::string(thumb.begin(), thumb.end()), exiftoolBinary(file, "ThumbnailImage"));
  EXPECT_EQ(jpeg.exifMetaData().bigEndianOrder(), big());
}

TEST_P(ExiftoolPeer, GeotagCarriesEveryValueTheLibraryKeepsOfACameraFile) {
  const std::string in = exiftoolWrittenFile(), out = path("geotagged.jpg");
  CommandResult r = runCommand({EXF_BINARY, "geotag", in, "--lat", "-1.5", "--lon", "2.5", "-o", out,
                                "--allow-loss"});  // ISOSpeedratings, say, is not written back
  ASSERT_EQ(r.status, 0) << r.command << "\n" << r.err;
  auto before = exiftoolTags(in), after = exiftoolTags(out);
  EXPECT_EQ(after["InteropIFD:1"], "R98");  // not cut to GPSLatitudeRef's two bytes
  EXPECT_EQ(after["InteropIFD:2"], "0100");
  const json kept = exfJson(out);
  std::size_t compared = 0;
  for (const char* group : {"ifd0", "exif", "gps", "interop", "ifd1"})
    for (const auto& [id, value] : kept.at(group).items()) {
      const std::string key = exiftoolGroup(group) + ":" + id;
      if (key == "IFD1:513" || (group == std::string("gps") && std::stoi(id) <= 4)) continue;
      EXPECT_EQ(after[key], before[key]) << key;
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

  const auto theirs = exiftoolTags(file);
  const std::map<std::string, json> expected = {
      {"IFD0:271", "Holdstill"}, {"IFD0:306", "2009:03:14 15:09:26"}, {"IFD0:274", 8},
      {"IFD0:282", 72}, {"IFD0:530", "2 1"}, {"ExifIFD:33434", 0.008}, {"ExifIFD:37380", -0.7},
      {"ExifIFD:41492", "100 200"}, {"ExifIFD:37510", "steady shot"}, {"ExifIFD:36864", "0230"},
      {"ExifIFD:41728", 3}, {"GPS:1", "S"}, {"GPS:2", 33.8688}, {"GPS:6", 58.5},
      {"GPS:7", "12:34:56"}, {"IFD1:259", 6}, {"IFD1:514", static_cast<int>(thumb.size())}};
  for (const auto& [key, value] : expected) {
    auto it = theirs.find(key);
    ASSERT_NE(it, theirs.end()) << key << " not read by exiftool";
    std::string why;
    EXPECT_TRUE(sameValue(value, it->second, why)) << key << ": " << why;
  }
  const std::string extracted = exiftoolBinary(file, "ThumbnailImage");
  EXPECT_EQ(extracted, std::string(thumb.begin(), thumb.end()));

  // exiftool finds nothing wrong with the structure (it notes only values at
  // odd offsets, which the writer does not pad, and tags a camera would add).
  CommandResult v = runCommand({"exiftool", "-validate", "-warning", "-a", "-s3", file});
  std::istringstream lines(v.out);
  for (std::string line; std::getline(lines, line);) {
    if (std::isdigit(static_cast<unsigned char>(line[0])) || line.rfind("[minor]", 0) == 0 ||
        line.rfind("Missing required", 0) == 0)
      continue;
    ADD_FAILURE() << "exiftool -validate: " << line;
  }
}

}  // namespace
}  // namespace exif_testing
