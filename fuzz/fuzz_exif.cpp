// Arbitrary bytes as a JPEG file and as an EXIF payload: scan or parse,
// rebuild, and scan or parse the rebuilt bytes again; then the lossless GPS
// edit of the same payload, whose result must parse to the same values
// outside GPS plus the new position; and the strip of the file.
#include "exif/exf_exception.h"
#include "exif/exf_jpeg.h"
#include "exif/lossless_gps_edit.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void check(bool ok) {
  if (!ok) std::abort();
}

void editAndRescan(std::span<const std::uint8_t> payload) {
  const exif::GPSEdit edit = exif::GPSEdit().setLatitude(-12.25).setLongitude(100.5).setAltitude(-3);
  exif::Bytes edited;
  try {
    exif::editGPS(payload, edit, edited);
  } catch (const exif::EXFException&) {
    check(edited.empty());  // refused: nothing written
    return;
  }
  check(edited.size() >= payload.size());
  exif::EXFMetaData before, after;
  before.parseExif(payload);
  after.parseExif(edited);
  const exif::Directory* gps = after.keyedTagValues().group(exif::TAG_EXIF_GPS);
  check(gps != nullptr);
  const exif::TagValue* latitude = gps->find(2);
  check(latitude && latitude->is<exif::EXFGPSLoc>() &&
        std::fabs(latitude->get<exif::EXFGPSLoc>()->descriptionAsDecimal() - 12.25) < 1e-9);
  // A block the parser read whole reads the same outside GPS. (Where it
  // skipped entries, budgets and loop guards differ with the longer block.)
  if (before.skippedEntryCount() != 0) return;
  exif::Directory a = before.keyedTagValues(), b = after.keyedTagValues();
  a.erase(exif::TAG_EXIF_GPS);
  b.erase(exif::TAG_EXIF_GPS);
  check(a == b);
  check(before.keyedThumbnailTagValues() == after.keyedThumbnailTagValues());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> input(data, size);

  exif::EXFJpeg jpeg;
  jpeg.scanImageDataBorrowed(input);
  exif::Bytes rebuilt;
  try {
    jpeg.populateImageData(rebuilt);
  } catch (const exif::EXFException&) {
    // Damaged, or too large for a JPEG segment: refused, nothing written.
  }
  exif::EXFJpeg again;
  again.scanImageData(rebuilt);

  exif::EXFMetaData md;
  md.parseExif(input);
  (void)md.unwritableValueCount();
  (void)md.rewriteReport();
  exif::Bytes payload;
  md.getData(payload);
  exif::EXFMetaData reparsed;
  reparsed.parseExif(payload);

  editAndRescan(input);
  exif::Bytes file;
  try {
    exif::editJpegGPS(input, exif::GPSEdit().setLatitude(1).setLongitude(2), file);
  } catch (const exif::EXFException&) {
    check(file.empty());
  }
  // Stripping moves nothing: the file keeps its size, and has no GPS left.
  exif::Bytes stripped;
  try {
    exif::stripJpegGPS(input, stripped);
    check(stripped.size() == input.size());
    exif::EXFJpeg again;
    again.scanImageDataBorrowed(stripped);
    if (const auto* md = &again.exifMetaData(); again.exifSegmentIndex())
      check(!md->keyedTagValues().group(exif::TAG_EXIF_GPS) || md->skippedEntryCount() != 0);
  } catch (const exif::EXFException&) {
    check(stripped.empty());
  }
  return 0;
}
