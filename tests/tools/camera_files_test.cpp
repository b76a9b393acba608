// Files laid out as real cameras write them, made with exiftool and put
// together segment by segment: an XMP APP1 after the EXIF one, an ICC
// profile in two APP2 chunks, a comment holding marker bytes, tables between
// two application segments, padding after the thumbnail, a GPS directory
// holding only GPSVersionID, a UTF-8 Artist, ISO written as SHORT and a
// maker note. Each is read, rewritten in full and edited losslessly, and
// checked with exiftool (every value outside GPS as before, GPS right) and
// djpeg (the file still decodes).
#include "exif/exf_jpeg.h"
#include "exif/exf_utils.h"
#include "exif/exif_block_map.h"
#include "exif/jpeg_segments.h"
#include "exif/lossless_gps_edit.h"
#include "tests/exif/support/exif_builder.h"
#include "tests/tools/exf_run.h"
#include "tools/exf/sample/test_card.h"

#include <gtest/gtest.h>

#include <cmath>

namespace exif_testing {
namespace {

using json = nlohmann::json;

// Every tag exiftool reads, keyed "Group:Name" (-G1, -n), without the ones
// that describe the file rather than its content.
std::map<std::string, json> exiftoolTags(const std::string& path) {
  CommandResult r = runCommand({"exiftool", "-j", "-n", "-G1", "-a", "-b", "-x", "System:all", "-x", "File:all",
                                "-x", "ExifTool:all", "-x", "Composite:all", path, "-execute", "-j", "-G1",
                                "-Comment", path, "-common_args", "-q"});
  EXPECT_EQ(r.status, 0) << r.command << "\n" << r.err;
  std::map<std::string, json> tags;
  if (r.status != 0) return tags;
  // Two JSON arrays, one per -execute: the tags, then the comment.
  std::size_t second = r.out.find("[{", 1);
  for (const std::string& part : {r.out.substr(0, second), second == std::string::npos ? "" : r.out.substr(second)}) {
    if (part.empty()) continue;
    const json all = json::parse(part);
    for (const auto& [key, value] : all.at(0).items())
      if (key != "SourceFile") tags[key] = value;
  }
  return tags;
}

bool decodes(const std::string& path) {
  const CommandResult r = runCommand({"djpeg", "-outfile", "/dev/null", path});
  return r.status == 0 && r.err.empty();
}

class CameraFile : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    if (!onPath("exiftool") || !onPath("djpeg")) GTEST_SKIP() << "exiftool or djpeg is not installed";
    dir_ = freshDirectory(GetParam() ? "camera-mm" : "camera-ii");
  }

