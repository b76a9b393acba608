#pragma once
// The AFCP trailer some programs append to a JPEG (IPTC, text, a thumbnail
// or preview after the image): a directory of items addressed by absolute
// file positions, and a closing record that says where the directory starts.
//
// Layout (byte order: big-endian after "AXS!", little-endian after "AXS*"):
//   header   "AXS!", 2-byte version, 2-byte item count, 4-byte checksum
//   items    4-byte name, 4-byte size, 4-byte file position (12 bytes each)
//   ...      the items' data
//   closing  "AXS!", 4-byte file position of the header, 4-byte checksum
#include <cstddef>
#include <span>
#include <cstdint>

namespace exif {

enum class AfcpShift {
  None,     // the file has no AFCP trailer
  Shifted,  // every position at or past `from` moved by `delta`
  Damaged,  // a trailer whose positions cannot be read: nothing changed
};

// Whether `file` ends with an AFCP closing record (its trailer may still
// be damaged).
bool endsWithAfcpTrailer(std::span<const std::uint8_t> file);

// In `file`, whose bytes from `from` on were moved `delta` bytes later,
// corrects the trailer's positions that addressed them. The closing record
// is looked for at the end of `file`; its positions count in the file as it
// was before the move.
AfcpShift shiftAfcpTrailer(std::span<std::uint8_t> file, std::size_t from, std::size_t delta);

}  // namespace exif
