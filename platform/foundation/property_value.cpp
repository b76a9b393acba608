#include "platform/foundation/property_value.h"

#include "platform/foundation/ns_string.h"

#include <charconv>
#include <climits>
#include <cmath>

namespace platform {
namespace {

std::int64_t saturatingTruncate(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 9.2233720368547758e18) return INT64_MAX;
  if (value <= -9.2233720368547758e18) return INT64_MIN;
  return std::int64_t(value);
}

}  // namespace

bool PropertyValue::boolValue() const {
  switch (type()) {
    case Type::Bool: return std::get<bool>(value_);
    case Type::Integer: return std::get<std::int64_t>(value_) != 0;
    case Type::Real: return std::get<double>(value_) != 0;
    case Type::Text: return platform::boolValue(std::get<std::string>(value_));
  }
  return false;
}

std::int64_t PropertyValue::integerValue() const {
  switch (type()) {
    case Type::Bool: return std::get<bool>(value_) ? 1 : 0;
    case Type::Integer: return std::get<std::int64_t>(value_);
    case Type::Real: return saturatingTruncate(std::get<double>(value_));
    case Type::Text: return platform::integerValue(std::get<std::string>(value_));
  }
  return 0;
}

int PropertyValue::intValue() const {
  std::int64_t value = integerValue();
  return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : int(value);
}

double PropertyValue::doubleValue() const {
  switch (type()) {
    case Type::Bool: return std::get<bool>(value_) ? 1 : 0;
    case Type::Integer: return double(std::get<std::int64_t>(value_));
    case Type::Real: return std::get<double>(value_);
    case Type::Text: return platform::doubleValue(std::get<std::string>(value_));
  }
  return 0;
}

std::string PropertyValue::stringValue() const {
  switch (type()) {
    case Type::Bool: return std::get<bool>(value_) ? "1" : "0";
    case Type::Integer: return std::to_string(std::get<std::int64_t>(value_));
    case Type::Real: {
      char text[32];
      auto end = std::to_chars(text, text + sizeof text, std::get<double>(value_)).ptr;
      return std::string(text, end);
    }
    case Type::Text: return std::get<std::string>(value_);
  }
  return {};
}

}  // namespace platform
