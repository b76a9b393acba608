#pragma once
// stringWithFormat: the platform's printf-style text formatting, with "%@"
// for an object's text and "%n$" positional arguments (translations may
// reorder them).
//
//   stringWithFormat("%.2f %@", 33.8688, "S")        -> "33.87 S"
//   stringWithFormat("IMG_%04d", 7)                  -> "IMG_0007"
//   stringWithFormat("%2$@ %1$@", "a", "b")          -> "b a"
//
// Conversions: d i u o x X c, f F e E g G a A, s @, and %%; flags, width,
// precision (also '*') and length modifiers as in printf (modifiers are
// accepted and ignored: integers are 64-bit). Never undefined: a missing
// argument reads as 0 or the empty text, a text given to a number
// conversion reads as its intValue/doubleValue, a number given to %@ or %s
// as its description, and an unknown conversion is copied as written.
#include "platform/foundation/property_value.h"

#include <initializer_list>
#include <string>
#include <string_view>

namespace platform {

std::string stringWithFormatArgs(std::string_view format, std::initializer_list<PropertyValue> args);

template <class... Args>
std::string stringWithFormat(std::string_view format, const Args&... args) {
  return stringWithFormatArgs(format, {PropertyValue(args)...});
}

}  // namespace platform
