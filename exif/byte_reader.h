#pragma once
// ByteReader: the one bounds-checked view that every parser in the library
// reads through. Positions and sizes are 64-bit, so no position + size
// arithmetic wraps; a read that does not fit inside the bytes gives nothing.
// The reader borrows the bytes: they must outlive it.
#include "exif/exf_utils.h"

#include <cstdint>
#include <optional>
#include <span>

namespace exif {

class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::uint64_t size() const { return bytes_.size(); }
  // True when [pos, pos + n) lies inside the bytes.
  bool has(std::uint64_t pos, std::uint64_t n) const {
    return pos <= bytes_.size() && n <= bytes_.size() - pos;
  }

  std::optional<std::uint8_t> u8(std::uint64_t pos) const {
    if (!has(pos, 1)) return std::nullopt;
    return bytes_[pos];
  }
  std::optional<std::uint16_t> u16(std::uint64_t pos, bool bigEndian) const {
    if (!has(pos, 2)) return std::nullopt;
    return EXFUtils::read2Bytes(bytes_.data() + pos, bigEndian);
  }
  std::optional<std::uint32_t> u32(std::uint64_t pos, bool bigEndian) const {
    if (!has(pos, 4)) return std::nullopt;
    return EXFUtils::read4Bytes(bytes_.data() + pos, bigEndian);
  }
  std::optional<std::span<const std::uint8_t>> span(std::uint64_t pos, std::uint64_t n) const {
    if (!has(pos, n)) return std::nullopt;
    return bytes_.subspan(pos, n);
  }

 private:
  std::span<const std::uint8_t> bytes_;
};

}  // namespace exif
