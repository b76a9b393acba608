#pragma once
// The segment layout of a JPEG file, read without copying: every marker
// segment between the start-of-image marker and the image data (the first
// start-of-scan, or an end-of-image marker), in file order.
//
// Segments are skipped by their length fields (comments included, whatever
// bytes they hold); fill bytes (FF) before a marker are allowed. The spans
// point into the caller's bytes, which must outlive the layout.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace exif {

struct JpegSegment {
  int marker = 0;             // the marker code, 0xC0..0xFE
  std::size_t offset = 0;     // file offset of the marker's FF byte
  std::size_t length = 0;     // whole segment: marker, length field, payload
  std::span<const std::uint8_t> payload;  // the bytes after the length field

  std::size_t end() const { return offset + length; }
};

struct JpegLayout {
  std::vector<JpegSegment> segments;
  // Where the image data starts: the start-of-scan (or end-of-image) marker.
  // After an error: where the walk stopped (the first byte not understood).
  std::size_t imageDataOffset = 0;
  // Empty when the walk reached the image data; otherwise why it did not
  // (the segments read until then are listed).
  std::string error;
  bool ok() const { return error.empty(); }
};

// Reads the layout. It is an error when the bytes do not begin with FF D8,
// hold something other than a marker where one must stand, or end (or hold
// a segment that runs past the end) before the image data.
JpegLayout readJpegLayout(std::span<const std::uint8_t> file);

// True for an APP1 payload that opens with the EXIF signature "Exif" NUL.
bool isExifPayload(std::span<const std::uint8_t> payload);

}  // namespace exif
