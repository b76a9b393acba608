#pragma once
// EXFTagHandler: converts one tag's value to and from its field bytes, for
// tags whose values need more than the field type alone (GPS coordinates,
// altitude, time, user comment, version texts, byte fields).
//
// Handlers keep no state between calls. The optional operations answer
// std::nullopt when a handler does not provide them; a caller's handler for
// a tag without a definition must provide all three (see EXFMetaData).
#include "exif/tag_value.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace exif {

class EXFTagHandler {
 public:
  virtual ~EXFTagHandler() = default;

  // Appends the value's field bytes to `out`.
  virtual void encodeTag(Bytes& out, const TagValue& value, bool bigEndian) const = 0;
  // Whether this handler can encode the value.
  virtual bool supportsValueType(const TagValue& value) const = 0;
  // Element count of the field, or -1 when the value is of an unsupported kind.
  virtual std::int32_t getSizeOfValue(const TagValue& value) const = 0;
  // Decodes the entry's field bytes and stores the value in `dir` under
  // `key`; stores nothing when the bytes do not make a value.
  virtual void decodeTag(Directory& dir, TagKey key, std::span<const std::uint8_t> field,
                         bool bigEndian) const = 0;
  // A fixed text naming the handler.
  virtual std::string description() const = 0;

  virtual std::optional<bool> isEditable() const { return std::nullopt; }
  virtual std::optional<std::int32_t> parentTagId() const { return std::nullopt; }
  virtual std::optional<std::int32_t> tagFormat() const { return std::nullopt; }
};

}  // namespace exif
