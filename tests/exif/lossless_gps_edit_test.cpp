// The lossless GPS edit, in both byte orders: every byte of the original
// block stays where it was (only the one patched pointer differs), the new
// GPS values read back, and blocks that cannot be edited safely are refused
// with the output untouched.
#include "exif/exf_exception.h"
#include "exif/exf_handlers.h"
#include "exif/exf_jpeg.h"
#include "exif/exf_meta_data.h"
#include "exif/exf_utils.h"
#include "exif/jpeg_segments.h"
#include "exif/lossless_gps_edit.h"
#include "tests/exif/support/exif_builder.h"
#include "tests/exif/support/exif_checks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace exif {
namespace {

using namespace exif_testing;

class LosslessEdit : public ::testing::TestWithParam<bool> {
 protected:
  bool big() const { return GetParam(); }
  ExifBuilder camera() const {
    ExifBuilder b(big());
    b.add(Ifd::Ifd0, Ascii(0x010F, "Camera"))
        .add(Ifd::Ifd0, Ascii(0x0110, "Model X"))
        .add(Ifd::Exif, Short(0x8827, {400}))
        .add(Ifd::Exif, Undefined(0x927C, Bytes(40, 0x5A)))  // maker-note-like block
        .thumbnail(bytesOf({0xFF, 0xD8, 1, 2, 3, 0xFF, 0xD9}));
    return b;
  }
  std::uint32_t u32(const Bytes& b, std::size_t at) const {
    return EXFUtils::read4Bytes(b.data() + at, big());
  }
  // The payload position of `tag`'s entry in the directory at payload position `directory`.
  std::size_t entryOf(const Bytes& payload, std::size_t directory, std::uint16_t tag) const {
    const auto tags = tagsAt(payload, directory - 6, big());
    const auto i = static_cast<std::size_t>(std::find(tags.begin(), tags.end(), tag) - tags.begin());
    EXPECT_LT(i, tags.size()) << "no entry " << tag;
    return directory + 2 + 12 * i;
  }
  // The positions where `after` differs from `before` within before's length.
  static std::vector<std::size_t> changedBytes(const Bytes& before, const Bytes& after) {
    std::vector<std::size_t> changed;
    for (std::size_t i = 0; i < before.size() && i < after.size(); ++i)
      if (before[i] != after[i]) changed.push_back(i);
    return changed;
  }
  // Every main-image value outside the GPS group.
  static Directory withoutGps(const EXFMetaData& md) {
    Directory d = md.keyedTagValues();
    d.erase(TAG_EXIF_GPS);
    return d;
  }
};

INSTANTIATE_TEST_SUITE_P(BothOrders, LosslessEdit, ::testing::Bool(), byteOrderName);

TEST_P(LosslessEdit, RepeatedEditsReuseTheOldPlaceAndLeaveNoEarlierPosition) {
  ExifBuilder b = camera();
  b.add(Ifd::Gps, Byte(0x0000, {2, 2, 0, 0}))
      .add(Ifd::Gps, Ascii(0x0012, "WGS-84"))
      .add(Ifd::Gps, Ascii(0x0001, "S"))
      .add(Ifd::Gps, Rational(0x0002, {{1, 1}, {2, 1}, {3, 1}}));
  const Bytes original = b.build();
  const std::size_t gpsBegin = b.positions().at(Ifd::Gps), gpsEnd = b.positions().at(Ifd::Ifd1);
  std::vector<Bytes> edits = {original};
  const double latitudes[] = {48.8583, -33.5, 10.25, 0.125, 89.5};
  for (double latitude : latitudes) {
    Bytes out;
    editGPS(edits.back(), GPSEdit().setLatitude(latitude).setLongitude(-2.2945).setAltitude(-12.5), out);
    edits.push_back(out);
  }
  // The first edit outgrows the old directory and takes new room; the
  // later ones fit where it went.
  for (std::size_t i = 2; i < edits.size(); ++i) EXPECT_EQ(edits[i].size(), edits[1].size()) << i;
  // Of the original, only the GPS bytes and the GPS pointer changed.
  for (std::size_t at : changedBytes(original, edits[1]))
    EXPECT_TRUE((at >= gpsBegin && at < gpsEnd) || (at >= 14 && at < b.positions().at(Ifd::Exif))) << at;
  // No earlier latitude field is left anywhere in the last block.
  const Bytes& last = edits.back();
  for (std::size_t i = 0; i + 1 < edits.size(); ++i) {
    Bytes field;
    EXFGPSLocationHandler().encodeTag(field, *parse(edits[i]).tagValue(2), big());
    EXPECT_EQ(std::search(last.begin(), last.end(), field.begin(), field.end()), last.end()) << i;
  }
  const EXFMetaData before = parse(original), after = parse(last);
  EXPECT_EQ(withoutGps(after), withoutGps(before));
  EXPECT_EQ(after.thumbnailBytes(), before.thumbnailBytes());
  const Directory& gps = *after.keyedTagValues().group(TAG_EXIF_GPS);
  EXPECT_NEAR(gps.find(2)->get<EXFGPSLoc>()->descriptionAsDecimal(), 89.5, 1e-7);
  EXPECT_EQ(*gps.find(3), TagValue(std::string("W\0", 2)));
  EXPECT_EQ(*gps.find(5), TagValue(Number::fromUInt8(1)));  // below sea level
  EXPECT_EQ(*gps.find(6), TagValue(Number::fromDouble(12.5)));
  // Entries the edit did not touch keep their values, the version its own.
  EXPECT_EQ(*gps.find(0x12), TagValue(std::string("WGS-84\0", 7)));
  EXPECT_EQ(*before.keyedTagValues().group(TAG_EXIF_GPS)->find(0), *gps.find(0));
}

TEST_P(LosslessEdit, AFullBlockUsesItsPaddingAndIsRefusedOnlyWithoutRoom) {
  Bytes padded = camera().build();
  padded.resize(kMaxSegmentPayload - 10, 0);  // zero padding after the thumbnail
  Bytes out;
  editGPS(padded, GPSEdit().setLatitude(1).setLongitude(2), out);
  EXPECT_EQ(out.size(), padded.size());
  EXPECT_EQ(parse(out).thumbnailBytes(), parse(padded).thumbnailBytes());
  EXPECT_NEAR(parse(out).tagValue(2)->get<EXFGPSLoc>()->descriptionAsDecimal(), 1, 1e-9);

  // What a directory addresses at the start of that padding is no room,
  // zeros and all: SubIFDs, an image named by its position and length, a
  // value of an unknown maker's plain directory.
  for (const std::string what : {"SubIFD", "image", "maker note value"}) {
    Bytes note(18, 0);  // one UNDEFINED entry of 18 bytes, its offset at 10
    putU16(note, 0, 1, big()), putU16(note, 2, 1, big()), putU16(note, 4, 7, big()), putU32(note, 6, 18, big());
    ExifBuilder b = what == "maker note value"
                        ? ExifBuilder(big()).add(Ifd::Ifd0, Ascii(0x010F, "Camera")).add(Ifd::Exif, Undefined(0x927C, note))
                        : camera();
    if (what == "SubIFD") b.add(Ifd::Ifd0, Long(0x014A, {0}));
    if (what == "image") b.add(Ifd::Ifd0, Long(0x0201, {0})).add(Ifd::Ifd0, Long(0x0202, {18}));
    Bytes block = b.build();
    const std::size_t at = (block.size() + 1) / 2 * 2;
    block.resize(kMaxSegmentPayload - 10, 0);
    const std::size_t offsetField = what == "maker note value"
                                        ? std::search(block.begin(), block.end(), note.begin(), note.end()) - block.begin() + 10
                                        : b.positions().at(Ifd::Ifd0) + 2 + 12 * 2 + 8;  // IFD0's third tag
    putU32(block, offsetField, static_cast<std::uint32_t>(at - 6), big());
    // Two SubIFDs, the first linking to the second: one entry each (ImageWidth, one LONG, 640).
    const std::size_t kept = what == "SubIFD" ? 36 : 18;
    for (std::size_t sub = at; what == "SubIFD" && sub < at + kept; sub += 18) {
      putU16(block, sub, 1, big()), putU16(block, sub + 2, 0x0100, big()), putU16(block, sub + 4, 4, big());
      putU32(block, sub + 6, 1, big()), putU32(block, sub + 10, 640, big());
      putU32(block, sub + 14, sub == at ? static_cast<std::uint32_t>(at + 18 - 6) : 0, big());
    }
    out.clear();
    editGPS(block, GPSEdit().setLatitude(1).setLongitude(2), out);
    EXPECT_EQ(Bytes(out.begin() + at, out.begin() + at + kept), Bytes(block.begin() + at, block.begin() + at + kept))
        << what;
  }
  // A text whose count leaves out its NUL keeps it: the edit starts a byte on.
  const std::string software = "Holdstil";
  Bytes text = ExifBuilder(big()).add(Ifd::Ifd0, Raw(0x0131, 2, 8, Bytes(software.begin(), software.end() + 1))).build();
  const auto nul = static_cast<std::size_t>(std::search(text.begin(), text.end(), software.begin(), software.end()) -
                                            text.begin()) + software.size();
  ASSERT_EQ(nul % 2, 0u);
  text.resize(kMaxSegmentPayload - 10, 0);
  out.clear();
  editGPS(text, GPSEdit().setLatitude(1).setLongitude(2), out);
  EXPECT_EQ(out.size(), text.size());
  EXPECT_EQ(out[nul], 0);

  // Without a maker note any byte nothing addresses is room: IFD1 and its
  // thumbnail are not.
  const Bytes thumbnail = jpeg({Bytes(298, 0x11)}, bytesOf({0xFF, 0xD9}));  // SOI, filler, EOI
  const Bytes plain = ExifBuilder(big()).add(Ifd::Ifd0, Ascii(0x010F, "Camera")).thumbnail(thumbnail).build();
  out.clear();
  editGPS(plain, GPSEdit().setLatitude(1).setLongitude(2), out);
  EXPECT_EQ(parse(out).thumbnailBytes(), thumbnail);

  // A maker note of unknown layout fills the block: no byte is free.
  ExifBuilder full(big());
  full.add(Ifd::Ifd0, Ascii(0x010F, "Camera")).add(Ifd::Exif, Undefined(0x927C, Bytes(kMaxSegmentPayload - 120, 0x5A)));
  out = {7};
  const auto [name, reason] = failure([&] { editGPS(full.build(), GPSEdit().setLatitude(1).setLongitude(2), out); });
  EXPECT_EQ(name, "SegmentTooLargeException");
  EXPECT_NE(reason.find("no room"), std::string::npos) << reason;
  EXPECT_EQ(out, Bytes{7});
}

TEST_P(LosslessEdit, WithoutGpsPointerAnIfd0CopyIsAppendedAndOnlyTheHeaderOffsetChanges) {
  const Bytes original = camera().build();
  Bytes out;
  GPSEdit edit;
  editGPS(original, edit.setLatitude(-33.5).setLongitude(151.25), out);
  for (std::size_t at : changedBytes(original, out)) EXPECT_TRUE(at >= 10 && at < 14) << at;
  EXPECT_GE(u32(out, 10) + 6, original.size());
  EXPECT_EQ(u32(out, 10) % 2, 0u);

  const EXFMetaData before = parse(original), after = parse(out);
  EXPECT_EQ(withoutGps(after), withoutGps(before));
  EXPECT_EQ(after.keyedThumbnailTagValues(), before.keyedThumbnailTagValues());
  EXPECT_EQ(after.thumbnailBytes(), before.thumbnailBytes());
  const Directory& gps = *after.keyedTagValues().group(TAG_EXIF_GPS);
  const Array version = {Number::fromUInt8(2), Number::fromUInt8(3), Number::fromUInt8(0),
                         Number::fromUInt8(0)};
  EXPECT_EQ(*gps.find(0), TagValue(version));  // GPSVersionID 2.3.0.0
  EXPECT_EQ(*gps.find(1), TagValue(std::string("S\0", 2)));
  const EXFGPSLoc& lat = *gps.find(2)->get<EXFGPSLoc>();
  EXPECT_EQ(lat.degrees(), EXFraction(33, 1));
  EXPECT_EQ(lat.minutes(), EXFraction(30, 1));
  EXPECT_EQ(lat.seconds(), EXFraction(0, 10000));
}

TEST_P(LosslessEdit, NewDirectoryEntriesAscendAndCarryDateAndTime) {
  const Bytes original = camera().build();
  Bytes out;
  using namespace std::chrono;
  const auto instant = sys_days{2024y / 3 / 9} + 23h + 59min + 58s + 750ms;
  editGPS(original, GPSEdit().setUTC(instant).setLongitude(10).setLatitude(20), out);
  // IFD0's copy lists its entries in ascending tag order, pointers included.
  const auto tags = tagsAt(out, u32(out, 10), big());
  EXPECT_TRUE(std::is_sorted(tags.begin(), tags.end()));
  EXPECT_EQ(tags.back(), 0x8825);
  const EXFMetaData md = parse(out);
  EXPECT_EQ(*md.tagValue(29), TagValue(std::string("2024:03:09\0", 11)));
  EXPECT_TRUE(md.unkeptEntries().empty());
  ASSERT_TRUE(md.tagValue(7));
  EXPECT_EQ(md.tagValue(7)->get<EXFGPSTimeStamp>()->seconds(), EXFraction(58750, 1000));
  EXPECT_EQ(md.tagValue(7)->get<EXFGPSTimeStamp>()->description(), "23:59:58");
}

TEST_P(LosslessEdit, RemovalDropsOneTagOrTheWholeGroupWithoutATrace) {
  ExifBuilder b = camera();
  b.add(Ifd::Gps, Ascii(0x0001, "N")).add(Ifd::Gps, Rational(0x0002, {{1, 1}, {2, 1}, {3, 1}}));
  const Bytes original = b.build();
  Bytes one, all, none;
  editGPS(original, GPSEdit().setAltitude(5).remove(6).remove(1), one);  // the last word on a tag holds
  EXPECT_FALSE(parse(one).keyedTagValues().group(TAG_EXIF_GPS)->contains(1));
  EXPECT_FALSE(parse(one).keyedTagValues().group(TAG_EXIF_GPS)->contains(6));
  EXPECT_TRUE(parse(one).keyedTagValues().group(TAG_EXIF_GPS)->contains(2));
  // Removing all: IFD0 loses its pointer where it stands, nothing grows,
  // and the old directory with its values is zeroed.
  editGPS(original, GPSEdit().removeAll(), all);
  ASSERT_EQ(all.size(), original.size());
  EXPECT_EQ(u32(all, 10), u32(original, 10));
  EXPECT_EQ(parse(all).keyedTagValues().group(TAG_EXIF_GPS), nullptr);
  EXPECT_EQ(withoutGps(parse(all)), withoutGps(parse(original)));
  EXPECT_EQ(parse(all).thumbnailBytes(), parse(original).thumbnailBytes());
  EXPECT_EQ(parse(all).skippedEntryCount(), 0u);
  for (std::size_t at = b.positions().at(Ifd::Gps); at < b.positions().at(Ifd::Ifd1); ++at)
    EXPECT_EQ(all[at], 0) << at;
  // An edit that changes nothing gives the block back as it is.
  editGPS(camera().build(), GPSEdit().removeAll(), none);
  EXPECT_EQ(none, camera().build());
}

TEST_P(LosslessEdit, PointersBackToIfd0LeadToItsCopy) {
  // An Interop pointer that leads back to IFD0, as some cameras write.
  ExifBuilder b = camera();
  b.add(Ifd::Interop, Ascii(0x0001, "R98"));
  Bytes original = b.build();
  const std::size_t exif = b.positions().at(Ifd::Exif);
  putU32(original, entryOf(original, exif, TAG_INTEROP_OFFSET) + 8, u32(original, 10), big());
  Bytes out;
  editGPS(original, GPSEdit().setLatitude(1).setLongitude(2), out);
  ASSERT_NE(u32(out, 10), u32(original, 10));  // IFD0 was copied
  // Read again, the loop is the same loop: no Interop values appear.
  EXPECT_EQ(withoutGps(parse(out)), withoutGps(parse(original)));
  EXPECT_EQ(parse(out).unkeptEntries().size(), parse(original).unkeptEntries().size());
}

TEST_P(LosslessEdit, BlocksThatCannotBeEditedSafelyAreRefusedAndTheOutputKept) {
  const Bytes good = camera().build();
  // Turn IFD0's GPS pointer into a SHORT.
  ExifBuilder withGps = camera();
  withGps.add(Ifd::Gps, Ascii(1, "N"));
  Bytes badPointer = withGps.build();
  const std::size_t ifd0 = withGps.positions().at(Ifd::Ifd0);
  putU16(badPointer, entryOf(badPointer, ifd0, 0x8825) + 2, 3, big());
  Bytes ifd0Outside = good;
  putU32(ifd0Outside, 10, static_cast<std::uint32_t>(good.size()), big());
  Bytes gpsOutside = withGps.build();
  putU16(gpsOutside, withGps.positions().at(Ifd::Gps), 0xFFFF, big());  // entries past the end
  Bytes notExif = good;
  notExif[0] = 'X';
  Bytes mixedOrder = good;
  mixedOrder[7] = big() ? 'I' : 'M';

  for (const Bytes* payload : {&badPointer, &ifd0Outside, &gpsOutside, &notExif, &mixedOrder}) {
    Bytes out = {1, 2, 3};
    const Failure refusal = failure([&] { editGPS(*payload, GPSEdit().setLatitude(1).setLongitude(2), out); });
    EXPECT_EQ(refusal.first, "UneditableExifException") << refusal.second;
    EXPECT_EQ(out, bytesOf({1, 2, 3}));
  }
}

TEST_P(LosslessEdit, FreshPayloadHoldsOnlyTheGpsGroup) {
  Bytes out = {9};
  freshGPSPayload(GPSEdit().setLatitude(1.5).setLongitude(2.5).setAltitude(100), big(), out);
  const EXFMetaData md = parse(Bytes(out.begin() + 1, out.end()));
  EXPECT_EQ(md.bigEndianOrder(), big());
  EXPECT_EQ(md.keyedTagValues().size(), 1u);
  const Directory& gps = *md.keyedTagValues().group(TAG_EXIF_GPS);
  EXPECT_EQ(gps.size(), 7u);  // version, two coordinates with refs, altitude with ref
  EXPECT_EQ(*gps.find(6), TagValue(Number::fromDouble(100)));
  EXPECT_EQ(*gps.find(5), TagValue(Number::fromUInt8(0)));
  // Neither IFD0 (one entry at TIFF offset 8) nor the GPS directory after it links on.
  const std::size_t tiff = 1 + 6;
  EXPECT_EQ(u32(out, tiff + 8 + 2 + 12), 0u);
  EXPECT_EQ(u32(out, tiff + 8 + 18 + 2 + 12 * 7), 0u);
  EXPECT_EQ(out.size(), tiff + 8 + 18 + 2 + 12 * 7 + 4 + 3 * 8 * 2 + 8);  // and its values end the block
}

TEST(LosslessEditValues, OutOfRangeOrMalformedValuesAreRefused) {
  std::vector<std::function<void(GPSEdit&)>> bad = {
      [](GPSEdit& e) { e.setLatitude(90.5); },       [](GPSEdit& e) { e.setLatitude(NAN); },
      [](GPSEdit& e) { e.setLongitude(-180.01); },  [](GPSEdit& e) { e.setAltitude(INFINITY); },
      [](GPSEdit& e) { e.setAltitude(-5e6); }};
  for (const char* date : {"2024-03-09", "2024:3:9", "2024:03:0", "20240:3:09", "2024:0309:", "2024:0a:09"})
    bad.push_back([date](GPSEdit& e) { e.setDateStamp(date); });
  for (const auto& set : bad) {
    GPSEdit edit;
    EXPECT_EQ(failure([&] { set(edit); }).first, "InvalidGPSValueException");
    EXPECT_TRUE(edit.empty());
  }
}

TEST(LosslessEditJpeg, OnlyTheExifSegmentChangesAndEverythingElseStaysInPlace) {
  const Bytes payload = ExifBuilder(false).add(Ifd::Ifd0, Ascii(0x010F, "Cam")).build();
  const Bytes xmp = bytesOf({'h', 't', 't', 'p', 0, '<', 'x', '/', '>'});
  auto fileWith = [&](const Bytes& exif) {
    return jpeg({segment(0xE0, jfifPayload()), segment(0xE1, exif), segment(0xE1, xmp),
                 segment(0xFE, bytesOf({0xFF, 0xD9, 0xFF, 0xE1})), segment(0xE2, {1, 2})},
                jpegTail());
  };
  const Bytes file = fileWith(payload);
  Bytes edited, out;
  editGPS(payload, GPSEdit().setLatitude(1).setLongitude(2), edited);
  EXPECT_EQ(editJpegGPS(file, GPSEdit().setLatitude(1).setLongitude(2), out), GPSEditOutcome::EditedExistingBlock);
  EXPECT_EQ(out, fileWith(edited));
  // Told as a head, the edit ends with the EXIF segment: the rest is the
  // input's, unread.
  Bytes head;
  const std::size_t tailFrom = editJpegGPSHead(file, GPSEdit().setLatitude(1).setLongitude(2), head).tailFrom;
  EXPECT_EQ(tailFrom, readJpegLayout(file).segments[1].end());
  head.insert(head.end(), file.begin() + static_cast<std::ptrdiff_t>(tailFrom), file.end());
  EXPECT_EQ(head, out);
}

TEST(LosslessEditJpeg, FileWithoutExifGetsFreshBlockAfterItsApp0SegmentsOrSoi) {
  const Bytes withJfif = jpeg({segment(0xE0, jfifPayload()), segment(0xE2, {7})}, jpegTail());
  const Bytes bare = jpeg({segment(0xDB, Bytes(65, 1))}, jpegTail());
  // A camera's own records in a second APP0 keep their place in the file.
  const Bytes ciff = jpeg({segment(0xE0, jfifPayload()), segment(0xE0, bytesOf({'I', 'I', 0x1A, 0, 0, 0, 'H', 'E', 'A', 'P'}))},
                          jpegTail());
  for (const Bytes* file : {&withJfif, &bare, &ciff}) {
    Bytes out;
    EXPECT_EQ(editJpegGPS(*file, GPSEdit().setLatitude(1).setLongitude(2), out), GPSEditOutcome::AddedNewBlock);
    const auto layout = readJpegLayout(out);
    ASSERT_TRUE(layout.ok()) << layout.error;
    const JpegSegment& exif = layout.segments[file == &withJfif ? 1 : file == &ciff ? 2 : 0];
    EXPECT_EQ(exif.marker, 0xE1);
    EXPECT_TRUE(isExifPayload(exif.payload));
    EXPECT_NEAR(parse(exif.payload).tagValue(2)->get<EXFGPSLoc>()->descriptionAsDecimal(), 1, 1e-9);
    // Without the new segment the file is the input, byte for byte.
    out.erase(out.begin() + static_cast<std::ptrdiff_t>(exif.offset),
              out.begin() + static_cast<std::ptrdiff_t>(exif.end()));
    EXPECT_EQ(out, *file);
  }
}

// A file whose maker note (of `make`'s layout) addresses a preview stored
// after the image, in the given byte order, or `inside` the EXIF block at
// the start of the padding that fills it; `previewStart` reads the
// preview's file position back from an edited file.
struct PreviewAfterImage {
  Bytes file, preview = bytesOf({0xFF, 0xD8, 0xFF, 0xD9, 1, 2, 3, 4});
  std::size_t notePosition = 0;  // payload position of the maker note

