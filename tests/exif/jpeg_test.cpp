// The JPEG container: segment scan, JFIF header, and the rebuild.
#include "exif/exf_exception.h"
#include "exif/exf_jpeg.h"
#include "tests/exif/support/exif_builder.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace exif {
namespace {

using namespace exif_testing;

Bytes exifPayload() {
  return ExifBuilder(true).add(Ifd::Ifd0, Ascii(0x0110, "Model")).build();
}

Bytes rebuild(EXFJpeg& j) {
  Bytes out;
  j.populateImageData(out);
  return out;
}

TEST(JpegScan, MinimalFileKeepsOnlyTheTail) {
  EXFJpeg j;
  j.scanImageData(bytesOf({0xFF, 0xD8, 0xFF, 0xD9}));
  EXPECT_TRUE(j.keyedHeaders().empty());
  EXPECT_EQ(*j.remainingData(), bytesOf({0xFF, 0xD9}));
}

TEST(JpegScan, SplitsSegmentsMetadataGeometryAndTail) {
  const Bytes tail = jpegTail();
  EXFJpeg j;
  j.scanImageData(jpeg({segment(0xE0, jfifPayload()), segment(0xE1, exifPayload())}, tail));
  EXPECT_EQ(j.keyedHeaders().size(), 2u);
  ASSERT_TRUE(j.jfif());
  EXPECT_EQ(*j.jfif()->version(), "1.2");
  EXPECT_EQ(j.jfif()->units(), 1);
  EXPECT_EQ(j.jfif()->resolutionX(), 72);
  EXPECT_EQ(j.jfif()->length(), 14);
  EXPECT_FALSE(j.jfif()->thumbnail());
  EXPECT_TRUE(j.exifMetaData().keyedTagValues().contains(0x0110));
  EXPECT_EQ(*j.remainingData(), tail);  // starts FF DB, ends FF D9
  EXPECT_EQ(j.exifMetaData().width(), 16);
  EXPECT_EQ(j.exifMetaData().height(), 8);
  EXPECT_EQ(j.exifMetaData().bitsPerPixel(), 8);
  EXPECT_EQ(j.numComponents(), 1);
  EXPECT_EQ(j.droppedSegmentCount(), 0u);
}

TEST(JpegScan, LaterSegmentOfTheSameMarkerReplacesTheEarlier) {
  EXFJpeg j;
  j.scanImageData(jpeg({segment(0xE2, {1}), segment(0xE2, {2})}, jpegTail()));
  EXPECT_EQ(j.keyedHeaders().at(0xE2), bytesOf({2}));
  EXPECT_EQ(j.droppedSegmentCount(), 1u);
}

TEST(JpegScan, InputWithoutStartOfImageChangesNothing) {
  EXFJpeg j;
  j.scanImageData(bytesOf({0xFF, 0xD9, 0xFF, 0xE1, 0, 4, 0, 0}));
  j.scanImageData({});
  EXPECT_TRUE(j.keyedHeaders().empty());
  EXPECT_FALSE(j.remainingData());
}

TEST(JpegScan, JfifThumbnailOnlyWhenTheSizeMatches) {
  Bytes payload = jfifPayload();
  payload[12] = 2;
  payload[13] = 1;
  payload.resize(20, 7);
  EXFJFIF exact;
  exact.parseJfif(payload);
  EXPECT_EQ(exact.thumbnail()->size(), 6u);
  payload.push_back(7);
  EXFJFIF longer;
  longer.parseJfif(payload);
  EXPECT_TRUE(longer.identifier());
  EXPECT_FALSE(longer.thumbnail());

  Bytes jfxx = jfifPayload();
  jfxx[2] = 'X';
  jfxx[3] = 'X';
  EXFJpeg j;
  j.scanImageData(jpeg({segment(0xE0, jfxx)}, jpegTail()));
  EXPECT_FALSE(j.jfif());
}

TEST(JpegScan, CommentBeforeApp1IsPassedOverAndNotKept) {
  EXFJpeg j;
  j.scanImageData(jpeg({segment(0xFE, {'h', 'i'}), segment(0xE1, exifPayload())}, jpegTail()));
  EXPECT_TRUE(j.exifMetaData().keyedTagValues().contains(0x0110));
  EXPECT_EQ(j.droppedSegmentCount(), 1u);
  Bytes out = rebuild(j);
  const Bytes comment = {0xFF, 0xFE};
  EXPECT_EQ(std::search(out.begin(), out.end(), comment.begin(), comment.end()), out.end());
}

TEST(JpegScan, UnreadableApplicationSegmentLeavesEverythingInTheTail) {
  Bytes file = jpeg({segment(0xE0, jfifPayload())}, {});
  const std::size_t brokenAt = file.size();
  file.insert(file.end(), {0xFF, 0xE2, 0xFF, 0xF0, 1, 2, 3});  // length far beyond the end
  EXFJpeg j;
  j.scanImageData(file);
  EXPECT_EQ(j.keyedHeaders().count(0xE2), 0u);
  EXPECT_EQ(*j.remainingData(), Bytes(file.begin() + static_cast<std::ptrdiff_t>(brokenAt), file.end()));
}

TEST(JpegScan, TruncationAtEveryLengthIsSafe) {
  const Bytes tail = jpegTail();
  Bytes exif = ExifBuilder(false).add(Ifd::Ifd0, Ascii(0x010F, "Make")).thumbnail(Bytes(40, 1)).build();
  Bytes file = jpeg({segment(0xE0, jfifPayload()), segment(0xE1, exif), segment(0xE2, {9, 9})}, tail);
  for (std::size_t n = 0; n <= file.size(); ++n) {
    Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n));
    EXFJpeg j;
    j.scanImageData(cut);
    Bytes out = rebuild(j);
    if (n >= 2 && j.remainingData()) {
      EXPECT_LE(j.remainingData()->size(), n) << n;
    }
    EXFJpeg again;
    again.scanImageData(out);
  }
}

