#pragma once
// ExifBlockMap: where everything in an EXIF APP1 payload lies, read from its
// structure alone: every directory table, every value stored out of line,
// thumbnail and strips, the maker note and, for the makers whose layout is
// known, everything its own directories address. Bytes that nothing
// addresses are room an edit may reuse without moving anything.
//
// It also lists every 4-byte field that holds a position past the payload's
// end (a preview stored after the image, say): what they address moves when
// the payload grows, so a caller that grows it must correct them.
//
// mapExifBlock() throws EXFException "UneditableExifException" when the
// block is not EXIF, IFD0 lies outside it, or IFD0's GPS pointer is not one
// offset; anything else that does not fit is simply not mapped.
#include "exif/exif_constants.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace exif {

struct ByteRange {
  std::size_t begin = 0, end = 0;  // payload positions, end excluded
  std::size_t size() const { return end - begin; }
};

// A 4-byte field that holds a position: where the field is (payload
// position), and what its value counts from: a payload position, or the
// start of the file (`base` empty).
struct PositionField {
  std::size_t at = 0;
  std::optional<std::size_t> base;
  bool bigEndian = false;
};

struct ExifBlockMap {
  bool bigEndian = false;
  std::size_t ifd0 = 0;                          // payload position of IFD0's entry count
  std::optional<std::size_t> gpsPointerEntry;    // IFD0's GPS pointer entry (payload position)
  std::optional<std::size_t> gps;                // the GPS directory (payload position)
  std::vector<bool> used;                        // per payload byte: addressed by something other than GPS
  std::vector<bool> gpsBytes;                    // per payload byte: the GPS directory and its values
  // Every field that leads to a directory: (field position, directory position).
  std::vector<std::pair<std::size_t, std::size_t>> directoryPointers;
  std::vector<PositionField> pastEnd;            // fields addressing bytes past the payload
  bool unreadMakerNote = false;                  // a maker note whose positions are not all known

  // The runs of bytes an edit may overwrite: the GPS directory with its
  // values where nothing else shares them, and bytes nothing addresses (only
  // zero ones when a maker note could address bytes outside itself).
  std::vector<ByteRange> room(std::span<const std::uint8_t> payload) const;
};

ExifBlockMap mapExifBlock(std::span<const std::uint8_t> payload);

}  // namespace exif