  PreviewAfterImage(const std::string& make, bool big, bool inside = false) {
    auto build = [&](const Bytes& note) {
      ExifBuilder b(big);
      b.add(Ifd::Ifd0, Ascii(0x010F, make)).add(Ifd::Ifd0, Ascii(0x0110, "X-1")).add(Ifd::Exif, Undefined(0x927C, note));
      if (!inside) b.add(Ifd::Ifd1, Short(0x0103, {6}));  // (an IFD1 would keep all after it)
      return b.build();
    };
    const Bytes placeholder(noteSize(make), 0xA5);
    Bytes payload = build(placeholder);
    notePosition = static_cast<std::size_t>(
        std::search(payload.begin(), payload.end(), placeholder.begin(), placeholder.end()) - payload.begin());
    const Bytes tail = jpegTail();
    const std::size_t padding = (payload.size() + 1) / 2 * 2;  // the payload starts at file offset 6
    const auto previewAt = static_cast<std::uint32_t>(inside ? 6 + padding : 6 + payload.size() + tail.size());
    payload = build(note(make, previewAt, big));
    if (inside) {
      payload.resize(kMaxSegmentPayload - 10, 0);
      std::copy(preview.begin(), preview.end(), payload.begin() + static_cast<std::ptrdiff_t>(padding));
    }
    file = jpeg({segment(0xE1, payload)}, tail);
    if (!inside) file.insert(file.end(), preview.begin(), preview.end());
  }
  static std::size_t noteSize(const std::string& make) {
    return make == "SAMSUNG" ? 16 : make == "Minolta" ? 30 : make == "NIKON" ? 66 : 42;
  }
  Bytes note(const std::string& make, std::uint32_t previewAt, bool big) const {
    const std::uint32_t tiff = previewAt - 12;  // the payload starts at file offset 6
    const auto length = static_cast<std::uint32_t>(preview.size());
    Bytes n(noteSize(make), 0);
    auto entry = [&](std::size_t at, std::uint16_t tag, std::uint32_t count, std::uint32_t value, bool order) {
      putU16(n, at, tag, order), putU16(n, at + 2, kLong, order);
      putU32(n, at + 4, count, order), putU32(n, at + 8, value, order);
    };
    if (make == "NIKON") {  // its own big-endian TIFF header at +10; a PreviewIFD
      std::copy_n("Nikon\0\x02\x10\0\0MM\0\x2A\0\0\0\x08", 18, n.begin());
      const auto own = static_cast<std::uint32_t>(previewAt - (6 + notePosition + 10));
      putU16(n, 18, 1, true);
      entry(20, 0x0011, 1, 26, true);
      putU16(n, 36, 2, true);
      entry(38, 0x0201, 1, own, true);
      entry(50, 0x0202, 1, length, true);
    } else if (make == "SAMSUNG") {  // binary words; the start is a file position
      std::copy_n("STMN100", 7, n.begin());
      putU32(n, 8, previewAt, big);
      putU32(n, 12, length, big);
    } else if (make == "Minolta") {  // PreviewImageStart and its length
      putU16(n, 0, 2, big);
      entry(2, 0x0088, 1, tiff, big);
      entry(14, 0x0089, 1, length, big);
    } else {  // Canon: an array whose third word is the length, sixth the start
      putU16(n, 0, 1, big);
      entry(2, 0x00B6, 6, static_cast<std::uint32_t>(notePosition + 18 - 6), big);
      putU32(n, 18 + 8, length, big);
      putU32(n, 18 + 20, tiff, big);
    }
    return n;
  }
  // The preview's file position as the edited file's maker note gives it.
  std::size_t previewStart(const Bytes& edited, const std::string& make, bool big) const {
    const std::uint8_t* note = edited.data() + 6 + notePosition;  // the payload does not move
    if (make == "NIKON") return 6 + notePosition + 10 + EXFUtils::read4Bytes(note + 46, true);
    if (make == "SAMSUNG") return EXFUtils::read4Bytes(note + 8, big);
    if (make == "Minolta") return 12 + EXFUtils::read4Bytes(note + 10, big);
    return 12 + EXFUtils::read4Bytes(note + 18 + 20, big);
  }
};

TEST_P(LosslessEdit, PreviewsAfterTheImageAreStillFoundWhenTheBlockGrows) {
  for (const std::string make : {"Minolta", "Canon", "SAMSUNG", "NIKON"}) {
    const PreviewAfterImage f(make, big());
    ASSERT_EQ(f.previewStart(f.file, make, big()), f.file.size() - f.preview.size()) << make;
    Bytes out;
    editJpegGPS(f.file, GPSEdit().setLatitude(1).setLongitude(2), out);
    ASSERT_GT(out.size(), f.file.size()) << make;  // no room: the block grew
    const std::size_t start = f.previewStart(out, make, big());
    ASSERT_LE(start + f.preview.size(), out.size()) << make;
    EXPECT_TRUE(std::equal(f.preview.begin(), f.preview.end(), out.begin() + static_cast<std::ptrdiff_t>(start)))
        << make;
  }
}

TEST_P(LosslessEdit, AnEntrysValueAfterTheImageIsStillFoundWhenTheBlockGrows) {
  ExifBuilder b(big());
  b.add(Ifd::Ifd0, Ascii(0x010F, "Camera")).add(Ifd::Exif, Undefined(0xC4A5, Bytes(8, 0xEE)));
  Bytes payload = b.build();
  const std::size_t field = b.positions().at(Ifd::Exif) + 2 + 8;  // the only entry's offset
  const Bytes tail = jpegTail(), value = bytesOf({1, 2, 3, 4, 5, 6, 7, 8});
  putU32(payload, field, static_cast<std::uint32_t>(6 + payload.size() + tail.size() - 12), big());
  Bytes file = jpeg({segment(0xE1, payload)}, tail);
  file.insert(file.end(), value.begin(), value.end());
  Bytes out;
  editJpegGPS(file, GPSEdit().setLatitude(1).setLongitude(2), out);
  ASSERT_GT(out.size(), file.size());
  const std::size_t at = 12 + EXFUtils::read4Bytes(out.data() + 6 + field, big());
  ASSERT_LE(at + value.size(), out.size());
  EXPECT_TRUE(std::equal(value.begin(), value.end(), out.begin() + static_cast<std::ptrdiff_t>(at)));
}

TEST_P(LosslessEdit, APreviewInsideTheBlockIsNoRoomForTheEdit) {
  for (const std::string make : {"Minolta", "Canon", "NIKON"}) {
    const PreviewAfterImage f(make, big(), true);
    const auto start = static_cast<std::ptrdiff_t>(f.previewStart(f.file, make, big()));
    ASSERT_TRUE(std::equal(f.preview.begin(), f.preview.end(), f.file.begin() + start)) << make;
    Bytes out;
    editJpegGPS(f.file, GPSEdit().setLatitude(1).setLongitude(2), out);
    EXPECT_EQ(out.size(), f.file.size()) << make << ": the padding took the edit";
    EXPECT_TRUE(std::equal(f.preview.begin(), f.preview.end(), out.begin() + start)) << make;
  }
}

TEST_P(LosslessEdit, GrowthIsRefusedWhereAnUnreadableMakerNoteMayAddressDataAfterTheImage) {
  const PreviewAfterImage f("Unknown", big());  // a maker note of no known layout
  Bytes out = {1};
  const auto [name, reason] = failure([&] { editJpegGPS(f.file, GPSEdit().setLatitude(1).setLongitude(2), out); });
  EXPECT_EQ(name, "UneditableExifException");
  EXPECT_NE(reason.find("maker note"), std::string::npos) << reason;
  EXPECT_EQ(out, Bytes{1});
  // Nor where a known layout holds the preview's start in two bytes, which
  // cannot be told to move.
  PreviewAfterImage shortStart("Minolta", big());
  const std::size_t entry = 6 + shortStart.notePosition + 2;
  putU16(shortStart.file, entry + 2, kShort, big());
  putU16(shortStart.file, entry + 8, 0xFFF0, big());
  EXPECT_THROW(editJpegGPS(shortStart.file, GPSEdit().setLatitude(1), out), EXFException);
  EXPECT_EQ(out, Bytes{1});
  // Nor where a known maker's header lacks its byte-order mark, though a
  // directory follows it; with the mark, the note is read and may grow.
  for (const auto& [signature, directoryAt] : {std::pair{"PENTAX \0", 10}, std::pair{"OLYMPUS\0", 12}}) {
    PreviewAfterImage noMark("Unknown", big());
    const std::size_t note = 6 + noMark.notePosition, entries = note + directoryAt;
    const auto mark = noMark.file.begin() + static_cast<std::ptrdiff_t>(note + 8);
    std::fill_n(noMark.file.begin() + static_cast<std::ptrdiff_t>(note), 42, 0);
    std::copy_n(signature, 8, noMark.file.begin() + static_cast<std::ptrdiff_t>(note));
    std::copy_n("XX", 2, mark);
    putU16(noMark.file, entries, 1, big());
    putU16(noMark.file, entries + 2, 0x0001, big()), putU16(noMark.file, entries + 4, kShort, big());
    putU32(noMark.file, entries + 6, 1, big());
    out = {1};
    EXPECT_THROW(editJpegGPS(noMark.file, GPSEdit().setLatitude(1), out), EXFException) << signature;
    EXPECT_EQ(out, Bytes{1});
    std::copy_n(big() ? "MM" : "II", 2, mark);
    EXPECT_EQ(editJpegGPS(noMark.file, GPSEdit().setLatitude(1), out), GPSEditOutcome::EditedExistingBlock);
  }
  // Without data after the image, nothing can be addressed there.
  const Bytes bare(f.file.begin(), f.file.end() - static_cast<std::ptrdiff_t>(f.preview.size()));
  EXPECT_EQ(editJpegGPS(bare, GPSEdit().setLatitude(1), out), GPSEditOutcome::EditedExistingBlock);

  // Data a multi-picture index (APP2) claims belongs to it: after the EXIF
  // segment, the index moves with it; before, it would be left pointing
  // at old places.
  auto withIndex = [&](std::size_t at) {
    // MPFVersion, then MPEntry with its two 16-byte image entries.
    Bytes mpf = bytesOf({'M', 'P', 'F', 0, 'M', 'M', 0, 0x2A, 0, 0, 0, 8, 0, 2, 0xB0, 0, 0, 7, 0, 0, 0, 4, '0', '1',
                         '0', '0', 0xB0, 2, 0, 7, 0, 0, 0, 32, 0, 0, 0, 38});
    mpf.resize(74, 0);
    const std::size_t previewAt = f.file.size() - f.preview.size() + mpf.size() + 4;
    putU32(mpf, 62, static_cast<std::uint32_t>(f.preview.size()), true);
    putU32(mpf, 66, static_cast<std::uint32_t>(previewAt - (at + 8)), true);
    Bytes file(f.file.begin(), f.file.begin() + static_cast<std::ptrdiff_t>(at));
    const Bytes app2 = segment(0xE2, mpf);
    file.insert(file.end(), app2.begin(), app2.end());
    file.insert(file.end(), f.file.begin() + static_cast<std::ptrdiff_t>(at), f.file.end());
    return file;
  };
  const std::size_t app1End = readJpegLayout(f.file).segments[0].end();
  out.clear();
  EXPECT_EQ(editJpegGPS(withIndex(app1End), GPSEdit().setLatitude(1), out), GPSEditOutcome::EditedExistingBlock);
  const JpegSegment index = readJpegLayout(out).segments[1];
  const std::size_t previewAt = index.offset + 8 + EXFUtils::read4Bytes(index.payload.data() + 66, true);
  EXPECT_TRUE(std::equal(f.preview.begin(), f.preview.end(), out.begin() + static_cast<std::ptrdiff_t>(previewAt)));
  EXPECT_THROW(editJpegGPS(withIndex(2), GPSEdit().setLatitude(1), out), EXFException);
}

TEST_P(LosslessEdit, AfcpTrailerPositionsFollowTheGrowth) {
  const Bytes payload = ExifBuilder(big()).add(Ifd::Ifd0, Ascii(0x010F, "Cam")).build();
  Bytes file = jpeg({segment(0xE1, payload)}, jpegTail());
  const auto header = static_cast<std::uint32_t>(file.size());
  const Bytes item = bytesOf({'T', 'E', 'X', 'T', 0, 0, 0, 3, 0, 0, 0, 0});
  Bytes afcp = bytesOf({'A', 'X', 'S', big() ? '!' : '*', 0, 1, 0, 1, 0, 0, 0, 0});
  afcp.insert(afcp.end(), item.begin(), item.end());
  putU16(afcp, 6, 1, big());
  putU32(afcp, 16, 3, big());
  putU32(afcp, 20, header + 24, big());
  afcp.insert(afcp.end(), {'a', 'b', 'c', 'A', 'X', 'S', afcp[3], 0, 0, 0, 0, 0, 0, 0, 0});
  putU32(afcp, 31, header, big());
  file.insert(file.end(), afcp.begin(), afcp.end());
  Bytes out;
  editJpegGPS(file, GPSEdit().setLatitude(1).setLongitude(2), out);
  const std::size_t moved = out.size() - file.size();
  ASSERT_GT(moved, 0u);
  const std::uint32_t newHeader = EXFUtils::read4Bytes(out.data() + out.size() - 8, big());
  EXPECT_EQ(newHeader, header + moved);
  EXPECT_EQ(EXFUtils::read4Bytes(out.data() + newHeader + 20, big()), header + moved + 24);
  EXPECT_EQ(out[header + moved + 24], 'a');

  // A closing record that leads to anything but the trailer's header is a
  // damaged trailer: the edit is refused rather than moving positions blindly.
  Bytes damaged = file;
  damaged[header] = 'Z';
  EXPECT_THROW(editJpegGPS(damaged, GPSEdit().setLatitude(1), out), EXFException);
}

TEST(LosslessEditJpeg, StrayBytesBetweenSegmentsStayWhereTheyWere) {
  const Bytes payload = ExifBuilder(false).add(Ifd::Ifd0, Ascii(0x010F, "Cam")).build();
  const Bytes app1 = segment(0xE1, payload), stray = bytesOf({0x00, 0x17, 0xFF, 0x00});  // FF 00 is no marker
  const Bytes file = jpeg({app1, stray, bytesOf({0xFF, 0x01}), segment(0xE2, {9, 9})}, jpegTail());  // and a TEM
  const std::size_t strayAt = 2 + app1.size();
  const JpegLayout layout = readJpegLayout(file);
  ASSERT_TRUE(layout.ok()) << layout.error;
  ASSERT_EQ(layout.strays.size(), 1u);
  EXPECT_EQ(layout.strays[0].offset, strayAt);
  EXPECT_EQ(layout.strays[0].length, 4u);
  ASSERT_GT(layout.segments.size(), 2u);  // a marker without a length is listed too
  EXPECT_EQ(layout.segments[1].marker, 0x01);
  EXPECT_EQ(layout.segments[1].offset, strayAt + 4);
  Bytes out;
  editJpegGPS(file, GPSEdit().setLatitude(1).setLongitude(2), out);
  const std::size_t grown = out.size() - file.size();
  EXPECT_TRUE(std::equal(file.begin() + static_cast<std::ptrdiff_t>(strayAt), file.end(),
                         out.begin() + static_cast<std::ptrdiff_t>(strayAt + grown)));
  // The full rewrite keeps them too.
  EXFJpeg scanned;
  scanned.scanImageData(file);
  Bytes rebuilt;
  scanned.populateImageData(rebuilt);
  EXPECT_NE(std::search(rebuilt.begin(), rebuilt.end(), file.begin() + static_cast<std::ptrdiff_t>(strayAt),
                        file.begin() + static_cast<std::ptrdiff_t>(strayAt) + 4 + 6),
            rebuilt.end());
}

}  // namespace
}  // namespace exif
