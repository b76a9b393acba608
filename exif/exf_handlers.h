#pragma once
// The seven built-in tag value handlers and the table that assigns them to
// tags. The table is one immutable instance shared by every metadata store.
#include "exif/exf_tag_handler.h"

#include <span>
#include <utility>

namespace exif {

// GPSLatitude, GPSLongitude, GPSDestLatitude, GPSDestLongitude: an EXFGPSLoc
// as three RATIONALs (24 bytes).
class EXFGPSLocationHandler : public EXFTagHandler {
 public:
  void encodeTag(Bytes& out, const TagValue& value, bool bigEndian) const override;
  bool supportsValueType(const TagValue& value) const override;
  std::int32_t getSizeOfValue(const TagValue& value) const override;
  void decodeTag(Directory& dir, TagKey key, std::span<const std::uint8_t> field,
                 bool bigEndian) const override;
  std::string description() const override { return "GPSLocation Handler"; }
};

// GPSAltitude: a number (metres) as one RATIONAL; the sign is not encoded.
class EXFGPSAltitudeHandler : public EXFTagHandler {
 public:
  void encodeTag(Bytes& out, const TagValue& value, bool bigEndian) const override;
  bool supportsValueType(const TagValue& value) const override;
  std::int32_t getSizeOfValue(const TagValue& value) const override;
  void decodeTag(Directory& dir, TagKey key, std::span<const std::uint8_t> field,
                 bool bigEndian) const override;
  std::string description() const override { return "GPSAltitude Handler"; }
};

// GPSTimeStamp: an EXFGPSTimeStamp as three RATIONALs (24 bytes).
class EXFGPSTimeHandler : public EXFTagHandler {
 public:
  void encodeTag(Bytes& out, const TagValue& value, bool bigEndian) const override;
  bool supportsValueType(const TagValue& value) const override;
  std::int32_t getSizeOfValue(const TagValue& value) const override;
  void decodeTag(Directory& dir, TagKey key, std::span<const std::uint8_t> field,
                 bool bigEndian) const override;
  std::string description() const override { return "GPSTime Handler"; }
};

// UserComment: an 8-byte character-code prefix, then the text. Reads ASCII,
// JIS (Shift-JIS) and UNICODE (UTF-16); writes ASCII, or UNICODE in the
// block's byte order when the text has no ASCII form.
class EXFTextHandler : public EXFTagHandler {
 public:
  void encodeTag(Bytes& out, const TagValue& value, bool bigEndian) const override;
  bool supportsValueType(const TagValue& value) const override;
  std::int32_t getSizeOfValue(const TagValue& value) const override;
  void decodeTag(Directory& dir, TagKey key, std::span<const std::uint8_t> field,
                 bool bigEndian) const override;
  std::string description() const override { return "EXF Text Handler"; }
};

// ExifVersion, FlashpixVersion: an ASCII text stored as undefined bytes
// without a terminator ("0220" → 30 32 32 30).
class EXFASCIIHandler : public EXFTagHandler {
 public:
  void encodeTag(Bytes& out, const TagValue& value, bool bigEndian) const override;
  bool supportsValueType(const TagValue& value) const override;
  std::int32_t getSizeOfValue(const TagValue& value) const override;
  void decodeTag(Directory& dir, TagKey key, std::span<const std::uint8_t> field,
                 bool bigEndian) const override;
  std::string description() const override { return "EXF ASCII Handler"; }
};

// FileSource: a number as one byte.
class EXFByteHandler : public EXFTagHandler {
 public:
  void encodeTag(Bytes& out, const TagValue& value, bool bigEndian) const override;
  bool supportsValueType(const TagValue& value) const override;
  std::int32_t getSizeOfValue(const TagValue& value) const override;
  void decodeTag(Directory& dir, TagKey key, std::span<const std::uint8_t> field,
                 bool bigEndian) const override;
  std::string description() const override { return "EXF Byte Handler"; }
};

// ComponentsConfiguration (0x9101): an array of numbers, one byte each.
class EXFByteArrayHandler : public EXFTagHandler {
 public:
  void encodeTag(Bytes& out, const TagValue& value, bool bigEndian) const override;
  bool supportsValueType(const TagValue& value) const override;
  std::int32_t getSizeOfValue(const TagValue& value) const override;
  void decodeTag(Directory& dir, TagKey key, std::span<const std::uint8_t> field,
                 bool bigEndian) const override;
  std::string description() const override { return "EXF Byte Array Handler"; }
};

// The built-in handler table: tag → handler, in registration order.
class BuiltInHandlers {
 public:
  static const BuiltInHandlers& shared();
  // The built-in handler for a tag, or null.
  const EXFTagHandler* find(TagKey key) const;
  std::span<const std::pair<TagKey, const EXFTagHandler*>> entries() const;

 private:
  BuiltInHandlers() = default;
};

}  // namespace exif
