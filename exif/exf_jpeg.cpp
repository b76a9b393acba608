// The JPEG container scan: the segment walk up to the image data, each
// segment recorded, the EXIF, JFIF and frame segments parsed.
#include "exif/exf_jpeg.h"

#include "exif/jpeg_segments.h"

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

}  // namespace

void EXFJpeg::parseJfif(std::span<const std::uint8_t> payload) {
  EXFJFIF jfif;
  jfif.parseJfif(payload);
  if (jfif.identifier()) jfif_ = std::move(jfif);
}

void EXFJpeg::scanImageData(std::span<const std::uint8_t> image) {
  if (image.size() < 2 || image[0] != 0xFF || image[1] != 0xD8) return;
  auto owned = std::make_shared<Bytes>(image.begin(), image.end());
  ownedTail_ = owned;
  scan(*owned);
}

void EXFJpeg::scanImageData(Bytes&& image) {
  if (image.size() < 2 || image[0] != 0xFF || image[1] != 0xD8) return;
  auto owned = std::make_shared<const Bytes>(std::move(image));
  ownedTail_ = owned;
  scan(*owned);
}

void EXFJpeg::scanImageDataBorrowed(std::span<const std::uint8_t> image) {
  if (image.size() < 2 || image[0] != 0xFF || image[1] != 0xD8) return;
  ownedTail_.reset();
  scan(image);
}

void EXFJpeg::scan(std::span<const std::uint8_t> image) {
  const JpegLayout layout = readJpegLayout(image);
  segments_.clear();
  segments_.reserve(layout.segments.size());
  strays_.clear();
  for (const StrayBytes& s : layout.strays)
    strays_.push_back({s.offset, Bytes(image.begin() + static_cast<std::ptrdiff_t>(s.offset),
                                       image.begin() + static_cast<std::ptrdiff_t>(s.offset + s.length))});
  for (const JpegSegment& s : layout.segments) {
    segments_.push_back({s.marker, s.offset, Bytes(s.payload.begin(), s.payload.end())});
    if (isStartOfFrame(s.marker)) {
      exifMetaData_.setCompression(s.marker);
      // precision, height, width, components
      if (s.payload.size() < 6) continue;
      const auto& p = s.payload;
      numComponents_ = p[5];
      exifMetaData_.setBitsPerPixel(p[0]);
      exifMetaData_.setHeight(p[1] << 8 | p[2]);
      exifMetaData_.setWidth(p[3] << 8 | p[4]);
    } else if (isApplication(s.marker)) {
      keyedHeaders_[s.marker] = segments_.back().payload;
      if (s.marker == 0xE0) parseJfif(s.payload);
      // The first EXIF APP1 is the picture's EXIF; any other APP1 (XMP, a
      // second EXIF block) is kept as it is.
      if (s.marker == 0xE1 && !exifSegment_ && isExifPayload(s.payload)) {
        exifSegment_ = segments_.size() - 1;
        parseExif(s.payload);
      }
    }
  }
  tail_ = image.subspan(layout.imageDataOffset);
  imageDataOffset_ = layout.imageDataOffset;
  if (!layout.ok()) scanError_ = layout.error;
}

void EXFJpeg::setKeyedHeaders(Headers h) {
  keyedHeaders_ = std::move(h);
  headersReplaced_ = true;
}

std::optional<std::span<const std::uint8_t>> EXFJpeg::remainingData() const { return tail_; }

void EXFJpeg::setRemainingData(std::optional<Bytes> d) {
  if (!d) {
    ownedTail_.reset();
    tail_.reset();
    return;
  }
  auto owned = std::make_shared<const Bytes>(std::move(*d));
  ownedTail_ = owned;
  tail_ = std::span<const std::uint8_t>(*owned);
}

}  // namespace exif
