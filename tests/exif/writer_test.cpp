// The EXIF writer: its byte layouts written out as bytes in both orders, and
// what it does with values it cannot or should not write.
#include "exif/exf_meta_data.h"
#include "exif/exf_utils.h"
#include "tests/exif/support/exif_builder.h"
#include "tests/exif/support/exif_checks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace exif {
namespace {

using namespace exif_testing;

void makeAndGps(EXFMetaData& m) {
  m.addTagValue("Apple", 271);
  m.addTagValue("N", 1);
}

void thumbnail(EXFMetaData& m) {
  m.addTagValue(Number::fromInt32(6), 274);
  m.addThumbnailTagValue(Number::fromInt32(6), 259);
  m.addThumbnailTagValue(Number::fromInt32(4), 514);
  m.setThumbnailData({0xFF, 0xD8, 0xFF, 0xD9});
}

TEST(WriterLayout, EntriesInlineValuesOffsetsGroupsAndTheThumbnail) {
  const struct {
    const char* name;
    bool big;
    std::function<void(EXFMetaData&)> fill;
    Bytes afterHeader;  // everything after "Exif" NUL NUL, the order mark, 42 and IFD0's offset 8
  } cases[] = {
      {"Make out of line at 38, padded to an even length; the GPS group after IFD0's value area, at 44; "
       "GPSLatitudeRef inline",
       true, makeAndGps,
       bytesOf({0, 2, 0x01, 0x0F, 0, 2, 0, 0, 0, 5, 0, 0, 0, 0x26, 0x88, 0x25, 0, 4, 0, 0, 0, 1, 0, 0, 0, 0x2C,
                0, 0, 0, 0, 'A', 'p', 'p', 'l', 'e', 0,
                0, 1, 0x00, 0x01, 0, 2, 0, 0, 0, 2, 'N', 0, 0, 0, 0, 0, 0, 0})},
      {"Orientation SHORT inline; IFD0 links IFD1 at 26, whose JPEGInterchangeFormat is 68", true, thumbnail,
       bytesOf({0, 1, 0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, 6, 0, 0, 0, 0, 0, 0x1A,
                0, 3, 0x01, 0x03, 0, 3, 0, 0, 0, 1, 0, 6, 0, 0,
                0x02, 0x01, 0, 4, 0, 0, 0, 1, 0, 0, 0, 0x44,
                0x02, 0x02, 0, 4, 0, 0, 0, 1, 0, 0, 0, 4, 0, 0, 0, 0, 0xFF, 0xD8, 0xFF, 0xD9})},
      {"a GPS group in IFD1 gets its block after IFD1's, and the thumbnail follows both", false,
       [](EXFMetaData& m) {
         m.addTagValue(Number::fromInt32(1), 274);
         m.addThumbnailTagValue(Number::fromInt32(6), 259);
         m.addThumbnailTagValue("N", 1);
         m.addThumbnailTagValue(Number::fromInt32(2), 514);
         m.setThumbnailData({0xFF, 0xD9});
       },
       bytesOf({1, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0x1A, 0, 0, 0,
                4, 0, 0x03, 0x01, 3, 0, 1, 0, 0, 0, 6, 0, 0, 0,
                0x01, 0x02, 4, 0, 1, 0, 0, 0, 0x62, 0, 0, 0,
                0x02, 0x02, 4, 0, 1, 0, 0, 0, 2, 0, 0, 0,
                0x25, 0x88, 4, 0, 1, 0, 0, 0, 0x50, 0, 0, 0, 0, 0, 0, 0,
                1, 0, 0x01, 0x00, 2, 0, 2, 0, 0, 0, 'N', 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xD9})},
      {"an empty GPS group still gets a block", false,
       [](EXFMetaData& m) { m.keyedTagValues().set(34853, Directory{}); },
       bytesOf({1, 0, 0x25, 0x88, 4, 0, 1, 0, 0, 0, 0x1A, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})},
  };
  for (const auto& c : cases) {
    EXFMetaData md;
    md.setBigEndianOrder(c.big);
    c.fill(md);
    Bytes expected = c.big ? bytesOf({'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8})
                           : bytesOf({'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0});
    expected.insert(expected.end(), c.afterHeader.begin(), c.afterHeader.end());
    EXPECT_EQ(write(md), expected) << c.name;
  }
}

TEST(Writer, HeaderComesFromTheByteOrderNotFromTheParsedHeader) {
  Bytes payload = ExifBuilder(true).add(Ifd::Ifd0, Short(0x0112, {1})).build();
  payload[4] = 'x';  // bytes 4-5 are not examined by the parser
  EXFMetaData md = parse(payload);
  ASSERT_FALSE(md.keyedTagValues().empty());
  md.setBigEndianOrder(false);
  const Bytes out = write(md);
  EXPECT_EQ(Bytes(out.begin(), out.begin() + 10), bytesOf({'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0}));
}

TEST(Writer, ValuesItCannotWriteAreLeftOutAndCountedAndTheRestWritten) {
  EXFMetaData md;
  md.addTagValue(Number::fromInt32(1), 274);
  md.keyedTagValues().set(0x8827, Number::fromUInt16(100));  // parsed ISO number: the table says ASCII
  md.keyedTagValues().set(0x9999, Number::fromUInt16(1));    // neither handler nor definition
  md.addTagValue("2009:03:14 15:09:26.5", 306);              // cut to DateTime's 20 bytes
  md.addTagValue(Number::fromUInt16(2), 0x8822);             // ExposureProgram: SHORT, variable count
  md.addTagValue(Array{Number::fromUInt16(1), Number::fromUInt16(2)}, 0x8822);
  EXPECT_EQ(md.unwritableValueCount(), 3u);
  const EXFMetaData back = parse(write(md));
  EXPECT_EQ(back.keyedTagValues().size(), 3u);  // and the Exif group
  EXPECT_EQ(*back.tagValue(0x8822), TagValue(Array{Number::fromUInt16(1), Number::fromUInt16(2)}));
}

class WriterBothOrders : public ::testing::TestWithParam<bool> {};
INSTANTIATE_TEST_SUITE_P(BothOrders, WriterBothOrders, ::testing::Bool(), byteOrderName);

// Parsed values go back with the type and count they were read with, those
// the table disagrees with included.
TEST_P(WriterBothOrders, ParsedValuesRoundTripWithTheirTypeAndCount) {
  const bool big = GetParam();
  const Bytes payload = ExifBuilder(big)
                            .add(Ifd::Ifd0, Ascii(0x010F, "Holdstill"))
                            .add(Ifd::Ifd0, Ascii(0x013B, "J\xC3\xBCrgen"))  // UTF-8 Artist
                            .add(Ifd::Ifd0, Raw(0x0110, 2, 8, {'I', 'O', 'N', '2', '3', '0', 0, 'F'}))
                            .add(Ifd::Ifd0, Short(0x0212, {2, 1}))
                            .add(Ifd::Ifd0, Rational(0x011A, {{72, 1}}))
                            .add(Ifd::Exif, SRational(0x9204, {{-1, 3}}))
                            .add(Ifd::Exif, Undefined(0x9286, {'A', 'S', 'C', 'I', 'I', 0, 0, 0, 'h', 'i'}))
                            .add(Ifd::Exif, Undefined(0x927C, {1, 2, 3, 4, 5, 6}))
                            .add(Ifd::Exif, Short(0x8827, {100, 200}))  // ISO: the table says ASCII
                            .add(Ifd::Exif, Short(0x8822, {2}))         // ExposureProgram, variable count
                            .add(Ifd::Exif, Short(0xA407, {1}))         // GainControl: the table says RATIONAL
                            .add(Ifd::Exif, Rational(0x9206, {{4294967295u, 1}}))
                            .add(Ifd::Interop, Ascii(0x0001, "R98"))  // tag 1 is GPSLatitudeRef, count 2, elsewhere
                            .add(Ifd::Interop, Undefined(0x0002, {'0', '1', '0', '0'}))
                            .add(Ifd::Interop, Entry{0x1001, 8, 1, {0xFFFE}, {}})      // SSHORT -2
                            .add(Ifd::Interop, Entry{0x1002, 9, 1, {0xFFFFFFFE}, {}})  // SLONG -2
                            .add(Ifd::Interop, Entry{0x1003, 6, 1, {0xFE}, {}})        // SBYTE -2
                            .add(Ifd::Gps, Rational(0x0002, {{1, 1}, {2, 1}, {3, 1}}))
                            .add(Ifd::Gps, Rational(0x0007, {{12, 1}, {34, 1}, {56, 1}}))
                            .add(Ifd::Ifd1, Short(0x0103, {6}))
                            .thumbnail(Bytes(100, 0xAB))
                            .build();
  EXFMetaData first = parse(payload);
  ASSERT_EQ(first.skippedEntryCount(), 0u);
  EXPECT_EQ(first.unwritableValueCount(), 0u);
  const Bytes out = write(first);
  const EXFMetaData second = parse(out);
  EXPECT_EQ(second.keyedTagValues(), first.keyedTagValues());
  EXPECT_EQ(second.keyedThumbnailTagValues(), first.keyedThumbnailTagValues());
  EXPECT_EQ(second.thumbnailBytes(), first.thumbnailBytes());
  for (TagKey key : {0x013B, 0x0110, 0x8827, 0x8822, 0xA407, 0x9206})
    EXPECT_EQ(second.tagValue(key)->fileFormat(), first.tagValue(key)->fileFormat()) << key;
  EXPECT_EQ(second.tagValue(0x0110)->fileFormat(), (FieldFormat{kAscii, 8}));
  EXPECT_EQ(second.tagValue(0xA407)->fileFormat(), (FieldFormat{kShort, 1}));
  // Entries ascend with the pointers among them (the Interoperability pointer
  // 0xA005 before 0xA407), and every directory starts at an even offset.
  const std::size_t ifd0 = EXFUtils::read4Bytes(out.data() + 10, big);
  const auto root = tagsAt(out, ifd0, big);
  EXPECT_TRUE(std::is_sorted(root.begin(), root.end()));
  EXPECT_EQ(root.back(), 0x8825);
  const std::size_t exifAt = EXFUtils::read4Bytes(out.data() + 6 + ifd0 + 2 + 12 * (root.size() - 2) + 8, big);
  EXPECT_EQ(exifAt % 2, 0u);
  const auto exifTags = tagsAt(out, exifAt, big);
  EXPECT_TRUE(std::is_sorted(exifTags.begin(), exifTags.end()));
  EXPECT_EQ(exifTags.back(), 0xA407);
}

TEST_P(WriterBothOrders, ThumbnailThatWasNotKeptLeavesNoPointerPastTheBlock) {
  Bytes payload = ExifBuilder(GetParam())
                      .add(Ifd::Ifd0, Short(0x0112, {1}))
                      .add(Ifd::Ifd1, Short(0x0103, {6}))
                      .thumbnail(Bytes(100, 0xAB))
                      .build();
  payload.resize(payload.size() - 1);  // the thumbnail's last byte outside: it is not taken
  EXFMetaData md = parse(payload);
  ASSERT_FALSE(md.thumbnailBytes());
  const EXFMetaData back = parse(write(md));
  Directory expected;  // Compression alone: no JPEGInterchangeFormat or its length
  expected.set(0x0103, Number::fromUInt16(6));
  EXPECT_EQ(back.keyedThumbnailTagValues(), expected);
  EXPECT_EQ(back.skippedEntryCount(), 0u);
}

TEST_P(WriterBothOrders, StripThumbnailIsReportedAndItsOffsetsLeftOut) {
  const Bytes payload = ExifBuilder(GetParam())
                            .add(Ifd::Ifd0, Short(0x0112, {1}))
                            .add(Ifd::Ifd1, Short(0x0103, {1}))
                            .add(Ifd::Ifd1, Long(0x0111, {8}))
                            .add(Ifd::Ifd1, Long(0x0117, {4}))
                            .build();
  EXFMetaData md = parse(payload);
  ASSERT_TRUE(md.keyedThumbnailTagValues().contains(0x0111));
  const RewriteReport report = md.rewriteReport();
  ASSERT_EQ(report.losses().size(), 1u);
  EXPECT_EQ(report.losses()[0].kind, RewriteLoss::Kind::StripThumbnail);
  const EXFMetaData back = parse(write(md));
  EXPECT_FALSE(back.keyedThumbnailTagValues().contains(0x0111));
  EXPECT_FALSE(back.keyedThumbnailTagValues().contains(0x0117));
  EXPECT_FALSE(back.keyedThumbnailTagValues().contains(0x0201));
}

TEST(WriterReport, MakerNoteIsReportedAsMovingWithItsOffsets) {
  const Bytes payload = ExifBuilder(false).add(Ifd::Exif, Undefined(0x927C, Bytes(20, 1))).build();
  const RewriteReport report = parse(payload).rewriteReport();
  ASSERT_EQ(report.losses().size(), 1u);
  EXPECT_EQ(report.losses()[0].kind, RewriteLoss::Kind::MakerNoteOffsets);
  EXPECT_EQ(report.losses()[0].tag, 0x927C);
  EXPECT_EQ(report.losses()[0].group, TAG_EXIF_OFFSET);
  EXPECT_FALSE(report.losses()[0].thumbnail) << "the main image's Exif group, not IFD1's";
  EXPECT_FALSE(report.lossless());
}

}  // namespace
}  // namespace exif
