#pragma once
// PropertyValue: a number or text object as user defaults and the bundle's
// info dictionary hold them: a boolean, an integer, a real or a text. It
// remembers which it is, and reads as any of them with the platform's
// conversions (boolValue, intValue, ...).
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

namespace platform {

class PropertyValue {
 public:
  enum class Type { Bool, Integer, Real, Text };

  PropertyValue(bool value) : value_(value) {}
  template <class T>
    requires(std::is_integral_v<T> && !std::is_same_v<T, bool>)
  PropertyValue(T value) : value_(std::int64_t(value)) {}
  PropertyValue(double value) : value_(value) {}
  PropertyValue(std::string value) : value_(std::move(value)) {}
  PropertyValue(const char* value) : value_(std::string(value)) {}
  PropertyValue(std::string_view value) : value_(std::string(value)) {}

  Type type() const { return Type(value_.index()); }
  bool isText() const { return type() == Type::Text; }

  // Numbers: non-zero. Text: the platform's text reading (see ns_string.h).
  bool boolValue() const;
  // Booleans 1 or 0; reals truncated toward zero; both saturate at the
  // int range. Text: leading decimal digits.
  int intValue() const;
  std::int64_t integerValue() const;
  double doubleValue() const;
  // Text as it is; numbers as the platform describes them ("1", "42", "0.5").
  std::string stringValue() const;

  friend bool operator==(const PropertyValue&, const PropertyValue&) = default;

 private:
  std::variant<bool, std::int64_t, double, std::string> value_;
};

}  // namespace platform
