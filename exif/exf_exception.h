#pragma once
// EXFException: the library's one failure type. name() is the failure's name
// ("InvalidKey", "InvalidTypeException", ...), what() its reason text.
// Parsing never throws to its caller; the value store, handler registration
// and the JPEG rebuild do.
#include <stdexcept>
#include <string>

namespace exif {

class EXFException : public std::runtime_error {
 public:
  EXFException(std::string name, const std::string& reason)
      : std::runtime_error(reason), name_(std::move(name)) {}
  const std::string& name() const noexcept { return name_; }
  std::string reason() const { return what(); }

 private:
  std::string name_;
};

// Names.
inline constexpr const char* kInvalidKey = "InvalidKey";
inline constexpr const char* kInvalidHandler = "InvalidHandler";
inline constexpr const char* kInvalidTypeException = "InvalidTypeException";
inline constexpr const char* kNonEditableKeyException = "NonEditableKeyException";
inline constexpr const char* kInvalidTypeForHandlerException = "InvalidTypeForHandlerException";
inline constexpr const char* kSegmentTooLargeException = "SegmentTooLargeException";
inline constexpr const char* kUneditableExifException = "UneditableExifException";
inline constexpr const char* kInvalidJpegException = "InvalidJpegException";
inline constexpr const char* kInvalidGPSValueException = "InvalidGPSValueException";

// Reason texts; "%@" and "%c" mark the places filled in.
namespace reasons {
inline constexpr const char* kKeyNotNumber = "Key is nil or not a Number";
inline constexpr const char* kKeyNotATag = "Key %@ is not a 16-bit tag number";
inline constexpr const char* kHandlerNil = "Tag Handler is nil";
inline constexpr const char* kHandlerNotConforming =
    "Tag Handler Does not conform to protocol EXFTagHandler";
inline constexpr const char* kHandlerOverridesContainer =
    "Tag Handler cannot override tags that are containers for other tag sets";
inline constexpr const char* kHandlerNeedsTagFormat =
    "Tag Handler must implement tagFormat to support new tag Id";
inline constexpr const char* kHandlerTagFormatInvalid =
    "Tag Handler tagFormat is not valid - please see documentation";
inline constexpr const char* kHandlerParentInvalid =
    "Tag Handler parent Tag Id is invalid - please see documentation";
inline constexpr const char* kHandlerNeedsIsEditable =
    "Tag Handler must implement isEditable to support new tag Id";
inline constexpr const char* kHandlerRejectsValue = "Handler %@ does not support value for %@";
inline constexpr const char* kHandlerRejectsEditing = "Handler %@ does not support editing for %@";
inline constexpr const char* kTagNotEditableFor = "Tag does not support editing for %@";
inline constexpr const char* kNoDefinitionNoParent =
    "Tag definition not found for %@ - and parentTagId not supported by handler";
inline constexpr const char* kNoTagForKey = "No Tag found for Key %@";
inline constexpr const char* kTagNotEditable = "Tag is not editable";
inline constexpr const char* kOnlyAsciiString = "Tag %@ only supports NSString in ASCII format";
inline constexpr const char* kOnlyData = "Tag %@ only supports NSData";
inline constexpr const char* kOnlyFraction = "Tag %@ only supports EXFraction";
inline constexpr const char* kOnlyNumericTypes =
    "Tag %@ supports only numeric types of %@ - unsupported type %@";
inline constexpr const char* kNumericTypeNotSupported =
    "Tag %@ does not support numeric type %c for %@";
inline constexpr const char* kGroupNotRemovable = "Tag group %@ cannot be removed";
inline constexpr const char* kSegmentTooLarge =
    "Payload of %@ bytes for marker %@ does not fit a JPEG segment (at most 65533 bytes)";
}  // namespace reasons

// Fills the "%@" and "%c" places of a reason, in order, with the given texts.
std::string formatReason(const char* pattern, std::initializer_list<std::string> fills);

}  // namespace exif