  // The camera-like file; its path.
  std::string make() {
    const std::string tagged = dir_ + "/tagged.jpg", thumb = dir_ + "/thumb.jpg";
    writeFile(tagged, exf::encodeTestCard(320, 240));
    writeFile(thumb, exf::encodeTestCard(160, 120, 60));
    CommandResult r = runCommand(
        {"exiftool", "-q", "-overwrite_original", std::string("-ExifByteOrder=") + (GetParam() ? "MM" : "II"),
         "-Make=Camera Maker", "-Model=Model 7", "-Artist=J\xC3\xBCrgen", "-Copyright=\xC2\xA9 2024", "-ISO=200",
         "-ExposureProgram#=2", "-ExposureTime=1/250", "-FNumber=4", "-DateTimeOriginal=2024:05:01 12:34:56",
         "-Orientation#=1", "-XResolution=72", "-YResolution=72", "-ResolutionUnit#=2", "-GPSVersionID=2.2.0.0",
         "-XMP-dc:Title=A title", "-XMP-dc:Creator=J\xC3\xBCrgen", "-ThumbnailImage<=" + thumb, tagged});
    EXPECT_EQ(r.status, 0) << r.command << "\n" << r.err;

    // Take exiftool's segments apart and lay them out as cameras do.
    const Bytes file = readFile(tagged);
    const exif::JpegLayout layout = exif::readJpegLayout(file);
    EXPECT_TRUE(layout.ok()) << layout.error;
    Bytes exifPayload, xmp, dqt;
    std::vector<Bytes> rest;  // the other segments before the image data, as they stand
    for (const auto& s : layout.segments) {
      const Bytes payload(s.payload.begin(), s.payload.end());
      if (s.marker == 0xE1 && exif::isExifPayload(s.payload))
        exifPayload = payload;
      else if (s.marker == 0xE1)
        xmp = payload;
      else if (s.marker == 0xDB && dqt.empty())
        dqt = payload;
      else if (s.marker != 0xE0)
        rest.push_back(Bytes(file.begin() + static_cast<std::ptrdiff_t>(s.offset),
                             file.begin() + static_cast<std::ptrdiff_t>(s.end())));
    }
    EXPECT_FALSE(exifPayload.empty());
    EXPECT_FALSE(xmp.empty());
    EXPECT_FALSE(dqt.empty());
    exifPayload.insert(exifPayload.end(), 64, 0);  // padding after the thumbnail
    Bytes icc1 = bytesOf({'I', 'C', 'C', '_', 'P', 'R', 'O', 'F', 'I', 'L', 'E', 0, 1, 2});
    Bytes icc2 = icc1;
    icc2[12] = 2;
    icc1.insert(icc1.end(), {0, 0, 1, 0xF4});  // the profile's size: 500 bytes in the two chunks
    icc1.insert(icc1.end(), 296, 0x11);
    icc2.insert(icc2.end(), 200, 0x22);
    Bytes out = bytesOf({0xFF, 0xD8});
    for (const Bytes& seg : {segment(0xE1, exifPayload), segment(0xE1, xmp),
                             segment(0xFE, bytesOf({'x', 0xFF, 0xD9, 0xFF, 0xE1, 0x00, 0x02, 'y'})),
                             segment(0xE2, icc1), segment(0xDB, dqt), segment(0xE2, icc2)})
      out.insert(out.end(), seg.begin(), seg.end());
    for (const Bytes& seg : rest) out.insert(out.end(), seg.begin(), seg.end());
    out.insert(out.end(), file.begin() + static_cast<std::ptrdiff_t>(layout.imageDataOffset), file.end());
    const std::string camera = dir_ + "/camera.jpg";
    writeFile(camera, out);
    return camera;
  }

  // exiftool reads the same values from both files, GPS and the structure
  // offsets aside.
  static void expectSameOutsideGps(const std::map<std::string, json>& before,
                                   const std::map<std::string, json>& after) {
    auto skip = [](const std::string& key) {
      return key.rfind("GPS:", 0) == 0 || key == "IFD0:ExifOffset" || key == "IFD0:GPSInfo" ||
             key == "IFD1:ThumbnailOffset" || key == "ExifIFD:InteropOffset";
    };
    std::size_t compared = 0;
    for (const auto& [key, value] : before) {
      if (skip(key)) continue;
      EXPECT_EQ(after.count(key) ? after.at(key) : json(), value) << key;
      ++compared;
    }
    for (const auto& [key, value] : after)
      EXPECT_TRUE(skip(key) || before.count(key)) << key << " appeared";
    EXPECT_GE(compared, 20u);
  }

  std::string dir_;
};

INSTANTIATE_TEST_SUITE_P(BothOrders, CameraFile, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "MM" : "II"; });

TEST_P(CameraFile, IsReadWhole) {
  const std::string camera = make();
  exif::EXFJpeg jpeg;
  jpeg.scanImageData(readFile(camera));
  ASSERT_FALSE(jpeg.scanError());
  const exif::EXFMetaData& md = jpeg.exifMetaData();
  EXPECT_EQ(md.skippedEntryCount(), 0u);
  EXPECT_EQ(*md.tagValue(0x013B), exif::TagValue(std::string("J\xC3\xBCrgen\0", 8)));
  EXPECT_EQ(md.tagValue(0x8827)->fileFormat(), (exif::FieldFormat{exif::kShort, 1}));
  ASSERT_TRUE(md.keyedTagValues().group(exif::TAG_EXIF_GPS));
  EXPECT_TRUE(md.keyedTagValues().group(exif::TAG_EXIF_GPS)->contains(0));  // GPSVersionID alone
  ASSERT_TRUE(md.thumbnailBytes());  // despite the padding after it
  EXPECT_GT(md.thumbnailBytes()->size(), 1000u);
  EXPECT_EQ(md.thumbnailBytes()->front(), 0xFF);
  const json dump = exfJson(camera);
  EXPECT_EQ(dump.at("segments").size(), jpeg.segments().size());
  EXPECT_EQ(dump.at("segments").at(2).at("marker"), "FE");
}