TEST(JpegRebuild, SegmentsInMarkerOrderWithAFreshExifBlock) {
  const Bytes tail = jpegTail();
  EXFJpeg j;
  j.scanImageData(jpeg({segment(0xE2, {5}), segment(0xE0, jfifPayload()), segment(0xE1, exifPayload())}, tail));
  j.exifMetaData().addTagValue("Holdstill", 305);
  Bytes fresh;
  j.exifMetaData().getData(fresh);
  Bytes expected = jpeg({segment(0xE0, jfifPayload()), segment(0xE1, fresh), segment(0xE2, {5})}, tail);
  EXPECT_EQ(rebuild(j), expected);
}

TEST(JpegRebuild, NoMainImageValuesMeansNoApp1) {
  EXFJpeg j;
  j.scanImageData(jpeg({segment(0xE1, exifPayload())}, jpegTail()));
  j.exifMetaData().removeTagValue(0x0110);
  EXPECT_EQ(rebuild(j), jpeg({}, jpegTail()));
}

TEST(JpegRebuild, UnscannedContainerWritesStartMarkerAndExif) {
  EXFJpeg j;
  EXPECT_EQ(rebuild(j), bytesOf({0xFF, 0xD8}));
  j.exifMetaData().addTagValue("Holdstill", 305);
  Bytes out = rebuild(j);
  EXPECT_EQ(Bytes(out.begin(), out.begin() + 4), bytesOf({0xFF, 0xD8, 0xFF, 0xE1}));
  // An unparsed store writes little-endian, with a header to match.
  EXPECT_EQ(Bytes(out.begin() + 6, out.begin() + 16), bytesOf({'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0}));
}

TEST(JpegRebuild, OversizedExifIsRefusedAndTheBufferLeftAlone) {
  EXFJpeg j;
  j.scanImageData(jpeg({segment(0xE1, exifPayload())}, jpegTail()));
  j.exifMetaData().addThumbnailTagValue(Number::fromInt32(6), 259);
  j.exifMetaData().setThumbnailData(Bytes(70000, 0xAB));
  Bytes out = {1, 2, 3};
  try {
    j.populateImageData(out);
    FAIL() << "no exception";
  } catch (const EXFException& e) {
    EXPECT_EQ(e.name(), "SegmentTooLargeException");
  }
  EXPECT_EQ(out, bytesOf({1, 2, 3}));
}

}  // namespace
}  // namespace exif
