#pragma once
// EXFJpeg: a JPEG file split into what the library works on: the
// application segments APP0..APP15 (raw payloads, one per marker), the EXIF
// model parsed from APP1, the JFIF header from APP0, the frame geometry, and
// the opaque tail (tables, frame header, scans, end marker).
//
// scanImageData() copies what it keeps, so the input need only live for the
// call. It never reads outside the input and never throws. populateImageData()
// writes a new file: SOI, the segments in marker order with a freshly
// written EXIF APP1, and the tail. One thread at a time.
#include "exif/exf_jfif.h"
#include "exif/exf_meta_data.h"

#include <cstdint>
#include <map>
#include <optional>
#include <span>

namespace exif {

class EXFJpeg {
 public:
  using Headers = std::map<int, Bytes>;  // marker code (0xE0..0xEF) → payload

  // Scans a whole JPEG file. An input that does not begin with FF D8 leaves
  // the container as it was.
  void scanImageData(std::span<const std::uint8_t> image);
  // Offers an APP1 payload to the EXIF model.
  void parseExif(std::span<const std::uint8_t> payload) { exifMetaData_.parseExif(payload); }
  // Parses an APP0 payload; keeps it as jfif() only when it is JFIF.
  void parseJfif(std::span<const std::uint8_t> payload);

  // Appends the rebuilt file to `out`. Throws EXFException
  // "SegmentTooLargeException" when a payload (the written EXIF block above
  // all) does not fit a 16-bit segment length; `out` is then left as it was.
  void populateImageData(Bytes& out);

  const Headers& keyedHeaders() const { return keyedHeaders_; }
  void setKeyedHeaders(Headers h) { keyedHeaders_ = std::move(h); }
  EXFMetaData& exifMetaData() { return exifMetaData_; }
  const EXFMetaData& exifMetaData() const { return exifMetaData_; }
  const std::optional<EXFJFIF>& jfif() const { return jfif_; }
  void setJfif(std::optional<EXFJFIF> j) { jfif_ = std::move(j); }
  const std::optional<Bytes>& remainingData() const { return remainingData_; }
  void setRemainingData(std::optional<Bytes> d) { remainingData_ = std::move(d); }

  // Segments met by the scan that a rebuild will not write: an application
  // segment replaced by a later one with the same marker, an APP1 that is not
  // EXIF, and comments or tables standing before the last application
  // segment. (The EXIF APP1 itself is rewritten from the model.)
  std::size_t droppedSegmentCount() const { return droppedSegments_; }
  // Component count of the start-of-frame segment (0 before one is met).
  std::int32_t numComponents() const { return numComponents_; }

 private:
  Headers keyedHeaders_;
  EXFMetaData exifMetaData_;
  std::int32_t numComponents_ = 0;
  std::optional<EXFJFIF> jfif_;
  std::optional<Bytes> remainingData_;
  std::size_t droppedSegments_ = 0;
};

}  // namespace exif
