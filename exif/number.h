#pragma once
// Number: a numeric tag value that remembers the type it was made from, as a
// one-letter storage code: c/C signed/unsigned 8-bit, s/S 16-bit, i/I int,
// l/L long (both 32-bit), q/Q 64-bit, f float, d double. The value store
// checks the code against a tag's field type; conversions never invoke
// undefined behaviour (out-of-range doubles saturate, NaN gives 0).
#include <cstdint>
#include <string>

namespace exif {

class Number {
 public:
  static Number fromInt8(std::int8_t v) { return Number('c', v); }
  static Number fromUInt8(std::uint8_t v) { return Number('C', v); }
  static Number fromInt16(std::int16_t v) { return Number('s', v); }
  static Number fromUInt16(std::uint16_t v) { return Number('S', v); }
  static Number fromInt32(std::int32_t v) { return Number('i', v); }
  static Number fromUInt32(std::uint32_t v) { return Number('I', v); }
  static Number fromLong(std::int32_t v) { return Number('l', v); }
  static Number fromULong(std::uint32_t v) { return Number('L', v); }
  static Number fromInt64(std::int64_t v) { return Number('q', v); }
  static Number fromUInt64(std::uint64_t v);
  static Number fromFloat(float v);
  static Number fromDouble(double v);

  char code() const { return code_; }
  bool isFloating() const { return code_ == 'f' || code_ == 'd'; }

  std::int64_t int64Value() const;   // doubles truncate toward zero, saturating
  std::int32_t int32Value() const;   // low 32 bits of int64Value()
  std::uint32_t uint32Value() const { return static_cast<std::uint32_t>(int64Value()); }
  double doubleValue() const;

  // Decimal text; doubles use the shortest text that reads back the same.
  std::string description() const;

  friend bool operator==(const Number&, const Number&) = default;

 private:
  Number(char code, std::int64_t v) : code_(code), int_(v) {}
  char code_ = 'i';
  std::int64_t int_ = 0;     // every integer code; 'Q' keeps the bit pattern
  double double_ = 0.0;      // 'f' and 'd'
};

// Shortest decimal text that reads back as the same double ("0.5", "3").
std::string shortestText(double v);
std::string shortestText(float v);

}  // namespace exif
