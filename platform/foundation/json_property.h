#pragma once
// PropertyValue to and from JSON values. Internal to platform/foundation.
#include "platform/foundation/property_value.h"

#include <nlohmann/json.hpp>

#include <optional>

namespace platform::detail {

// A boolean, number or text; nothing for null, arrays and objects.
inline std::optional<PropertyValue> propertyFromJson(const nlohmann::json& value) {
  switch (value.type()) {
    case nlohmann::json::value_t::boolean: return PropertyValue(value.get<bool>());
    case nlohmann::json::value_t::number_integer: return PropertyValue(value.get<std::int64_t>());
    case nlohmann::json::value_t::number_unsigned: {
      auto n = value.get<std::uint64_t>();
      if (n <= std::uint64_t(INT64_MAX)) return PropertyValue(std::int64_t(n));
      return PropertyValue(double(n));
    }
    case nlohmann::json::value_t::number_float: return PropertyValue(value.get<double>());
    case nlohmann::json::value_t::string: return PropertyValue(value.get<std::string>());
    default: return std::nullopt;
  }
}

inline nlohmann::json jsonFromProperty(const PropertyValue& value) {
  switch (value.type()) {
    case PropertyValue::Type::Bool: return value.boolValue();
    case PropertyValue::Type::Integer: return value.integerValue();
    case PropertyValue::Type::Real: return value.doubleValue();
    case PropertyValue::Type::Text: return value.stringValue();
  }
  return nullptr;
}

}  // namespace platform::detail
