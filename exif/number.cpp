#include "exif/number.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace exif {

Number Number::fromUInt64(std::uint64_t v) {
  return Number('Q', static_cast<std::int64_t>(v));
}

Number Number::fromFloat(float v) {
  Number n('f', 0);
  n.double_ = v;
  return n;
}

Number Number::fromDouble(double v) {
  Number n('d', 0);
  n.double_ = v;
  return n;
}

std::int64_t Number::int64Value() const {
  if (!isFloating()) return int_;
  if (std::isnan(double_)) return 0;
  // 2^63 is exactly representable; anything at or beyond saturates.
  constexpr double kLimit = 9223372036854775808.0;
  if (double_ >= kLimit) return std::numeric_limits<std::int64_t>::max();
  if (double_ < -kLimit) return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(double_);
}

std::int32_t Number::int32Value() const {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(int64Value()));
}

double Number::doubleValue() const {
  if (isFloating()) return double_;
  if (code_ == 'Q') return static_cast<double>(static_cast<std::uint64_t>(int_));
  return static_cast<double>(int_);
}

std::string Number::description() const {
  if (code_ == 'f') return shortestText(static_cast<float>(double_));
  if (code_ == 'd') return shortestText(double_);
  if (code_ == 'Q') return std::to_string(static_cast<std::uint64_t>(int_));
  return std::to_string(int_);
}

std::string shortestText(double v) {
  char buf[64];
  auto result = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, result.ptr);
}

std::string shortestText(float v) {
  char buf[64];
  auto result = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, result.ptr);
}

}  // namespace exif
