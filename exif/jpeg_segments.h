#pragma once
// The segment layout of a JPEG file, read without copying: every marker
// segment between the start-of-image marker and the image data (the first
// start-of-scan, or an end-of-image marker), in file order.
//
// Segments are skipped by their length fields (comments included, whatever
// bytes they hold); fill bytes (FF) before a marker are allowed. Stray bytes
// where a marker should stand are skipped up to the next marker and listed.
// The spans point into the caller's bytes, which must outlive the layout.
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

// Bytes between two segments that belong to neither (djpeg calls them
// extraneous); kept where they are by every rewrite.
struct StrayBytes {
  std::size_t offset = 0, length = 0;
};

struct JpegLayout {
  std::vector<JpegSegment> segments;
  std::vector<StrayBytes> strays;
  // Where the image data starts: the start-of-scan (or end-of-image) marker.
  // After an error: where the walk stopped (the first byte not understood).
  std::size_t imageDataOffset = 0;
  // Empty when the walk reached the image data; otherwise why it did not
  // (the segments read until then are listed).
  std::string error;
  bool ok() const { return error.empty(); }
};

// Reads the layout. It is an error when the bytes do not begin with FF D8,
// or end (or hold a segment that runs past the end) before the image data.
JpegLayout readJpegLayout(std::span<const std::uint8_t> file);

// Where the main image ends: just past the end-of-image marker that closes
// the image data starting at `imageDataOffset` (scans and the tables between
// them walked, entropy-coded data skipped). The file's size when no such
// marker is found. Bytes after it (a preview, a trailer) are addressed, if
// at all, by position.
std::size_t findImageEnd(std::span<const std::uint8_t> file, std::size_t imageDataOffset);

// True for an APP1 payload that opens with the EXIF signature "Exif" NUL.
bool isExifPayload(std::span<const std::uint8_t> payload);

}  // namespace exif
