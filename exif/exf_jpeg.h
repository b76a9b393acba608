#pragma once
// EXFJpeg: a JPEG file split into what the library works on: every segment
// before the image data in file order (application segments, comments,
// tables, frame header), the EXIF model parsed from the EXIF APP1, the JFIF
// header from APP0, the frame geometry, and the image data from the first
// start-of-scan to the end (the tail).
//
// keyedHeaders() is the by-marker view of the application segments (the
// last payload of each APPn). populateImageData() writes the file back:
// SOI, every segment in file order with only the EXIF APP1 replaced by a
// freshly written one (a file without one gets it after SOI and any JFIF
// APP0), then the tail. After setKeyedHeaders() the application segments
// come from those headers instead, in marker order, ahead of the others.
//
// The scan never reads outside the input and never throws; a file whose
// segments cannot be walked up to the image data keeps what was read and
// reports it in scanError(). One thread at a time.
#include "exif/exf_jfif.h"
#include "exif/exf_meta_data.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace exif {

class EXFJpeg {
 public:
  using Headers = std::map<int, Bytes>;  // marker code (0xE0..0xEF) → payload
  struct Segment {
    int marker;
    std::size_t offset;  // in the scanned file, of the marker's FF byte
    Bytes payload;       // after the 2-byte length (empty for standalone markers)
  };

  // Scans a whole JPEG file, copying what it keeps. An input that does not
  // begin with FF D8 leaves the container as it was.
  void scanImageData(std::span<const std::uint8_t> image);
  // The same, taking the bytes over: the tail is not copied.
  void scanImageData(Bytes&& image);
  // The same without any copy of the tail: the container refers to `image`,
  // which the caller keeps alive and unchanged while the container is used.
  void scanImageDataBorrowed(std::span<const std::uint8_t> image);

  // Offers an APP1 payload to the EXIF model.
  void parseExif(std::span<const std::uint8_t> payload) { exifMetaData_.parseExif(payload); }
  // Parses an APP0 payload; keeps it as jfif() only when it is JFIF.
  void parseJfif(std::span<const std::uint8_t> payload);

  // Appends the rebuilt file to `out`. Throws EXFException (and leaves `out`
  // as it was): "InvalidJpegException" when the scan met a file whose
  // segments do not lead to image data (scanError()), so that no damaged
  // file is written as if it were whole; "SegmentTooLargeException" when a
  // payload (the written EXIF block above all) does not fit a 16-bit
  // segment length.
  void populateImageData(Bytes& out);

  const Headers& keyedHeaders() const { return keyedHeaders_; }
  void setKeyedHeaders(Headers h);
  // Every segment before the image data, in file order.
  const std::vector<Segment>& segments() const { return segments_; }
  // Stray bytes met between segments, in file order; a rebuild keeps each
  // before the segment it preceded.
  struct Stray {
    std::size_t offset;  // in the scanned file
    Bytes bytes;
  };
  const std::vector<Stray>& strays() const { return strays_; }
  // Index in segments() of the EXIF APP1 the model was parsed from.
  std::optional<std::size_t> exifSegmentIndex() const { return exifSegment_; }
  // File offset of the image data (the tail's first byte).
  std::size_t imageDataOffset() const { return imageDataOffset_; }
  // Why the scan could not walk the segments up to the image data, if so.
  const std::optional<std::string>& scanError() const { return scanError_; }

  EXFMetaData& exifMetaData() { return exifMetaData_; }
  const EXFMetaData& exifMetaData() const { return exifMetaData_; }
  const std::optional<EXFJFIF>& jfif() const { return jfif_; }
  void setJfif(std::optional<EXFJFIF> j) { jfif_ = std::move(j); }
  // The tail: from the first start-of-scan (or end-of-image) marker to the
  // end of the file; after a scan error, from where the walk stopped.
  std::optional<std::span<const std::uint8_t>> remainingData() const;
  void setRemainingData(std::optional<Bytes> d);
  // Everything a rebuild would not carry as the file held it (the EXIF
  // model's rewrite report).
  RewriteReport rewriteReport() const { return exifMetaData_.rewriteReport(); }
  // Component count of the start-of-frame segment (0 before one is met).
  std::int32_t numComponents() const { return numComponents_; }

 private:
  void scan(std::span<const std::uint8_t> image);

  Headers keyedHeaders_;
  bool headersReplaced_ = false;
  std::vector<Segment> segments_;
  std::vector<Stray> strays_;
  std::optional<std::size_t> exifSegment_;
  std::optional<std::string> scanError_;
  std::size_t imageDataOffset_ = 0;
  EXFMetaData exifMetaData_;
  std::int32_t numComponents_ = 0;
  std::optional<EXFJFIF> jfif_;
  std::shared_ptr<const Bytes> ownedTail_;       // the bytes the tail lies in, when owned
  std::optional<std::span<const std::uint8_t>> tail_;
};

}  // namespace exif
