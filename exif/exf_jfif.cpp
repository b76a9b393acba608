#include "exif/exf_jfif.h"

#include "exif/byte_reader.h"

#include <algorithm>
#include <cstdio>

namespace exif {

void EXFJFIF::parseJfif(std::span<const std::uint8_t> payload) {
  ByteReader r(payload);
  if (!r.has(0, JFIF_MIN_LENGTH)) return;
  if (!std::equal(JFIF_IDENTIFIER.begin(), JFIF_IDENTIFIER.end(), payload.begin())) return;
  length_ = static_cast<std::int32_t>(std::min<std::size_t>(payload.size(), INT32_MAX));
  identifier_ = std::string(JFIF_IDENTIFIER.begin(), JFIF_IDENTIFIER.end());
  char text[16];
  std::snprintf(text, sizeof text, "%x.%x", *r.u8(5), *r.u8(6));
  version_ = text;
  units_ = *r.u8(7);
  resolutionX_ = *r.u16(8, true);
  resolutionY_ = *r.u16(10, true);
  thumbnailX_ = *r.u8(12);
  thumbnailY_ = *r.u8(13);
  const std::uint64_t pixels = 3ull * static_cast<std::uint64_t>(thumbnailX_) *
                               static_cast<std::uint64_t>(thumbnailY_);
  if (pixels > 0 && payload.size() == JFIF_MIN_LENGTH + pixels) {
    auto bytes = *r.span(JFIF_MIN_LENGTH, pixels);
    thumbnail_ = Bytes(bytes.begin(), bytes.end());
  }
}

}  // namespace exif
