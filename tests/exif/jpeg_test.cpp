// The JPEG container: segment scan, JFIF header, and the rebuild.
#include "exif/exf_jpeg.h"
#include "exif/jpeg_segments.h"
#include "tests/exif/support/exif_builder.h"
#include "tests/exif/support/exif_checks.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace exif {
namespace {

using namespace exif_testing;

Bytes exifPayload() { return ExifBuilder(true).add(Ifd::Ifd0, Ascii(0x0110, "Model")).build(); }

Bytes rebuild(EXFJpeg& j) {
  Bytes out;
  j.populateImageData(out);
  return out;
}

// The tail as owned bytes, empty when there is none.
Bytes tailOf(const EXFJpeg& j) {
  auto tail = j.remainingData();
  return tail ? Bytes(tail->begin(), tail->end()) : Bytes{};
}

// The bytes of `tail` from its start-of-scan marker on.
Bytes imageData(const Bytes& tail) {
  const Bytes sos = {0xFF, 0xDA};
  return Bytes(std::search(tail.begin(), tail.end(), sos.begin(), sos.end()), tail.end());
}

TEST(JpegScan, SplitsSegmentsMetadataGeometryAndTail) {
  const Bytes tail = jpegTail();
  const Bytes file = jpeg({segment(0xE0, jfifPayload()), segment(0xE1, exifPayload())}, tail);
  for (int mode = 0; mode < 3; ++mode) {  // copied, taken over, borrowed
    EXFJpeg j;
    if (mode == 0) j.scanImageData(std::span<const std::uint8_t>(file));
    if (mode == 1) j.scanImageData(Bytes(file));
    if (mode == 2) j.scanImageDataBorrowed(file);
    EXPECT_EQ(j.keyedHeaders().size(), 2u);
    ASSERT_TRUE(j.jfif());
    EXPECT_EQ(j.jfif()->version(), "1.2");
    EXPECT_EQ(j.jfif()->resolutionY(), 72);
    EXPECT_TRUE(j.exifMetaData().keyedTagValues().contains(0x0110));
    EXPECT_EQ(tailOf(j), imageData(tail));
    EXPECT_EQ(j.exifSegmentIndex(), 1u);
    EXPECT_FALSE(j.scanError());
    const EXFMetaData& md = j.exifMetaData();
    EXPECT_EQ(std::tuple(md.width(), md.height(), md.bitsPerPixel(), j.numComponents()), std::tuple(16, 8, 8, 1));
  }
  // Of two EXIF blocks, the first is the picture's.
  EXFJpeg two;
  two.scanImageData(jpeg({segment(0xE1, exifPayload()), segment(0xE1, exifPayload())}, tail));
  EXPECT_EQ(two.exifSegmentIndex(), 0u);
}

// The main image ends at the end marker of its own data: stuffed and fill
// bytes, restart markers and tables between scans (whatever bytes they hold)
// do not end it, and what follows it does not count. Without an end marker
// it runs to the end of the file.
TEST(JpegScan, ImageEndsAtItsOwnEndMarker) {
  const Bytes scan = bytesOf({0xFF, 0xDA, 0, 8, 1, 1, 0, 0, 63, 0, 0x12, 0xFF, 0, 0x34, 0xFF, 0xD3, 0x56, 0xFF, 0xFF, 0});
  const Bytes table = segment(0xC4, bytesOf({0xFF, 0xD9, 0xFF, 0xD9})), end = {0xFF, 0xD9};
  const Bytes preview = jpeg({}, end), filler(300, 0x11);
  const std::pair<Bytes, std::size_t> cases[] = {
      {jpeg({scan, end, preview}, {}), 2 + scan.size() + 2},
      {jpeg({scan, table, scan, end}, filler), 2 + 2 * scan.size() + table.size() + 2},
      {jpeg({scan, filler}, {}), 2 + scan.size() + filler.size()},
      {jpeg({scan, filler, scan}, filler), 2 + 2 * scan.size() + 2 * filler.size()},
  };
  for (const auto& [file, imageEnd] : cases) EXPECT_EQ(findImageEnd(file, 2), imageEnd) << file.size();
}

TEST(JpegScan, InputWithoutStartOfImageChangesNothingAndAMinimalFileIsAllTail) {
  EXFJpeg j;
  j.scanImageData(bytesOf({0xFF, 0xD9, 0xFF, 0xE1, 0, 4, 0, 0}));
  j.scanImageData(Bytes{});
  EXPECT_TRUE(j.keyedHeaders().empty());
  EXPECT_FALSE(j.remainingData());
  j.scanImageData(bytesOf({0xFF, 0xD8, 0xFF, 0xD9}));
  EXPECT_EQ(tailOf(j), bytesOf({0xFF, 0xD9}));
}

// The layout real cameras write: a comment holding marker-like bytes, ICC in
// two APP2 chunks, XMP in an APP1 after the EXIF one, tables between two
// application segments. Everything comes back in file order, only the EXIF
// block rewritten.
TEST(JpegRebuild, EverySegmentComesBackInFileOrderWithOnlyTheExifBlockReplaced) {
  const Bytes comment = bytesOf({'a', 0xFF, 0xE1, 0x00, 0x04, 0xFF, 0xD9, 'z'});
  const Bytes xmp = bytesOf({'h', 't', 't', 'p', ':', '/', '/', 'n', 's', 0, '<', 'x', '/', '>'});
  const Bytes icc1 = bytesOf({'I', 'C', 'C', 0, 1, 2}), icc2 = bytesOf({'I', 'C', 'C', 0, 2, 2});
  const Bytes dqt(65, 3);
  // The file around its EXIF block; the tail's own tables stay where they were.
  auto fileWith = [&](const Bytes& exif) {
    return jpeg({segment(0xE0, jfifPayload()), segment(0xFE, comment), segment(0xE1, exif), segment(0xE1, xmp),
                 segment(0xE2, icc1), segment(0xDB, dqt), segment(0xE2, icc2)},
                jpegTail());
  };
  EXFJpeg j;
  j.scanImageData(fileWith(exifPayload()));
  EXPECT_FALSE(j.scanError());
  ASSERT_EQ(j.segments().size(), 7u + 3u);  // and the tail's tables and frame header
  EXPECT_EQ(j.segments()[1].payload, comment);
  EXPECT_EQ(j.keyedHeaders().at(0xE2), icc2);  // the by-marker view: the last of each
  j.exifMetaData().addTagValue("Holdstill", 305);
  const Bytes fresh = write(j.exifMetaData());
  EXPECT_EQ(rebuild(j), fileWith(fresh));
  EXPECT_TRUE(j.rewriteReport().lossless());
}

TEST(JpegRebuild, FileWithoutExifGetsItAfterSoiOrALeadingJfifHeader) {
  const Bytes tail = jpegTail(), jfif = segment(0xE0, jfifPayload()), other = segment(0xE2, {5});
  for (bool withJfif : {true, false}) {
    EXFJpeg j;
    j.scanImageData(withJfif ? jpeg({jfif, other}, tail) : jpeg({other}, tail));
    j.exifMetaData().addTagValue("Holdstill", 305);
    const Bytes exif = segment(0xE1, write(j.exifMetaData()));
    EXPECT_EQ(rebuild(j), withJfif ? jpeg({jfif, exif, other}, tail) : jpeg({exif, other}, tail));
  }
}

TEST(JpegRebuild, DamagedFilesAreRefusedRatherThanWrittenAsWhole) {
  Bytes truncated = jpeg({segment(0xE0, jfifPayload())}, {});
  truncated.insert(truncated.end(), {0xFF, 0xE2, 0xFF, 0xF0, 1, 2, 3});  // length far beyond the end
  const Bytes garbage = bytesOf({0xFF, 0xD8, 'n', 'o', 't', ' ', 'a', ' ', 'J', 'P', 'E', 'G'});
  const Bytes noImage = jpeg({segment(0xE0, jfifPayload())}, {});
  for (const Bytes* file : {static_cast<const Bytes*>(&truncated), &garbage, &noImage}) {
    EXFJpeg j;
    j.scanImageData(*file);
    ASSERT_TRUE(j.scanError());
    Bytes out = {1};
    EXPECT_EQ(failure([&] { j.populateImageData(out); }).first, "InvalidJpegException");
    EXPECT_EQ(out, bytesOf({1}));
  }
}

TEST(JpegScan, JfifVersionInHexAndThumbnailOnlyWhenTheSizeMatches) {
  // Version bytes 1 and 0x10, 72 × 72 dpi, and a 2 × 1 thumbnail of 6 bytes.
  Bytes payload = bytesOf({'J', 'F', 'I', 'F', 0, 1, 0x10, 1, 0, 72, 0, 72, 2, 1, 7, 7, 7, 7, 7, 7});
  EXFJFIF exact, longer, other;
  exact.parseJfif(payload);
  EXPECT_EQ(exact.thumbnail(), Bytes(6, 7));
  EXPECT_EQ(exact.version(), "1.10");
  EXPECT_EQ(std::pair(exact.resolutionX(), exact.resolutionY()), std::pair(72, 72));
  payload.push_back(7);
  longer.parseJfif(payload);
  EXPECT_TRUE(longer.identifier());
  EXPECT_FALSE(longer.thumbnail());
  payload[3] = 'X';  // "JFIX"
  other.parseJfif(payload);
  EXPECT_FALSE(other.identifier());
}

TEST(JpegScan, TruncationAtEveryLengthIsSafeAndRebuildsScanAgain) {
  const Bytes exif = ExifBuilder(false).add(Ifd::Ifd0, Ascii(0x010F, "Make")).thumbnail(Bytes(40, 1)).build();
  const Bytes file = jpeg({segment(0xE0, jfifPayload()), segment(0xE1, exif), segment(0xE2, {9, 9})}, jpegTail());
  for (std::size_t n = 0; n <= file.size(); ++n) {
    EXFJpeg j, again;
    j.scanImageData(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n)));
    EXPECT_LE(tailOf(j).size(), n) << n;
    if (n == file.size()) {
      EXPECT_FALSE(j.scanError());
    }
    if (!j.scanError()) again.scanImageData(rebuild(j));
  }
}

