// The EXIF writer's byte layouts, written out as bytes, in both orders.
#include "exif/exf_meta_data.h"
#include "exif/exf_utils.h"
#include "tests/exif/support/exif_builder.h"

#include <gtest/gtest.h>

#include <functional>

namespace exif {
namespace {

using exif_testing::bytesOf;

Bytes header(bool big) {
  return big ? bytesOf({'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8})
             : bytesOf({'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0});
}

Bytes write(EXFMetaData& md) {
  Bytes out;
  md.getData(out);
  return out;
}

struct LayoutCase {
  const char* name;
  bool big;
  std::function<void(EXFMetaData&)> fill;
  Bytes afterHeader;
};

TEST(WriterLayout, EntriesInlineValuesAndOffsets) {
  const std::vector<LayoutCase> cases = {
      {"Make, variable-count text, out of line", true,
       [](EXFMetaData& m) { m.addTagValue("Apple", 271); },
       bytesOf({0, 1, 0x01, 0x0F, 0, 2, 0, 0, 0, 5, 0, 0, 0, 0x1A, 0, 0, 0, 0, 'A', 'p', 'p', 'l', 'e'})},
      {"Make, little-endian", false,
       [](EXFMetaData& m) { m.addTagValue("Apple", 271); },
       bytesOf({1, 0, 0x0F, 0x01, 2, 0, 5, 0, 0, 0, 0x1A, 0, 0, 0, 0, 0, 0, 0, 'A', 'p', 'p', 'l', 'e'})},
      {"Orientation, SHORT inline", true,
       [](EXFMetaData& m) { m.addTagValue(Number::fromInt32(6), 274); },
       bytesOf({0, 1, 0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, 6, 0, 0, 0, 0, 0, 0})},
      {"Orientation, little-endian", false,
       [](EXFMetaData& m) { m.addTagValue(Number::fromInt32(6), 274); },
       bytesOf({1, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0, 6, 0, 0, 0, 0, 0, 0, 0})},
      {"DateTime, fixed count 20 with NUL", true,
       [](EXFMetaData& m) { m.addTagValue("2009:03:14 15:09:26", 306); },
       [] {
         Bytes b = bytesOf({0, 1, 0x01, 0x32, 0, 2, 0, 0, 0, 20, 0, 0, 0, 0x1A, 0, 0, 0, 0});
         std::string t = "2009:03:14 15:09:26";
         b.insert(b.end(), t.begin(), t.end());
         b.push_back(0);
         return b;
       }()},
      {"GPSLatitudeRef N inline with count 2, GPS group pointer", true,
       [](EXFMetaData& m) { m.addTagValue("N", 1); },
       bytesOf({0, 1, 0x88, 0x25, 0, 4, 0, 0, 0, 1, 0, 0, 0, 0x1A, 0, 0, 0, 0,         // IFD0
                0, 1, 0x00, 0x01, 0, 2, 0, 0, 0, 2, 'N', 0, 0, 0, 0, 0, 0, 0})},          // GPS at 26
      {"Empty GPS group still gets a block", false,
       [](EXFMetaData& m) { m.keyedTagValues().set(34853, Directory{}); },
       bytesOf({1, 0, 0x25, 0x88, 4, 0, 1, 0, 0, 0, 0x1A, 0, 0, 0, 0, 0, 0, 0,
                0, 0, 0, 0, 0, 0})},
  };
  for (const auto& c : cases) {
    EXFMetaData md;
    md.setBigEndianOrder(c.big);
    c.fill(md);
    Bytes expected = header(c.big);
    expected.insert(expected.end(), c.afterHeader.begin(), c.afterHeader.end());
    EXPECT_EQ(write(md), expected) << c.name;
  }
}

class Writer : public ::testing::TestWithParam<bool> {
 protected:
  bool big() const { return GetParam(); }
  std::uint32_t u32(const Bytes& b, std::size_t at) const { return EXFUtils::read4Bytes(&b[at], big()); }
  std::uint16_t u16(const Bytes& b, std::size_t at) const { return EXFUtils::read2Bytes(&b[at], big()); }
};

INSTANTIATE_TEST_SUITE_P(BothOrders, Writer, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "MM" : "II"; });

TEST_P(Writer, GroupsFollowTheirParentsValueAreaInKeyOrder) {
  EXFMetaData md;
  md.setBigEndianOrder(big());
  md.addTagValue("Apple", 271);
  md.addTagValue(EXFraction(1, 125), 0x829A);
  md.addTagValue("N", 1);
  Bytes out = write(md);
  // IFD0 at TIFF 8: Make, then the pointers 0x8769 and 0x8825 last.
  const std::size_t ifd0 = 6 + 8;
  ASSERT_EQ(u16(out, ifd0), 3);
  EXPECT_EQ(u16(out, ifd0 + 2 + 12), 0x8769);
  EXPECT_EQ(u16(out, ifd0 + 2 + 24), 0x8825);
  const std::uint32_t exifAt = u32(out, ifd0 + 2 + 12 + 8);
  const std::uint32_t gpsAt = u32(out, ifd0 + 2 + 24 + 8);
  EXPECT_EQ(exifAt, 8u + 2 + 36 + 4 + 5);         // right after IFD0's value area ("Apple")
  EXPECT_EQ(gpsAt, exifAt + 2 + 12 + 4 + 8);      // right after the Exif block and its rational
  EXPECT_EQ(u16(out, 6 + gpsAt + 2), 1);          // GPSLatitudeRef
}

TEST_P(Writer, GpsLatitudeGoesThroughItsHandlerWithTheDefinitionsType) {
  EXFMetaData md;
  md.setBigEndianOrder(big());
  EXFGPSLoc loc;
  loc.setDegrees(EXFraction(37, 1));
  loc.setMinutes(EXFraction(46, 1));
  loc.setSeconds(EXFraction(2964, 100));
  md.addTagValue(loc, 2);
  Bytes out = write(md);
  const std::size_t gps = 6 + u32(out, 6 + 8 + 2 + 8);
  EXPECT_EQ(u16(out, gps + 2 + 2), 5);   // RATIONAL
  EXPECT_EQ(u32(out, gps + 2 + 4), 3u);  // count
  EXPECT_EQ(out.size(), gps + 2 + 12 + 4 + 24);
}

TEST_P(Writer, ThumbnailDirectoryPointsAtTheBytesThatFollowIt) {
  EXFMetaData md;
  md.setBigEndianOrder(big());
  md.addTagValue(Number::fromInt32(1), 274);
  md.addThumbnailTagValue(Number::fromInt32(6), 259);
  md.addThumbnailTagValue(Number::fromInt32(4), 514);
  md.setThumbnailData({0xFF, 0xD8, 0xFF, 0xD9});
  Bytes out = write(md);
  const std::uint32_t t1 = u32(out, 6 + 8 + 2 + 12);  // IFD0's link
  EXPECT_EQ(t1, 8u + 2 + 12 + 4);
  EXPECT_EQ(u16(out, 6 + t1), 3);                    // 259, 513, 514, all inline
  EXPECT_EQ(u32(out, 6 + t1 + 2 + 12 + 8), t1 + 42);  // JPEGInterchangeFormat
  EXPECT_EQ(Bytes(out.end() - 4, out.end()), bytesOf({0xFF, 0xD8, 0xFF, 0xD9}));
  EXPECT_EQ(out.size(), 6 + t1 + 42 + 4);

  EXFMetaData back;
  back.parseExif(out);
  EXPECT_EQ(*back.thumbnailBytes(), bytesOf({0xFF, 0xD8, 0xFF, 0xD9}));
}

TEST_P(Writer, ThumbnailThatWasNotKeptLeavesNoPointerPastTheBlock) {
  using namespace exif_testing;
  Bytes payload = ExifBuilder(big())
                      .add(Ifd::Ifd0, Short(0x0112, {1}))
                      .add(Ifd::Ifd1, Short(0x0103, {6}))
                      .thumbnail(Bytes(100, 0xAB))
                      .build();
  payload.push_back(0);  // padding after the thumbnail: it is not taken
  EXFMetaData md;
  md.parseExif(payload);
  ASSERT_FALSE(md.thumbnailBytes());
  ASSERT_TRUE(md.keyedThumbnailTagValues().contains(TAG_JPEG_INTERCHANGE_FORMAT));

  Bytes out = write(md);
  EXFMetaData back;
  back.parseExif(out);
  EXPECT_TRUE(back.keyedThumbnailTagValues().contains(0x0103));
  EXPECT_FALSE(back.keyedThumbnailTagValues().contains(TAG_JPEG_INTERCHANGE_FORMAT));
  EXPECT_FALSE(back.keyedThumbnailTagValues().contains(TAG_JPEG_INTERCHANGE_FORMAT_LENGTH));
  EXPECT_EQ(back.skippedEntryCount(), 0u);
}

TEST_P(Writer, GroupInTheThumbnailDirectoryGetsARealBlock) {
  EXFMetaData md;
  md.setBigEndianOrder(big());
  md.addTagValue(Number::fromInt32(1), 274);
  md.addThumbnailTagValue(Number::fromInt32(6), 259);
  md.addThumbnailTagValue("N", 1);  // lands in a GPS group inside IFD1
  md.addThumbnailTagValue(Number::fromInt32(2), 514);
  md.setThumbnailData({0xFF, 0xD9});
  Bytes out = write(md);
  EXFMetaData back;
  back.parseExif(out);
  ASSERT_TRUE(back.keyedThumbnailTagValues().group(34853));
  EXPECT_EQ(*back.keyedThumbnailTagValues().group(34853)->find(1)->get<std::string>(), std::string("N\0", 2));
  EXPECT_EQ(*back.thumbnailBytes(), bytesOf({0xFF, 0xD9}));
  EXPECT_EQ(back.skippedEntryCount(), 0u);
}

TEST_P(Writer, ValuesItCannotWriteAreLeftOutAndCounted) {
  EXFMetaData md;
  md.setBigEndianOrder(big());
  md.addTagValue(Number::fromInt32(1), 274);
  md.keyedTagValues().set(0x8827, Number::fromUInt16(100));  // parsed ISO number: ASCII, variable count
  md.keyedTagValues().set(0x9999, Number::fromUInt16(1));    // neither handler nor definition
  EXPECT_EQ(md.unwritableValueCount(), 2u);
  Bytes out = write(md);
  EXPECT_EQ(u16(out, 6 + 8), 1);
}

TEST_P(Writer, ParsedValuesRoundTrip) {
  using namespace exif_testing;
  Bytes payload = ExifBuilder(big())
                      .add(Ifd::Ifd0, Ascii(0x010F, "Holdstill"))
                      .add(Ifd::Ifd0, Short(0x0212, {2, 1}))
                      .add(Ifd::Ifd0, Rational(0x011A, {{72, 1}}))
                      .add(Ifd::Exif, SRational(0x9204, {{-1, 3}}))
                      .add(Ifd::Exif, Undefined(0x9286, {'A', 'S', 'C', 'I', 'I', 0, 0, 0, 'h', 'i'}))
                      .add(Ifd::Exif, Undefined(0x927C, {1, 2, 3, 4, 5, 6}))
                      .add(Ifd::Interop, Ascii(0x0001, "R98"))  // tag 1 is GPSLatitudeRef, count 2, elsewhere
                      .add(Ifd::Interop, Undefined(0x0002, {'0', '1', '0', '0'}))
                      .add(Ifd::Gps, Rational(0x0002, {{1, 1}, {2, 1}, {3, 1}}))
                      .add(Ifd::Gps, Rational(0x0007, {{12, 1}, {34, 1}, {56, 1}}))
                      .add(Ifd::Ifd1, Short(0x0103, {6}))
                      .thumbnail(Bytes(100, 0xAB))
                      .build();
  EXFMetaData first;
  first.parseExif(payload);
  ASSERT_EQ(first.skippedEntryCount(), 0u);
  EXPECT_EQ(first.unwritableValueCount(), 0u);
  EXFMetaData second;
  second.parseExif(write(first));
  EXPECT_EQ(second.keyedTagValues(), first.keyedTagValues());
  EXPECT_EQ(second.keyedThumbnailTagValues(), first.keyedThumbnailTagValues());
  EXPECT_EQ(second.thumbnailBytes(), first.thumbnailBytes());
}

TEST(WriterHeader, ComesFromTheByteOrderEvenWhenTheParsedHeaderWasOdd) {
  exif_testing::Bytes payload = exif_testing::ExifBuilder(true).add(exif_testing::Ifd::Ifd0, exif_testing::Short(0x0112, {1})).build();
  payload[4] = 'x';  // bytes 4-5 are not examined by the parser
  EXFMetaData md;
  md.parseExif(payload);
  ASSERT_FALSE(md.keyedTagValues().empty());
  md.setBigEndianOrder(false);
  Bytes out = write(md);
  EXPECT_EQ(Bytes(out.begin(), out.begin() + 14), header(false));
}

}  // namespace
}  // namespace exif
