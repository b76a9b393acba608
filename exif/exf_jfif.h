#pragma once
// EXFJFIF: the JFIF header parsed from an APP0 payload: version, density
// units and values, and the optional embedded RGB thumbnail.
#include "exif/exif_constants.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace exif {

class EXFJFIF {
 public:
  // Parses a payload; `identifier()` is set only when the payload is at
  // least 14 bytes and begins with "JFIF" and a NUL. Never reads outside it.
  void parseJfif(std::span<const std::uint8_t> payload);

  const std::optional<std::string>& identifier() const { return identifier_; }
  std::int32_t length() const { return length_; }
  std::int32_t resolutionX() const { return resolutionX_; }
  std::int32_t resolutionY() const { return resolutionY_; }
  std::int32_t thumbnailX() const { return thumbnailX_; }
  std::int32_t thumbnailY() const { return thumbnailY_; }
  // 3 bytes per pixel, present only when the payload size matches exactly.
  const std::optional<Bytes>& thumbnail() const { return thumbnail_; }
  // "%x.%x" of the major and minor bytes: 1, 2 → "1.2"; 1, 0x10 → "1.10".
  const std::optional<std::string>& version() const { return version_; }
  std::int32_t units() const { return units_; }

  void setIdentifier(std::optional<std::string> v) { identifier_ = std::move(v); }
  void setLength(std::int32_t v) { length_ = v; }
  void setResolutionX(std::int32_t v) { resolutionX_ = v; }
  void setResolutionY(std::int32_t v) { resolutionY_ = v; }
  void setThumbnailX(std::int32_t v) { thumbnailX_ = v; }
  void setThumbnailY(std::int32_t v) { thumbnailY_ = v; }
  void setThumbnail(std::optional<Bytes> v) { thumbnail_ = std::move(v); }
  void setVersion(std::optional<std::string> v) { version_ = std::move(v); }
  void setUnits(std::int32_t v) { units_ = v; }

 private:
  std::optional<std::string> identifier_;
  std::int32_t length_ = 0;
  std::int32_t resolutionX_ = 0;
  std::int32_t resolutionY_ = 0;
  std::int32_t thumbnailX_ = 0;
  std::int32_t thumbnailY_ = 0;
  std::optional<Bytes> thumbnail_;
  std::optional<std::string> version_;
  std::int32_t units_ = 0;
};

}  // namespace exif
