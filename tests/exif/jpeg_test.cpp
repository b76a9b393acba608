// The JPEG container: segment scan, JFIF header, and the rebuild.
#include "exif/exf_exception.h"
#include "exif/exf_jpeg.h"
#include "tests/exif/support/exif_builder.h"

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

TEST(JpegScan, SplitsSegmentsMetadataGeometryAndTail) {
  const Bytes tail = jpegTail();
  EXFJpeg j;
  j.scanImageData(jpeg({segment(0xE0, jfifPayload()), segment(0xE1, exifPayload())}, tail));
  EXPECT_EQ(j.keyedHeaders().size(), 2u);
  ASSERT_TRUE(j.jfif());
  EXPECT_EQ(j.jfif()->version(), "1.2");
  EXPECT_EQ(j.jfif()->resolutionY(), 72);
  EXPECT_TRUE(j.exifMetaData().keyedTagValues().contains(0x0110));
  EXPECT_EQ(j.remainingData(), tail);
  const EXFMetaData& md = j.exifMetaData();
  EXPECT_EQ(std::tuple(md.width(), md.height(), md.bitsPerPixel(), j.numComponents()), std::tuple(16, 8, 8, 1));
  EXPECT_EQ(j.droppedSegmentCount(), 0u);
}

TEST(JpegScan, InputWithoutStartOfImageChangesNothingAndAMinimalFileIsAllTail) {
  EXFJpeg j;
  j.scanImageData(bytesOf({0xFF, 0xD9, 0xFF, 0xE1, 0, 4, 0, 0}));
  j.scanImageData({});
  EXPECT_TRUE(j.keyedHeaders().empty());
  EXPECT_FALSE(j.remainingData());
  j.scanImageData(bytesOf({0xFF, 0xD8, 0xFF, 0xD9}));
  EXPECT_EQ(j.remainingData(), bytesOf({0xFF, 0xD9}));
}

TEST(JpegScan, SegmentsARebuildWillNotCarryAreCounted) {
  EXFJpeg j;  // a comment before the last application segment, and APP2 twice
  j.scanImageData(jpeg({segment(0xFE, {'h', 'i'}), segment(0xE2, {1}), segment(0xE1, exifPayload()),
                        segment(0xE2, {2})}, jpegTail()));
  EXPECT_EQ(j.keyedHeaders().at(0xE2), bytesOf({2}));
  EXPECT_EQ(j.droppedSegmentCount(), 2u);
  const Bytes out = rebuild(j), comment = {0xFF, 0xFE};
  EXPECT_EQ(std::search(out.begin(), out.end(), comment.begin(), comment.end()), out.end());
}

TEST(JpegScan, JfifVersionInHexAndThumbnailOnlyWhenTheSizeMatches) {
  Bytes payload = jfifPayload();
  payload[12] = 2;
  payload[13] = 1;
  payload.resize(20, 7);
  payload[6] = 0x10;
  EXFJFIF exact, longer;
  exact.parseJfif(payload);
  EXPECT_EQ(exact.thumbnail(), Bytes(6, 7));
  EXPECT_EQ(exact.version(), "1.10");
  payload.push_back(7);
  longer.parseJfif(payload);
  EXPECT_TRUE(longer.identifier());
  EXPECT_FALSE(longer.thumbnail());
  payload[3] = 'X';  // "JFIX"
  EXFJFIF other;
  other.parseJfif(payload);
  EXPECT_FALSE(other.identifier());
}

TEST(JpegScan, UnreadableApplicationSegmentLeavesEverythingFromItInTheTail) {
  Bytes file = jpeg({segment(0xE0, jfifPayload())}, {});
  const std::size_t brokenAt = file.size();
  file.insert(file.end(), {0xFF, 0xE2, 0xFF, 0xF0, 1, 2, 3});  // length far beyond the end
  EXFJpeg j;
  j.scanImageData(file);
  EXPECT_EQ(j.keyedHeaders().count(0xE2), 0u);
  EXPECT_EQ(j.remainingData(), Bytes(file.begin() + static_cast<std::ptrdiff_t>(brokenAt), file.end()));
}

TEST(JpegScan, TruncationAtEveryLengthIsSafeAndRebuildsScanAgain) {
  const Bytes exif = ExifBuilder(false).add(Ifd::Ifd0, Ascii(0x010F, "Make")).thumbnail(Bytes(40, 1)).build();
  const Bytes file = jpeg({segment(0xE0, jfifPayload()), segment(0xE1, exif), segment(0xE2, {9, 9})}, jpegTail());
  for (std::size_t n = 0; n <= file.size(); ++n) {
    EXFJpeg j, again;
    j.scanImageData(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n)));
    EXPECT_LE(j.remainingData().value_or(Bytes{}).size(), n) << n;
    again.scanImageData(rebuild(j));
  }
}

TEST(JpegRebuild, SegmentsInMarkerOrderWithAFreshExifBlock) {
  const Bytes tail = jpegTail();
  EXFJpeg j;
  j.scanImageData(jpeg({segment(0xE2, {5}), segment(0xE0, jfifPayload()), segment(0xE1, exifPayload())}, tail));
  j.exifMetaData().addTagValue("Holdstill", 305);
  Bytes fresh;
  j.exifMetaData().getData(fresh);
  EXPECT_EQ(rebuild(j), jpeg({segment(0xE0, jfifPayload()), segment(0xE1, fresh), segment(0xE2, {5})}, tail));

  j.exifMetaData().setKeyedTagValues({});  // no main-image values: no APP1
  EXPECT_EQ(rebuild(j), jpeg({segment(0xE0, jfifPayload()), segment(0xE2, {5})}, tail));
  EXFJpeg unscanned;
  EXPECT_EQ(rebuild(unscanned), bytesOf({0xFF, 0xD8}));
}

TEST(JpegRebuild, OversizedExifIsRefusedWithANamedExceptionAndTheBufferLeftAlone) {
  EXFJpeg j;
  j.scanImageData(jpeg({segment(0xE1, exifPayload())}, jpegTail()));
  j.exifMetaData().addThumbnailTagValue(Number::fromInt32(6), 259);
  j.exifMetaData().setThumbnailData(Bytes(70000, 0xAB));
  Bytes out = {1, 2, 3};
  try {
    j.populateImageData(out);
    ADD_FAILURE() << "no exception";
  } catch (const EXFException& e) {
    EXPECT_EQ(e.name(), "SegmentTooLargeException");
    EXPECT_EQ(e.reason(), "Payload of 70068 bytes for marker 0xE1 does not fit a JPEG segment (at most 65533 bytes)");
  }
  EXPECT_EQ(out, bytesOf({1, 2, 3}));
}

}  // namespace
}  // namespace exif
