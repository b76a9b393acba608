#pragma once
// EXFTag: one tag definition: number, field type, the directory it belongs
// in, a name (a label only), whether a caller may set it, and its element
// count (positive: fixed; negative, -1 or -99: taken from the value).
#include <cstdint>
#include <string_view>

namespace exif {

class EXFTag {
 public:
  // Arguments in the order: tag id, data type, name, parent tag id,
  // editable, components.
  constexpr EXFTag(std::uint16_t tagId, std::int32_t dataType, std::string_view name,
                   std::int32_t parentTagId, bool editable, std::int32_t components)
      : tagId_(tagId), dataType_(dataType), parentTagId_(parentTagId), name_(name),
        editable_(editable), components_(components) {}

  constexpr std::uint16_t tagId() const { return tagId_; }
  constexpr std::int32_t dataType() const { return dataType_; }
  constexpr std::int32_t parentTagId() const { return parentTagId_; }
  constexpr std::string_view name() const { return name_; }
  constexpr bool editable() const { return editable_; }
  constexpr std::int32_t components() const { return components_; }
  constexpr bool hasVariableCount() const { return components_ < 0; }

  void setTagId(std::uint16_t v) { tagId_ = v; }
  void setDataType(std::int32_t v) { dataType_ = v; }
  void setParentTagId(std::int32_t v) { parentTagId_ = v; }
  void setName(std::string_view v) { name_ = v; }
  void setEditable(bool v) { editable_ = v; }
  void setComponents(std::int32_t v) { components_ = v; }

 private:
  std::uint16_t tagId_;
  std::int32_t dataType_;
  std::int32_t parentTagId_;
  std::string_view name_;  // points at static text
  bool editable_;
  std::int32_t components_;
};

}  // namespace exif
