// The EXIF payload parser, in both byte orders, on blocks written by the test
// builder with one field changed per test.
#include "exif/exf_meta_data.h"
#include "tests/exif/support/exif_builder.h"

#include <gtest/gtest.h>

namespace exif {
namespace {

using namespace exif_testing;

class Parse : public ::testing::TestWithParam<bool> {
 protected:
  bool big() const { return GetParam(); }
  ExifBuilder builder() const { return ExifBuilder(big()); }
  EXFMetaData parse(const Bytes& payload) {
    EXFMetaData md;
    md.parseExif(payload);
    return md;
  }
};

INSTANTIATE_TEST_SUITE_P(BothOrders, Parse, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "MM" : "II"; });

TEST_P(Parse, AsciiEntryKeepsItsTerminator) {
  Bytes payload = builder().add(Ifd::Ifd0, Ascii(0x0110, "abcde")).build();
  EXPECT_EQ(payload.size(), 38u);
  EXFMetaData md = parse(payload);
  EXPECT_EQ(md.bigEndianOrder(), big());
  EXPECT_EQ(*md.keyedTagValues().find(0x0110)->get<std::string>(), std::string("abcde\0", 6));
  EXPECT_TRUE(md.keyedThumbnailTagValues().empty());
  EXPECT_EQ(md.skippedEntryCount(), 0u);
}

TEST_P(Parse, NumbersAndRationalsByFieldType) {
  EXFMetaData md = parse(builder()
                             .add(Ifd::Ifd0, Short(0x0112, {6}))
                             .add(Ifd::Ifd0, Short(0x0102, {8, 8, 8}))
                             .add(Ifd::Ifd0, Long(0x0100, {0x80000000u}))
                             .add(Ifd::Ifd0, Rational(0x013F, {{1, 2}, {3, 4}, {5, 6}}))
                             .add(Ifd::Exif, SRational(0x9204, {{-1, 3}}))
                             .build());
  const Directory& root = md.keyedTagValues();
  EXPECT_EQ(*root.find(0x0112)->get<Number>(), Number::fromUInt16(6));
  EXPECT_EQ(root.find(0x0102)->get<Array>()->size(), 3u);
  EXPECT_EQ(root.find(0x0100)->get<Number>()->description(), "2147483648");
  const Array* rationals = root.find(0x013F)->get<Array>();
  ASSERT_EQ(rationals->size(), 3u);
  EXPECT_EQ(*(*rationals)[2].get<EXFraction>(), EXFraction(5, 6));
  EXPECT_EQ(*md.tagValue(0x9204)->get<EXFraction>(), EXFraction(-1, 3));
}

TEST_P(Parse, GroupsNestUnderTheirPointerTags) {
  EXFMetaData md = parse(builder()
                             .add(Ifd::Exif, Ascii(0x9003, "2009:03:14 15:09:26"))
                             .add(Ifd::Interop, Ascii(0x0001, "R98"))
                             .add(Ifd::Gps, Ascii(0x0001, "N"))
                             .build());
  const Directory* exifGroup = md.keyedTagValues().group(0x8769);
  ASSERT_TRUE(exifGroup);
  EXPECT_TRUE(exifGroup->contains(0x9003));
  ASSERT_TRUE(exifGroup->group(0xA005));
  EXPECT_TRUE(exifGroup->group(0xA005)->contains(0x0001));
  EXPECT_EQ(*md.keyedTagValues().group(0x8825)->find(1)->get<std::string>(), std::string("N\0", 2));
}

TEST_P(Parse, HandlersDecodeTheirTagsWhateverTheDirectory) {
  EXFMetaData md = parse(builder()
                             .add(Ifd::Gps, Rational(0x0002, {{37, 1}, {46, 1}, {2964, 100}}))
                             .add(Ifd::Gps, Rational(0x0006, {{300, 10}}))
                             .add(Ifd::Exif, Undefined(0x9101, {1, 2, 3, 0}))
                             .add(Ifd::Exif, Undefined(0x9000, {'0', '2', '3', '0'}))
                             .build());
  EXPECT_NEAR(md.tagValue(2)->get<EXFGPSLoc>()->descriptionAsDecimal(), 37.7749, 1e-9);
  EXPECT_EQ(md.tagValue(6)->get<Number>()->doubleValue(), 30.0);
  EXPECT_EQ(md.tagValue(0x9101)->get<Array>()->size(), 4u);  // handler, no definition
  EXPECT_EQ(*md.tagValue(0x9000)->get<std::string>(), "0230");
}

TEST_P(Parse, InteroperabilityEntriesKeepTheirOwnTypesRatherThanTheGpsTagsOfTheirNumbers) {
  EXFMetaData md = parse(builder()
                             .add(Ifd::Interop, Ascii(0x0001, "R98"))
                             .add(Ifd::Interop, Undefined(0x0002, {'0', '1', '0', '0'}))
                             .add(Ifd::Interop, Short(0x1001, {640}))
                             .add(Ifd::Gps, Undefined(0x0002, {'0', '1', '0', '0'}))
                             .build());
  const Directory& interop = *md.keyedTagValues().group(0x8769)->group(0xA005);
  ASSERT_EQ(interop.size(), 3u);
  EXPECT_EQ(*interop.find(1)->get<std::string>(), std::string("R98\0", 4));
  EXPECT_EQ(*interop.find(2)->get<Bytes>(), bytesOf({'0', '1', '0', '0'}));
  EXPECT_EQ(*interop.find(0x1001)->get<Number>(), Number::fromUInt16(640));
  // In the GPS directory tag 2 is still GPSLatitude: four bytes do not make one.
  EXPECT_FALSE(md.keyedTagValues().group(0x8825)->contains(2));
  EXPECT_EQ(md.skippedEntryCount(), 1u);
}

TEST_P(Parse, UnknownFloatAndBadTypeEntriesAreSkippedAndCounted) {
  Bytes f = builder().u32(0x3F800000);
  EXFMetaData md = parse(builder()
                             .add(Ifd::Ifd0, Ascii(0x010F, "Make"))
                             .add(Ifd::Ifd0, Short(0x9214, {1}))       // no definition
                             .add(Ifd::Ifd0, Raw(0x0112, 11, 1, f))    // FLOAT
                             .add(Ifd::Ifd0, Raw(0x0131, 13, 1, f))    // type 13
                             .add(Ifd::Ifd0, Raw(0x0110, 0, 1, f))     // type 0
                             .build());
  EXPECT_EQ(md.keyedTagValues().size(), 1u);
  EXPECT_EQ(md.skippedEntryCount(), 4u);
}

TEST_P(Parse, NumericCountZeroStoresNothingButEmptyTextIsKept) {
  EXFMetaData md = parse(builder()
                             .add(Ifd::Ifd0, Raw(0x0112, 3, 0, {}))
                             .add(Ifd::Ifd0, Raw(0x010F, 2, 0, {}))
                             .build());
  EXPECT_FALSE(md.keyedTagValues().contains(0x0112));
  EXPECT_EQ(*md.keyedTagValues().find(0x010F)->get<std::string>(), "");
}

TEST_P(Parse, TrailingTagZeroEntryIsNoEntry) {
  // A GPS directory whose only entry is GPSVersion (tag 0) loses it.
  EXFMetaData md = parse(builder().add(Ifd::Gps, Byte(0x0000, {2, 2, 0, 0})).build());
  ASSERT_TRUE(md.keyedTagValues().group(0x8825));
  EXPECT_TRUE(md.keyedTagValues().group(0x8825)->empty());
}

TEST_P(Parse, ThumbnailTakenOnlyWhenItEndsThePayload) {
  const Bytes thumb = {0xFF, 0xD8, 1, 2, 3, 0xFF, 0xD9};
  Bytes payload = builder().add(Ifd::Ifd0, Short(0x0112, {1})).thumbnail(thumb).build();
  EXFMetaData md = parse(payload);
  ASSERT_TRUE(md.thumbnailBytes());
  EXPECT_EQ(*md.thumbnailBytes(), thumb);
  EXPECT_FALSE(md.thumbnailLeftBehind());

  payload.push_back(0);
  EXFMetaData longer = parse(payload);
  EXPECT_FALSE(longer.thumbnailBytes());
  EXPECT_TRUE(longer.thumbnailLeftBehind());
}

TEST_P(Parse, CompleteIfd1WithoutOffsetTakesWhatFollowsIt) {
  Bytes payload = builder().add(Ifd::Ifd1, Short(0x0103, {6})).build();
  const Bytes jpegData(1000, 0x5A);
  payload.insert(payload.end(), jpegData.begin(), jpegData.end());
  EXPECT_EQ(*parse(payload).thumbnailBytes(), jpegData);
}

TEST_P(Parse, RejectedPayloadsParseNothingButRecordTheirLength) {
  Bytes good = builder().add(Ifd::Ifd0, Short(0x0112, {1})).build();
  auto check = [&](Bytes payload, const char* why) {
    EXFMetaData md = parse(payload);
    EXPECT_TRUE(md.keyedTagValues().empty()) << why;
    EXPECT_EQ(md.byteLength(), static_cast<std::int32_t>(payload.size())) << why;
  };
  check(Bytes(good.begin(), good.begin() + 12), "12 bytes");
  Bytes notExif = good;
  notExif[0] = 'e';
  check(notExif, "no Exif");
  Bytes badOrder = good;
  badOrder[7] = big() ? 'I' : 'M';
  check(badOrder, "mixed order mark");
  Bytes not42 = good;
  putU16(not42, 8, 43, big());
  check(not42, "not 42");
  EXFMetaData md = parse(not42);
  EXPECT_NE(md.exif_ptr(), nullptr);  // accepted as far as the order mark
}

// --- Sound behaviour on hostile input ---------------------------------------

TEST_P(Parse, ValueOffsetOutsideThePayloadIsSkippedAndDisablesTheFallbackThumbnail) {
  ExifBuilder b = builder();
  b.add(Ifd::Ifd1, Ascii(0x010F, "Far away"));
  Bytes payload = b.build();
  const std::size_t entry = b.positions().at(Ifd::Ifd1) + 2;
  putU32(payload, entry + 8, 0xFFFFFFF0, big());  // offset + base wraps 32 bits
  payload.insert(payload.end(), 100, 0x5A);
  EXFMetaData md = parse(payload);
  EXPECT_TRUE(md.keyedThumbnailTagValues().empty());
  EXPECT_FALSE(md.thumbnailBytes());
  EXPECT_EQ(md.skippedEntryCount(), 1u);
}

TEST_P(Parse, HugeCountDoesNotWrapTheSize) {
  ExifBuilder b = builder();
  b.add(Ifd::Ifd0, Long(0x0111, {1, 2}));
  Bytes payload = b.build();
  putU32(payload, b.positions().at(Ifd::Ifd0) + 2 + 4, 0x40000001, big());  // 4 × count wraps 32 bits
  EXFMetaData md = parse(payload);
  EXPECT_TRUE(md.keyedTagValues().empty());
  EXPECT_EQ(md.skippedEntryCount(), 1u);
}

TEST_P(Parse, EntryTableRunningOffTheEndLosesOnlyTheMissingEntries) {
  ExifBuilder b = builder();
  b.add(Ifd::Ifd0, Short(0x0112, {1}));
  Bytes payload = b.build();
  putU16(payload, b.positions().at(Ifd::Ifd0), 5000, big());
  EXFMetaData md = parse(payload);
  EXPECT_TRUE(md.keyedTagValues().contains(0x0112));
  EXPECT_GT(md.skippedEntryCount(), 0u);
}

TEST_P(Parse, PointerLoopsEndAtDirectoriesAlreadyVisited) {
  ExifBuilder b = builder();
  b.add(Ifd::Ifd0, Short(0x0112, {1})).add(Ifd::Exif, Short(0xA001, {1}));
  Bytes payload = b.build();
  // The Exif directory gets a second entry pointing back to IFD0, and IFD0's
  // link points at IFD0 itself.
  const std::size_t exifAt = b.positions().at(Ifd::Exif);
  const std::size_t ifd0At = b.positions().at(Ifd::Ifd0);
  Bytes loop = payload;
  loop.resize(loop.size() + 16, 0);
  putU16(loop, exifAt, 2, big());
  putU16(loop, exifAt + 14, 0x8825, big());
  putU16(loop, exifAt + 16, 4, big());
  putU32(loop, exifAt + 18, 1, big());
  putU32(loop, exifAt + 22, static_cast<std::uint32_t>(ifd0At - 6), big());
  const std::size_t ifd0Link = ifd0At + 2 + 12 * 2;
  putU32(loop, ifd0Link, static_cast<std::uint32_t>(ifd0At - 6), big());
  EXFMetaData md = parse(loop);
  EXPECT_TRUE(md.keyedTagValues().group(0x8769)->contains(0xA001));
  EXPECT_FALSE(md.keyedTagValues().group(0x8769)->contains(0x8825));
  EXPECT_TRUE(md.keyedThumbnailTagValues().empty());
  EXPECT_GE(md.skippedEntryCount(), 2u);
}

TEST_P(Parse, EntriesSharingTheirValueBytesCannotMultiplyWhatIsStored) {
  ExifBuilder b = builder();
  for (std::uint16_t tag = 0x1000; tag < 0x1000 + 200; ++tag) b.add(Ifd::Interop, Byte(tag, {0}));
  Bytes payload = b.build();
  const std::size_t table = b.positions().at(Ifd::Interop) + 2, data = payload.size();
  payload.resize(data + 1000, 7);
  for (std::size_t i = 0; i < 200; ++i) {  // every entry: 1000 bytes at the same place
    putU32(payload, table + 12 * i + 4, 1000, big());
    putU32(payload, table + 12 * i + 8, static_cast<std::uint32_t>(data - 6), big());
  }
  EXFMetaData md = parse(payload);
  const Directory& interop = *md.keyedTagValues().group(0x8769)->group(0xA005);
  EXPECT_LE(interop.size() * 1000, payload.size());
  EXPECT_EQ(md.skippedEntryCount(), 200 - interop.size());
}

TEST_P(Parse, LongChainOfNestedDirectoriesEndsAtARealFilesDepth) {
  // 100,000 Exif directories, each holding only a pointer to the next: deep
  // enough to exhaust the stack if every level were followed.
  Bytes payload = builder().build();
  payload.resize(14);
  for (std::uint32_t at = 8; at < 8 + 18 * 100'000; at += 18)
    for (const Bytes& part : {builder().u16(1), builder().u16(0x8769), builder().u16(4),
                              builder().u32(1), builder().u32(at + 18), builder().u32(0)})
      payload.insert(payload.end(), part.begin(), part.end());
  payload.resize(payload.size() + 6, 0);
  EXFMetaData md = parse(payload);
  int depth = 0;
  for (const Directory* d = &md.keyedTagValues(); (d = d->group(0x8769));) ++depth;
  EXPECT_EQ(depth, 8);
  EXPECT_EQ(md.skippedEntryCount(), 1u);
}

TEST_P(Parse, TruncationAtEveryLengthNeverReadsPastTheEnd) {
  Bytes payload = builder()
                      .add(Ifd::Ifd0, Ascii(0x010F, "Holdstill"))
                      .add(Ifd::Ifd0, Rational(0x011A, {{72, 1}}))
                      .add(Ifd::Exif, Undefined(0x9286, {'A', 'S', 'C', 'I', 'I', 0, 0, 0, 'h', 'i'}))
                      .add(Ifd::Gps, Rational(0x0002, {{1, 1}, {2, 1}, {3, 1}}))
                      .add(Ifd::Gps, Rational(0x0007, {{1, 1}, {2, 1}, {3, 1}}))
                      .thumbnail(Bytes(64, 0xAB))
                      .build();
  std::size_t fullCount = parse(payload).keyedTagValues().size();
  for (std::size_t n = 0; n <= payload.size(); ++n) {
    // An exact-size heap copy lets the address sanitizer catch any overread.
    Bytes cut(payload.begin(), payload.begin() + static_cast<std::ptrdiff_t>(n));
    EXFMetaData md = parse(cut);
    EXPECT_LE(md.keyedTagValues().size(), fullCount) << n;
    if (md.thumbnailBytes()) {
      EXPECT_LE(md.thumbnailBytes()->size(), n) << n;
    }
  }
}

}  // namespace
}  // namespace exif
