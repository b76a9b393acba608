// AFCP trailer positions, moved with the bytes they address.
#include "exif/afcp_trailer.h"

#include "exif/exf_utils.h"

#include <cstring>

namespace exif {

bool endsWithAfcpTrailer(std::span<const std::uint8_t> file) {
  if (file.size() < 12) return false;
  const std::uint8_t* closing = file.data() + file.size() - 12;
  return std::memcmp(closing, "AXS", 3) == 0 && (closing[3] == '!' || closing[3] == '*');
}

AfcpShift shiftAfcpTrailer(std::span<std::uint8_t> file, std::size_t from, std::size_t delta) {
  if (!endsWithAfcpTrailer(file)) return AfcpShift::None;
  std::uint8_t* closing = file.data() + file.size() - 12;
  const bool big = closing[3] == '!';
  // Positions in the file as it was: a position p at or past `from` now
  // stands at p + delta.
  auto now = [&](std::uint64_t p) { return p >= from ? p + delta : p; };
  const std::uint64_t header = now(EXFUtils::read4Bytes(closing + 4, big));
  if (header + 12 > file.size() || std::memcmp(file.data() + header, closing, 4) != 0) return AfcpShift::Damaged;
  const std::size_t count = EXFUtils::read2Bytes(file.data() + header + 6, big);
  if (header + 12 + 12ull * count > file.size()) return AfcpShift::Damaged;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* item = file.data() + header + 12 + 12 * i;
    const std::uint64_t at = now(EXFUtils::read4Bytes(item + 8, big));
    if (at + EXFUtils::read4Bytes(item + 4, big) > file.size() || at > UINT32_MAX) return AfcpShift::Damaged;
  }
  if (header > UINT32_MAX) return AfcpShift::Damaged;
  auto put = [&](std::uint8_t* field) {
    const std::uint32_t v = EXFUtils::read4Bytes(field, big);
    const auto moved = static_cast<std::uint32_t>(now(v));
    for (int i = 0; i < 4; ++i) field[big ? i : 3 - i] = static_cast<std::uint8_t>(moved >> (24 - 8 * i));
  };
  for (std::size_t i = 0; i < count; ++i) put(file.data() + header + 12 + 12 * i + 8);
  put(closing + 4);
  return AfcpShift::Shifted;
}

}  // namespace exif
