// The JPEG container scan: one forward pass over the segments up to the
// first start-of-scan or end-of-image marker.
#include "exif/exf_jpeg.h"

#include "exif/byte_reader.h"

#include <algorithm>

namespace exif {
namespace {

bool isStartOfFrame(int marker) {
  switch (marker) {
    case 0xC0: case 0xC1: case 0xC2: case 0xC3: case 0xC5: case 0xC6: case 0xC7:
    case 0xC9: case 0xCA: case 0xCB: case 0xCD: case 0xCE: case 0xCF:
      return true;
    default:
      return false;
  }
}

bool isApplication(int marker) { return marker >= 0xE0 && marker <= 0xEF; }

bool isExifPayload(std::span<const std::uint8_t> payload) {
  return payload.size() >= 4 && std::equal(exifChars.begin(), exifChars.begin() + 4, payload.begin());
}

// The scan's read cursor over the input.
class Cursor {
 public:
  explicit Cursor(std::span<const std::uint8_t> input) : reader_(input) {}
  std::uint64_t position() const { return pos_; }
  std::uint64_t remaining() const { return reader_.size() - pos_; }
  std::optional<std::uint8_t> readNextbyte() {
    auto b = reader_.u8(pos_);
    if (b) ++pos_;
    return b;
  }
  std::optional<std::uint16_t> readNext2bytes() {
    auto v = reader_.u16(pos_, true);
    if (v) pos_ += 2;
    return v;
  }
  bool skipBytes(std::uint64_t n) {
    if (!reader_.has(pos_, n)) return false;
    pos_ += n;
    return true;
  }
  // True when n is less than the bytes left after the cursor.
  bool imageLengthCheck(std::int64_t n) const {
    return n < static_cast<std::int64_t>(remaining());
  }
  // The next marker code: skips to an 0xFF byte, then past any fill bytes.
  std::optional<int> nextMarker() {
    std::optional<std::uint8_t> b;
    do b = readNextbyte(); while (b && *b != 0xFF);
    while (b && *b == 0xFF) b = readNextbyte();
    if (!b) return std::nullopt;
    return *b;
  }
  std::optional<std::span<const std::uint8_t>> take(std::uint64_t n) {
    auto bytes = reader_.span(pos_, n);
    if (bytes) pos_ += n;
    return bytes;
  }

 private:
  ByteReader reader_;
  std::uint64_t pos_ = 0;
};

struct SegmentSeen {
  int marker;
  std::uint64_t start;
  bool exif;
};

}  // namespace

void EXFJpeg::parseJfif(std::span<const std::uint8_t> payload) {
  EXFJFIF jfif;
  jfif.parseJfif(payload);
  if (jfif.identifier()) jfif_ = std::move(jfif);
}

void EXFJpeg::scanImageData(std::span<const std::uint8_t> image) {
  if (image.size() < 2 || image[0] != 0xFF || image[1] != 0xD8) return;
  Cursor cursor(image);
  cursor.skipBytes(2);
  std::uint64_t tailStart = 2;
  std::vector<SegmentSeen> seen;

  for (bool scanning = true; scanning;) {
    const std::uint64_t segmentStart = cursor.position();
    auto marker = cursor.nextMarker();
    if (!marker) break;  // ran off the end: keep what was recorded
    if (*marker == 0xDA || *marker == 0xD9) break;
    if (*marker == 0xD8 || *marker == 0xFE) {
      if (*marker == 0xFE) seen.push_back({0xFE, segmentStart, false});
      continue;  // nothing consumed: the next search goes on from here
    }
    seen.push_back({*marker, segmentStart, false});
    auto length = cursor.readNext2bytes();
    if (!length) break;
    if (isStartOfFrame(*marker)) {
      exifMetaData_.setCompression(*marker);
      const std::int64_t rest = std::int64_t{*length} - 2;
      // precision, height, width, components: 6 bytes
      if (rest < 6 || !cursor.imageLengthCheck(rest - 1)) continue;
      const std::uint8_t precision = *cursor.readNextbyte();
      const std::uint16_t height = *cursor.readNext2bytes();
      const std::uint16_t width = *cursor.readNext2bytes();
      const std::uint8_t components = *cursor.readNextbyte();
      cursor.skipBytes(static_cast<std::uint64_t>(rest - 6));
      numComponents_ = components;
      exifMetaData_.setHeight(height);
      exifMetaData_.setWidth(width);
      exifMetaData_.setBitsPerPixel(precision);
    } else if (isApplication(*marker)) {
      // A segment whose payload cannot be read ends the scan; everything
      // from the last good segment on stays in the tail.
      if (*length < 2 || !cursor.imageLengthCheck(*length)) {
        seen.pop_back();
        break;
      }
      auto payload = *cursor.take(*length - 2u);
      keyedHeaders_[*marker] = Bytes(payload.begin(), payload.end());
      tailStart = cursor.position();
      seen.back().exif = *marker == 0xE1 && isExifPayload(payload);
      if (*marker == 0xE0) parseJfif(payload);
      if (*marker == 0xE1) parseExif(payload);
    } else {
      const std::int64_t rest = std::int64_t{*length} - 2;
      if (rest >= 0 && cursor.imageLengthCheck(rest)) cursor.skipBytes(static_cast<std::uint64_t>(rest));
    }
  }
  remainingData_ = Bytes(image.begin() + static_cast<std::ptrdiff_t>(tailStart), image.end());

  // Count what a rebuild will not carry: segments before the tail that are
  // neither the last application segment of their marker nor EXIF.
  for (std::size_t i = 0; i < seen.size(); ++i) {
    const SegmentSeen& s = seen[i];
    if (s.start >= tailStart) continue;
    if (s.exif) continue;
    const bool lastOfMarker =
        isApplication(s.marker) && s.marker != 0xE1 &&
        std::none_of(seen.begin() + static_cast<std::ptrdiff_t>(i) + 1, seen.end(),
                     [&](const SegmentSeen& later) {
                       return later.marker == s.marker && later.start < tailStart;
                     });
    if (!lastOfMarker) ++droppedSegments_;
  }
}

}  // namespace exif
