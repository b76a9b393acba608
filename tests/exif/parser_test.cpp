// The EXIF payload parser, in both byte orders, on blocks written by the test
// builder with one field changed per test.
#include "exif/exf_meta_data.h"
#include "exif/exf_utils.h"
#include "tests/exif/support/exif_builder.h"
#include "tests/exif/support/exif_checks.h"

#include <gtest/gtest.h>

namespace exif {
namespace {

using namespace exif_testing;

class Parse : public ::testing::TestWithParam<bool> {
 protected:
  bool big() const { return GetParam(); }
  ExifBuilder builder() const { return ExifBuilder(big()); }
};

INSTANTIATE_TEST_SUITE_P(BothOrders, Parse, ::testing::Bool(), byteOrderName);

TEST_P(Parse, ValuesByFieldTypeOrHandlerInTheirGroupsAndInteropEntriesByTheirOwnTypes) {
  EXFMetaData md = parse(builder()
                             .add(Ifd::Ifd0, Ascii(0x0110, "abcde"))
                             .add(Ifd::Ifd0, Short(0x0102, {8, 8, 8}))
                             .add(Ifd::Ifd0, Long(0x0100, {0x80000000u}))
                             .add(Ifd::Ifd0, Rational(0x013F, {{1, 2}, {3, 4}, {5, 6}}))
                             .add(Ifd::Exif, SRational(0x9204, {{-1, 3}}))
                             .add(Ifd::Exif, SRational(0x9201, {{-1, 3}, {5, -7}}))  // more than its one
                             .add(Ifd::Exif, Undefined(0x9101, {1, 2, 3, 0}))  // handler, no definition
                             .add(Ifd::Exif, Undefined(0x9000, {'0', '2', '3', '0'}))
                             .add(Ifd::Gps, Rational(0x0002, {{37, 1}, {46, 1}, {2964, 100}}))
                             .add(Ifd::Gps, Rational(0x0006, {{300, 10}}))
                             // Tags 1 and 2 are GPSLatitudeRef and GPSLatitude elsewhere.
                             .add(Ifd::Interop, Ascii(0x0001, "R98"))
                             .add(Ifd::Interop, Undefined(0x0002, {'0', '1', '0', '0'}))
                             .add(Ifd::Interop, Short(0x1001, {640}))
                             .add(Ifd::Ifd0, Ascii(0x013B, "J\xC3\xBCrgen \xC2\xA9"))  // bytes above ASCII kept
                             .add(Ifd::Exif, Raw(0x8827, 2, 8, {'I', 'O', 'N', '2', '3', '0', 0, 'F'}))
                             .add(Ifd::Exif, Rational(0x9206, {{4294967295u, 1}}))
                             .build());
  EXPECT_EQ(md.bigEndianOrder(), big());
  EXPECT_EQ(md.skippedEntryCount(), 0u);
  const Directory& root = md.keyedTagValues();
  EXPECT_EQ(*root.find(0x0110), TagValue(std::string("abcde\0", 6)));  // terminator kept
  EXPECT_EQ(*root.find(0x0102), TagValue(Array(3, Number::fromUInt16(8))));
  EXPECT_EQ(*root.find(0x0100), TagValue(Number::fromULong(0x80000000u)));
  EXPECT_EQ((*root.find(0x013F)->get<Array>())[2], TagValue(EXFraction(5, 6)));
  const Directory& exifGroup = *root.group(0x8769);
  EXPECT_EQ(*exifGroup.find(0x9204), TagValue(EXFraction(-1, 3)));
  EXPECT_EQ(*exifGroup.find(0x9201), TagValue(Array{TagValue(EXFraction(-1, 3)), TagValue(EXFraction(5, -7))}));
  EXPECT_EQ(exifGroup.find(0x9101)->get<Array>()->size(), 4u);
  EXPECT_EQ(*exifGroup.find(0x9000), TagValue("0230"));
  EXPECT_NEAR(root.group(0x8825)->find(2)->get<EXFGPSLoc>()->descriptionAsDecimal(), 37.7749, 1e-9);
  EXPECT_EQ(*md.tagValue(6), TagValue(Number::fromDouble(30)));
  const Directory& interop = *exifGroup.group(0xA005);
  EXPECT_EQ(*interop.find(1), TagValue(std::string("R98\0", 4)));
  EXPECT_EQ(*interop.find(2), TagValue(bytesOf({'0', '1', '0', '0'})));
  EXPECT_EQ(*interop.find(0x1001), TagValue(Number::fromUInt16(640)));
  // A text ends at its first NUL; an unsigned rational keeps its full range.
  EXPECT_EQ(*md.tagValue(0x013B), TagValue(std::string("J\xC3\xBCrgen \xC2\xA9\0", 11)));
  EXPECT_EQ(*md.tagValue(0x8827), TagValue(std::string("ION230\0", 7)));
  EXPECT_EQ(md.tagValue(0x9206)->get<EXFraction>()->description(), "4294967295");
}

TEST_P(Parse, EntriesItCannotKeepAreSkippedAndCounted) {
  const Bytes f = {0x3F, 0x80, 0, 0};
  EXFMetaData md = parse(builder()
                             .add(Ifd::Ifd0, Raw(0x010F, 2, 0, {}))   // empty text: kept
                             .add(Ifd::Ifd0, Raw(0x0112, 3, 0, {}))   // no numbers
                             .add(Ifd::Ifd0, Short(0x9214, {1}))      // no definition
                             .add(Ifd::Ifd0, Raw(0x011A, 11, 1, f))   // FLOAT
                             .add(Ifd::Ifd0, Raw(0x0131, 13, 1, f))   // type 13
                             .add(Ifd::Ifd0, Raw(0x0110, 0, 1, f))    // type 0
                             .add(Ifd::Gps, Undefined(0x0002, f))     // GPSLatitude needs 24 bytes
                             .build());
  EXPECT_EQ(*md.keyedTagValues().find(0x010F), TagValue(""));
  EXPECT_EQ(md.keyedTagValues().size(), 2u);  // and the GPS group, empty
  EXPECT_TRUE(md.keyedTagValues().group(0x8825)->empty());
  EXPECT_EQ(md.skippedEntryCount(), 6u);
  // Each is listed with its raw field where readable.
  ASSERT_EQ(md.unkeptEntries().size(), 6u);
  auto unkept = [&](std::uint16_t tag) {
    for (const UnkeptEntry& u : md.unkeptEntries())
      if (u.tag == tag) return u;
    ADD_FAILURE() << tag << " not listed";
    return UnkeptEntry{};
  };
  EXPECT_EQ(unkept(0x9214).reason, "tag not in the table");
  EXPECT_EQ(unkept(0x9214).value, big() ? bytesOf({0, 1}) : bytesOf({1, 0}));
  EXPECT_EQ(unkept(0x011A).type, 11);
  EXPECT_EQ(unkept(0x011A).reason, "floating-point value");
  EXPECT_EQ(unkept(0x0002).group, TAG_EXIF_GPS);
  EXPECT_EQ(md.rewriteReport().entryCount(), 6u);
}

TEST_P(Parse, TagZeroEntriesAreKeptUnlessTheyAreZeroedPadding) {
  // A GPS directory holding only GPSVersionID, as some cameras write it.
  EXFMetaData md = parse(builder().add(Ifd::Gps, Byte(0x0000, {2, 2, 0, 0})).build());
  const Array version = {Number::fromUInt8(2), Number::fromUInt8(2), Number::fromUInt8(0), Number::fromUInt8(0)};
  EXPECT_EQ(*md.keyedTagValues().group(0x8825)->find(0), TagValue(version));
  EXPECT_EQ(md.skippedEntryCount(), 0u);
  // A zeroed last entry is padding: the link is read in its place.
  ExifBuilder b = builder();
  Bytes payload = b.add(Ifd::Ifd0, Short(0x0112, {1})).build();
  payload.insert(payload.end(), 12, 0);
  putU16(payload, b.positions().at(Ifd::Ifd0), 2, big());  // the link and what follows as entry 2
  md = parse(payload);
  EXPECT_EQ(md.keyedTagValues().size(), 1u);
  EXPECT_EQ(md.skippedEntryCount(), 0u);
  EXPECT_TRUE(md.keyedThumbnailTagValues().empty());
  // A directory whose only entry is zeroed padding holds nothing and loses nothing.
  ExifBuilder lone = builder();
  payload = lone.add(Ifd::Ifd0, Short(0x0112, {1})).build();
  std::fill_n(payload.begin() + static_cast<std::ptrdiff_t>(lone.positions().at(Ifd::Ifd0) + 2), 12, 0);
  md = parse(payload);
  EXPECT_TRUE(md.keyedTagValues().empty());
  EXPECT_EQ(md.skippedEntryCount(), 0u);
}

TEST_P(Parse, ThumbnailTakenWhereverItLiesInsideThePayload) {
  const Bytes thumb = {0xFF, 0xD8, 1, 2, 3, 0xFF, 0xD9};
  ExifBuilder b = builder();
  Bytes payload = b.add(Ifd::Ifd0, Short(0x0112, {1})).thumbnail(thumb).build();
  EXFMetaData md = parse(payload);
  EXPECT_EQ(md.thumbnailBytes(), thumb);
  EXPECT_FALSE(md.thumbnailLeftBehind());
  payload.insert(payload.end(), 100, 0);  // padding after it, as many cameras leave
  EXPECT_EQ(parse(payload).thumbnailBytes(), thumb);
  payload.resize(payload.size() - 100);
  // Declared a byte longer than the payload holds, with its end marker inside: taken.
  const std::size_t lengthEntry = b.positions().at(Ifd::Ifd1) + 2 + 12;  // after JPEGInterchangeFormat
  ASSERT_EQ(EXFUtils::read2Bytes(payload.data() + lengthEntry, big()), 0x0202);
  putU32(payload, lengthEntry + 8, static_cast<std::uint32_t>(thumb.size() + 1), big());
  EXPECT_EQ(parse(payload).thumbnailBytes(), thumb);
  payload.resize(payload.size() - 1);  // its last byte outside
  md = parse(payload);
  EXPECT_FALSE(md.thumbnailBytes());
  EXPECT_TRUE(md.thumbnailLeftBehind());
  // So is one whose position is no number.
  EXPECT_TRUE(parse(builder().add(Ifd::Ifd1, Ascii(0x0201, "x")).build()).thumbnailLeftBehind());
  // Without JPEGInterchangeFormat, a JPEG that follows a complete IFD1 is taken.
  payload = builder().add(Ifd::Ifd1, Short(0x0103, {6})).build();
  payload.insert(payload.end(), thumb.begin(), thumb.end());
  EXPECT_EQ(parse(payload).thumbnailBytes(), thumb);
  payload.back() = 0;
  payload[payload.size() - thumb.size()] = 0;  // not a JPEG: strip data or junk
  EXPECT_FALSE(parse(payload).thumbnailBytes());
}

TEST_P(Parse, RejectedPayloadsParseNothingButRecordTheirLength) {
  const Bytes good = builder().add(Ifd::Ifd0, Short(0x0112, {1})).build();
  std::vector<Bytes> bad(5, good);
  bad[0].resize(12);
  bad[4].resize(13);  // the IFD0 offset cut short
  bad[1][0] = 'e';
  bad[2][7] = big() ? 'I' : 'M';
  putU16(bad[3], 8, 43, big());
  for (std::size_t i = 0; i < bad.size(); ++i) {
    EXFMetaData md = parse(bad[i]);
    EXPECT_TRUE(md.keyedTagValues().empty()) << i;
    EXPECT_EQ(md.byteLength(), static_cast<std::int32_t>(bad[i].size())) << i;
  }
}

// --- Hostile input ----------------------------------------------------------

TEST_P(Parse, FieldsPointingOutsideThePayloadAreSkipped) {
  ExifBuilder b = builder();
  b.add(Ifd::Ifd0, Long(0x0111, {1, 2})).add(Ifd::Ifd0, Short(0x0112, {1})).add(Ifd::Ifd1, Ascii(0x010F, "Far away"));
  const Bytes good = b.build();
  const std::size_t ifd0 = b.positions().at(Ifd::Ifd0), ifd1 = b.positions().at(Ifd::Ifd1);

  Bytes farValue = good;  // offset + base wraps 32 bits; bytes after IFD1 must not become a thumbnail
  putU32(farValue, ifd1 + 2 + 8, 0xFFFFFFF0, big());
  farValue.insert(farValue.end(), 100, 0x5A);
  EXFMetaData md = parse(farValue);
  EXPECT_TRUE(md.keyedThumbnailTagValues().empty());
  EXPECT_FALSE(md.thumbnailBytes());
  EXPECT_EQ(md.skippedEntryCount(), 1u);

  Bytes hugeCount = good;  // 4 × count wraps 32 bits
  putU32(hugeCount, ifd0 + 2 + 4, 0x40000001, big());
  md = parse(hugeCount);
  EXPECT_FALSE(md.keyedTagValues().contains(0x0111));
  EXPECT_TRUE(md.keyedTagValues().contains(0x0112));
  EXPECT_EQ(md.skippedEntryCount(), 1u);

  Bytes longTable = good;  // the entry table runs off the end: only the missing entries are lost
  putU16(longTable, ifd0, 5000, big());
  md = parse(longTable);
  EXPECT_TRUE(md.keyedTagValues().contains(0x0112));
  EXPECT_GT(md.skippedEntryCount(), 4000u);
}

TEST_P(Parse, PointerLoopsEndAtDirectoriesAlreadyVisited) {
  ExifBuilder b = builder();
  Bytes payload = b.add(Ifd::Ifd0, Short(0x0112, {1}))
                      .add(Ifd::Exif, Short(0xA001, {1}))
                      .add(Ifd::Interop, Ascii(1, "R98"))
                      .build();
  const std::size_t ifd0 = b.positions().at(Ifd::Ifd0);
  putU32(payload, b.positions().at(Ifd::Exif) + 2 + 12 + 8, ifd0 - 6, big());  // Interop pointer → IFD0
  putU32(payload, ifd0 + 2 + 24, ifd0 - 6, big());                             // IFD0's link → IFD0
  EXFMetaData md = parse(payload);
  EXPECT_TRUE(md.keyedTagValues().group(0x8769)->contains(0xA001));
  EXPECT_FALSE(md.keyedTagValues().group(0x8769)->contains(0xA005));
  EXPECT_TRUE(md.keyedThumbnailTagValues().empty());
  EXPECT_EQ(md.skippedEntryCount(), 2u);
}

TEST_P(Parse, EntriesSharingTheirValueBytesCannotMultiplyWhatIsStored) {
  ExifBuilder b = builder();
  for (std::uint16_t tag = 0x1000; tag < 0x1000 + 200; ++tag) b.add(Ifd::Interop, Byte(tag, {0}));
  Bytes payload = b.build();
  const std::size_t table = b.positions().at(Ifd::Interop) + 2, data = payload.size();
  payload.resize(data + 1000, 7);
  for (std::size_t i = 0; i < 200; ++i) {  // every entry: the same 1000 bytes
    putU32(payload, table + 12 * i + 4, 1000, big());
    putU32(payload, table + 12 * i + 8, static_cast<std::uint32_t>(data - 6), big());
  }
  EXFMetaData md = parse(payload);
  const Directory& interop = *md.keyedTagValues().group(0x8769)->group(0xA005);
  EXPECT_LE(interop.size() * 1000, payload.size());
  EXPECT_EQ(md.skippedEntryCount(), 200 - interop.size());
}

TEST_P(Parse, LongChainOfNestedDirectoriesEndsAtARealFilesDepth) {
  // 100,000 Exif directories, each only a pointer to the next: deep enough to
  // exhaust the stack if every level were followed.
  Bytes payload = builder().build();
  payload.resize(14 + 18 * 100'000 + 6);
  for (std::uint32_t at = 8; at < 8 + 18 * 100'000; at += 18) {
    putU16(payload, 6 + at, 1, big());
    putU16(payload, 6 + at + 2, 0x8769, big());
    putU16(payload, 6 + at + 4, 4, big());
    putU32(payload, 6 + at + 6, 1, big());
    putU32(payload, 6 + at + 10, at + 18, big());
  }
  EXFMetaData md = parse(payload);
  int depth = 0;
  for (const Directory* d = &md.keyedTagValues(); (d = d->group(0x8769));) ++depth;
  EXPECT_EQ(depth, 8);
  EXPECT_EQ(md.skippedEntryCount(), 1u);
}

TEST_P(Parse, TruncationAtEveryLengthNeverReadsPastTheEnd) {
  const Bytes payload = builder()
                            .add(Ifd::Ifd0, Ascii(0x010F, "Holdstill"))
                            .add(Ifd::Ifd0, Rational(0x011A, {{72, 1}}))
                            .add(Ifd::Exif, Undefined(0x9286, {'A', 'S', 'C', 'I', 'I', 0, 0, 0, 'h', 'i'}))
                            .add(Ifd::Gps, Rational(0x0002, {{1, 1}, {2, 1}, {3, 1}}))
                            .add(Ifd::Gps, Rational(0x0007, {{1, 1}, {2, 1}, {3, 1}}))
                            .thumbnail(Bytes(64, 0xAB))
                            .build();
  const std::size_t fullCount = parse(payload).keyedTagValues().size();
  for (std::size_t n = 0; n <= payload.size(); ++n) {
    // An exact-size heap copy lets the address sanitizer catch any overread.
    EXFMetaData md = parse(Bytes(payload.begin(), payload.begin() + static_cast<std::ptrdiff_t>(n)));
    EXPECT_LE(md.keyedTagValues().size(), fullCount) << n;
    EXPECT_LE(md.thumbnailBytes().value_or(Bytes{}).size(), n) << n;
  }
}

}  // namespace
}  // namespace exif