TEST(JpegRebuild, HeadersSetByTheCallerGoInMarkerOrder) {
  const Bytes tail = jpegTail();
  EXFJpeg j;
  j.scanImageData(jpeg({segment(0xE2, {5}), segment(0xE0, jfifPayload()), segment(0xE1, exifPayload())}, tail));
  j.setKeyedHeaders({{0xEF, {6}}, {0xE2, {5}}, {0xE0, jfifPayload()}});  // APP15 to APP0
  j.exifMetaData().addTagValue("Holdstill", 305);
  const Bytes fresh = write(j.exifMetaData());
  EXPECT_EQ(rebuild(j),
            jpeg({segment(0xE0, jfifPayload()), segment(0xE1, fresh), segment(0xE2, {5}), segment(0xEF, {6})}, tail));

  j.exifMetaData().setKeyedTagValues({});  // no main-image values: no APP1
  EXPECT_EQ(rebuild(j), jpeg({segment(0xE0, jfifPayload()), segment(0xE2, {5}), segment(0xEF, {6})}, tail));
  EXFJpeg unscanned;
  EXPECT_EQ(rebuild(unscanned), bytesOf({0xFF, 0xD8}));
}

TEST(JpegRebuild, OversizedExifIsRefusedWithANamedExceptionAndTheBufferLeftAlone) {
  EXFJpeg j;
  j.scanImageData(jpeg({segment(0xE1, exifPayload())}, jpegTail()));
  j.exifMetaData().addThumbnailTagValue(Number::fromInt32(6), 259);
  j.exifMetaData().setThumbnailData(Bytes(70000, 0xAB));
  Bytes out = {1, 2, 3};
  EXPECT_EQ(failure([&] { j.populateImageData(out); }),
            Failure("SegmentTooLargeException",
                    "Payload of 70068 bytes for marker 0xE1 does not fit a JPEG segment (at most 65533 bytes)"));
  EXPECT_EQ(out, bytesOf({1, 2, 3}));
}

}  // namespace
}  // namespace exif
