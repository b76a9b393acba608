// The EXIF composition read back two ways, by the library and by exiftool:
// the tags, the GPS position with its references, and the picture and its
// thumbnail (itself carrying the application thumbnail) turned upright by
// the one Orientation tag, for each orientation.
#include "storage/exif_composition.h"

#include "platform/graphics/image_codec.h"
#include "tests/exif/support/command.h"
#include "tests/exif/support/exif_builder.h"
#include "tests/platform/pixel_support.h"
#include "tests/storage/test_pictures.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>

namespace holdstill {
namespace {

using namespace platform;
using namespace holdstill::testing;
using exif::TagValue;

// A text value as written, without the NUL that ends it in the file.
std::string text(const TagValue* value) {
  const auto* s = value ? value->get<std::string>() : nullptr;
  if (!s) return "<missing>";
  return s->substr(0, s->find('\0'));
}

double number(const TagValue* value) {
  if (!value) return NAN;
  if (const auto* n = value->get<exif::Number>()) return n->doubleValue();
  if (const auto* loc = value->get<exif::EXFGPSLoc>()) return loc->descriptionAsDecimal();
  return NAN;
}

CLLocationRef fixAt(double lat, double lon, double alt) {
  return std::make_shared<const CLLocation>(CLLocationCoordinate2D{lat, lon}, alt, 5,
                                            NSDate::dateWithTimeIntervalSince1970(0));
}

TEST(Composition, TextsInAnyLanguageGoInTheirAsciiFormAndAFailureSaysWhy) {
  CompositionFacts facts = knownPhone();
  facts.appName = "Stillhalt\xC3\xA9 \xE2\x98\x85";
  facts.device.model = "iPh\xC3\xB8ne";
  const auto composed = addEXIF(quarterCard(16, 16, UIImageOrientationUp), {}, true, facts);
  ASSERT_TRUE(composed);
  const auto jpeg = scan(*composed);
  EXPECT_EQ(text(jpeg.exifMetaData().tagValue(305)), "Stillhalte ? v1.2");
  EXPECT_EQ(text(jpeg.exifMetaData().tagValue(272)), "iPh?ne");

  // A model too long for any EXIF block: no picture, and the reason.
  facts.device.model.assign(70000, 'x');
  std::string failure;
  EXPECT_FALSE(addEXIF(quarterCard(16, 16, UIImageOrientationUp), {}, true, facts, &failure));
  EXPECT_NE(failure.find("EXIF block"), std::string::npos) << failure;
}

TEST(Composition, WithoutAPictureTheGivenJpegIsTagged) {
  const exif::Bytes given = encodeJPEG(*quarterCard(32, 16, UIImageOrientationUp)->CGImage(), 80);
  const auto composed = addEXIF(nullptr, given, true, knownPhoneWithThumb());
  ASSERT_TRUE(composed);
  const auto jpeg = scan(*composed);
  EXPECT_EQ(text(jpeg.exifMetaData().tagValue(271)), "Apple");
  EXPECT_EQ(jpeg.exifMetaData().tagValue(40962), nullptr) << "no picture, no pixel size";
  EXPECT_EQ(number(jpeg.exifMetaData().tagValue(274)), 1) << "nor anything to turn";
  EXPECT_FALSE(addEXIF(nullptr, {}, true, knownPhone())) << "nothing to compose";
}

TEST(Composition, AnApplicationThumbnailTooLargeForTheBlockIsLeftOutOfTheThumbnail) {
  // Noise does not compress: its JPEG alone overflows a segment.
  std::vector<uint32_t> noise(400 * 300);
  uint32_t state = 12345;
  for (auto& p : noise) p = 0xFF000000u | ((state = state * 1664525u + 1013904223u) >> 8);
  CompositionFacts facts = knownPhone();
  facts.processedThumb = std::make_shared<const exif::Bytes>(
      encodeJPEG(platform::CGImage(400, 300, std::move(noise)), 100));
  ASSERT_GT(facts.processedThumb->size(), 65533u);
  facts.fix = fixAt(47, 8, 400);
  const auto composed = addEXIF(quarterCard(320, 240, UIImageOrientationUp), {}, true, facts);
  ASSERT_TRUE(composed) << "the picture is still composed";
  const auto jpeg = scan(*composed);
  EXPECT_EQ(text(jpeg.exifMetaData().tagValue(1)), "N");
  // The picture keeps its thumbnail, which goes without the application thumbnail.
  const auto thumbnail = jpeg.exifMetaData().thumbnailBytes().value_or(exif::Bytes{});
  const CGImageRef small = decodeImage(thumbnail);
  ASSERT_TRUE(small);
  EXPECT_EQ(small->width(), 160);
  const auto thumbJpeg = scan(thumbnail);
  EXPECT_EQ(number(thumbJpeg.exifMetaData().thumbnailTagValue(514)), 0);
  EXPECT_EQ(text(thumbJpeg.exifMetaData().tagValue(1)), "N");
}

// ---- read back by exiftool, for each orientation and position: the
// picture and its thumbnail, turned as the Orientation tag says, both show
// the card upright, and both carry the position with its references.

struct OrientationCase {
  const char* name;
  UIImageOrientation orientation;
  int tag;            // Orientation
  int width, height;  // as stored
  RGBA8 topLeft, topRight, bottomLeft, bottomRight;  // as shown
  double lat, lon, alt;
  const char *latRef, *lonRef;
  int altRef;
};

const OrientationCase kOrientations[] = {
    {"UpNorthEast", UIImageOrientationUp, 1, 400, 300, kRed, kGreen, kBlue, kYellow, 47.3769, 8.5417, 408.25, "N",
     "E", 0},
    {"DownSouthWestBelowSeaLevel", UIImageOrientationDown, 3, 400, 300, kYellow, kBlue, kGreen, kRed, -33.8688,
     -70.6693, -12.5, "S", "W", 1},
    {"RightZeroIsNorthAndEast", UIImageOrientationRight, 6, 400, 300, kBlue, kRed, kYellow, kGreen, 0, 0, 0, "N",
     "E", 0},
    {"LeftStoredTall", UIImageOrientationLeft, 8, 300, 400, kGreen, kYellow, kRed, kBlue, -33.8688, 151.2093, -3,
     "S", "E", 1},
};

class ComposedFile : public ::testing::TestWithParam<OrientationCase> {};

TEST_P(ComposedFile, ReadsBackInExiftoolAndShowsUprightWithItsThumbnail) {
  const OrientationCase& c = GetParam();
  CompositionFacts facts = knownPhoneWithThumb();
  facts.fix = fixAt(c.lat, c.lon, c.alt);
  const auto picture = quarterCard(c.width, c.height, c.orientation);
  const auto composed = addEXIF(picture, {}, true, facts);
  ASSERT_TRUE(composed);

  const auto jpeg = scan(*composed);
  const auto& md = jpeg.exifMetaData();
  const auto thumbnail = md.thumbnailBytes().value_or(exif::Bytes{});
  const CGImageRef small = decodeImage(thumbnail), big = decodeImage(*composed);
  ASSERT_TRUE(small && big);
  EXPECT_EQ(small->width() * c.height, small->height() * c.width) << "the thumbnail keeps the stored shape";
  EXPECT_EQ(std::max(small->width(), small->height()), 160);
  for (const CGImageRef& stored : {small, big}) {
    const std::pair<RGBA8, RGBA8> corners[] = {
        {platform::testsupport::shownColorAt(*stored, c.tag, 0.1, 0.1), c.topLeft},
        {platform::testsupport::shownColorAt(*stored, c.tag, 0.9, 0.1), c.topRight},
        {platform::testsupport::shownColorAt(*stored, c.tag, 0.1, 0.9), c.bottomLeft},
        {platform::testsupport::shownColorAt(*stored, c.tag, 0.9, 0.9), c.bottomRight}};
    for (const auto& [seen, wanted] : corners)
      EXPECT_TRUE(platform::testsupport::near(seen, wanted, 40)) << seen;
  }
  // The thumbnail carries the position too (its tags are written as the
  // picture's, read back below), and its own thumbnail is the application
  // thumbnail.
  const auto thumbJpeg = scan(thumbnail);
  const auto& thumbMd = thumbJpeg.exifMetaData();
  EXPECT_EQ(thumbMd.thumbnailBytes(), *facts.processedThumb);
  EXPECT_EQ(text(thumbMd.tagValue(1)), c.latRef);
  EXPECT_NEAR(number(thumbMd.tagValue(2)), std::fabs(c.lat), 1e-6);

  const std::string path = exif_testing::freshDirectory("exiftool") + "/composed.jpg";
  exif_testing::writeFile(path, *composed);
  const auto tags = exif_testing::runCommand({"exiftool", "-j", "-n", "-G1", "-a", path});
  ASSERT_EQ(tags.status, 0) << tags.err;
  const nlohmann::json all = nlohmann::json::parse(tags.out).at(0);
  const bool portrait = c.orientation == UIImageOrientationLeft || c.orientation == UIImageOrientationRight;
  EXPECT_EQ(all.at("IFD0:Make"), "Apple");
  EXPECT_EQ(all.at("IFD0:Model"), "iPhone");
  EXPECT_EQ(all.at("IFD0:Software"), "Holdstill v1.2");
  EXPECT_EQ(all.at("IFD0:Artist"), "Camera owner, Jorg's ? Phone");
  EXPECT_EQ(all.at("IFD0:ModifyDate"), "2009:12:31 23:59:59");
  EXPECT_EQ(all.at("ExifIFD:DateTimeOriginal"), "2009:12:31 23:59:59");
  EXPECT_EQ(all.at("ExifIFD:CreateDate"), "2009:12:31 23:59:59");
  EXPECT_EQ(all.at("ExifIFD:ExifImageWidth"), portrait ? c.height : c.width);
  EXPECT_EQ(all.at("ExifIFD:ExifImageHeight"), portrait ? c.width : c.height);
  EXPECT_EQ(all.at("IFD0:Orientation"), c.tag);
  EXPECT_EQ(number(thumbMd.tagValue(274)), c.tag) << "the thumbnail alone shows upright too";
  EXPECT_EQ(all.at("ExifIFD:ColorSpace"), 65535);
  EXPECT_EQ(all.at("ExifIFD:UserComment"), "Holdstill v1.2 from holdstill.app");
  EXPECT_EQ(all.at("GPS:GPSLatitudeRef"), c.latRef);
  EXPECT_NEAR(all.at("GPS:GPSLatitude").get<double>(), std::fabs(c.lat), 1e-6);
  EXPECT_EQ(all.at("GPS:GPSLongitudeRef"), c.lonRef);
  EXPECT_NEAR(all.at("GPS:GPSLongitude").get<double>(), std::fabs(c.lon), 1e-6);
  EXPECT_EQ(all.at("GPS:GPSAltitudeRef"), c.altRef);
  EXPECT_NEAR(all.at("GPS:GPSAltitude").get<double>(), std::fabs(c.alt), 1e-9);
  EXPECT_EQ(all.at("IFD1:ThumbnailLength"), thumbnail.size());
  EXPECT_EQ(all.at("IFD1:Compression"), 6) << "a JPEG thumbnail";

  // Validation may warn about tags the composition does not write, but finds no error.
  const auto findings = exif_testing::runCommand({"exiftool", "-validate", "-error", "-warning", "-a", "-s", path});
  ASSERT_EQ(findings.status, 0) << findings.err;
  EXPECT_EQ(findings.out.find("Error"), std::string::npos) << findings.out;
  EXPECT_NE(findings.out.find("Validate"), std::string::npos) << findings.out;
}

INSTANTIATE_TEST_SUITE_P(Orientations, ComposedFile, ::testing::ValuesIn(kOrientations),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace holdstill