TEST_P(CameraFile, FullRewriteKeepsEveryValueAndSegment) {
  const std::string camera = make(), rewritten = dir_ + "/rewritten.jpg";
  exif::EXFJpeg jpeg;
  jpeg.scanImageData(readFile(camera));
  EXPECT_TRUE(jpeg.rewriteReport().lossless());
  Bytes out;
  jpeg.populateImageData(out);
  writeFile(rewritten, out);
  EXPECT_TRUE(decodes(rewritten));
  auto before = exiftoolTags(camera), after = exiftoolTags(rewritten);
  expectSameOutsideGps(before, after);
  EXPECT_EQ(after.at("GPS:GPSVersionID"), before.at("GPS:GPSVersionID"));
  EXPECT_EQ(after.count("File:Comment"), 1u);
}

TEST_P(CameraFile, LosslessGeotagChangesOnlyGps) {
  const std::string camera = make(), tagged = dir_ + "/geotagged.jpg";
  const Bytes original = readFile(camera);
  Bytes out;
  EXPECT_EQ(exif::editJpegGPS(original, exif::GPSEdit().setLatitude(-48.8584).setLongitude(-2.2945).setAltitude(-35),
                              out),
            exif::GPSEditOutcome::EditedExistingBlock);
  writeFile(tagged, out);
  EXPECT_TRUE(decodes(tagged));
  const auto before = exiftoolTags(camera), after = exiftoolTags(tagged);
  expectSameOutsideGps(before, after);
  EXPECT_EQ(after.at("GPS:GPSLatitudeRef"), "S");
  EXPECT_NEAR(after.at("GPS:GPSLatitude").get<double>(), 48.8584, 1e-6);
  EXPECT_EQ(after.at("GPS:GPSLongitudeRef"), "W");
  EXPECT_NEAR(after.at("GPS:GPSLongitude").get<double>(), 2.2945, 1e-6);
  EXPECT_EQ(after.at("GPS:GPSAltitudeRef"), 1);
  EXPECT_NEAR(after.at("GPS:GPSAltitude").get<double>(), 35, 1e-6);
  EXPECT_EQ(after.at("GPS:GPSVersionID"), before.at("GPS:GPSVersionID"));  // its own version kept
  // The file around the EXIF block is byte for byte the same.
  const auto a = exif::readJpegLayout(original), b = exif::readJpegLayout(out);
  ASSERT_EQ(a.segments.size(), b.segments.size());
  for (std::size_t i = 1; i < a.segments.size(); ++i)
    EXPECT_TRUE(std::ranges::equal(a.segments[i].payload, b.segments[i].payload)) << i;
  // In the EXIF block itself only the GPS pointer and the old GPS
  // directory (zeroed, or holding the new one) changed.
  const auto& oldExif = a.segments[0].payload;
  const auto& newExif = b.segments[0].payload;
  const exif::ExifBlockMap map = exif::mapExifBlock(oldExif);
  ASSERT_TRUE(map.gpsPointerEntry && map.gps);
  const bool big = map.bigEndian;
  const std::size_t gpsEnd = *map.gps + 2 + 12 * exif::EXFUtils::read2Bytes(oldExif.data() + *map.gps, big) + 4;
  for (std::size_t i = 0; i < oldExif.size(); ++i) {
    if (oldExif[i] == newExif[i]) continue;
    EXPECT_TRUE((i >= *map.gps && i < gpsEnd) || (i >= *map.gpsPointerEntry + 8 && i < *map.gpsPointerEntry + 12))
          << i;
  }
}

}  // namespace
}  // namespace exif_testing
