#include "exif/exf_utils.h"

#include "exif/text_codec.h"

#include <cmath>
#include <cstring>

namespace exif {
namespace {

void put(std::uint8_t* cursor, std::uint32_t v, int width, bool bigEndian) {
  std::memset(cursor, 0, 4);
  for (int i = 0; i < width; ++i) {
    int shift = bigEndian ? 8 * (width - 1 - i) : 8 * i;
    cursor[i] = static_cast<std::uint8_t>(v >> shift);
  }
}

std::int64_t gcd64(std::int64_t a, std::int64_t b) {
  if (a < b) std::swap(a, b);
  if (b == 0) return a;
  for (;;) {
    std::int64_t r = a % b;
    if (r == 0) return b;
    a = b;
    b = r;
  }
}

// Truncation toward zero that stays defined for any double.
std::int64_t truncate64(double x) { return Number::fromDouble(x).int64Value(); }

bool isIntegral(double x) {
  if (std::fabs(x) >= 9.0e18) return true;  // far beyond 2^53: no fraction left
  return static_cast<double>(truncate64(x)) == x;
}

constexpr double kInt32Max = 2147483647.0;

std::int32_t low32(std::int64_t v) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
}

}  // namespace

void EXFUtils::write4Bytes(std::uint8_t* cursor, const Number& value, bool bigEndian) {
  put(cursor, value.uint32Value(), 4, bigEndian);
}
void EXFUtils::write4SignedBytes(std::uint8_t* cursor, const Number& value, bool bigEndian) {
  put(cursor, static_cast<std::uint32_t>(value.int32Value()), 4, bigEndian);
}
void EXFUtils::write2Bytes(std::uint8_t* cursor, const Number& value, bool bigEndian) {
  put(cursor, value.uint32Value() & 0xFFFF, 2, bigEndian);
}
void EXFUtils::write2SignedBytes(std::uint8_t* cursor, const Number& value, bool bigEndian) {
  put(cursor, static_cast<std::uint32_t>(value.int32Value()) & 0xFFFF, 2, bigEndian);
}
void EXFUtils::write1Byte(std::uint8_t* cursor, const Number& value, bool) {
  put(cursor, value.uint32Value() & 0xFF, 1, true);
}
void EXFUtils::write1SignedByte(std::uint8_t* cursor, const Number& value, bool) {
  put(cursor, static_cast<std::uint32_t>(value.int32Value()) & 0xFF, 1, true);
}

std::optional<std::string> EXFUtils::createStringFromBuffer(const std::uint8_t* cursor,
                                                            std::size_t length,
                                                            TextEncoding encoding,
                                                            bool bigEndian) {
  switch (encoding) {
    case TextEncoding::ASCII: return asciiText(cursor, length);
    case TextEncoding::ShiftJIS: return shiftJisToUtf8(cursor, length);
    case TextEncoding::UTF16: return utf16ToUtf8(cursor, length, bigEndian);
  }
  return std::nullopt;
}

std::int32_t EXFUtils::ofr_gcd_euclid(std::int32_t a, std::int32_t b) {
  return low32(gcd64(a, b));
}

void EXFUtils::convertRationalToFraction(std::array<std::int32_t, 2>& out, const Number& value) {
  const double v = value.doubleValue();
  const bool negative = v < 0;
  std::int64_t numerator = 0;
  std::int64_t denominator = 1;
  if (!std::isfinite(v) || v == 0.0) {
    // 0 is 0/1; a value with no finite form has no better fraction.
  } else if (v == 1.0) {
    numerator = 1;
  } else {
    double x = v;
    std::int64_t scale = 1;
    while (!isIntegral(x)) {
      x *= 10.0;
      scale *= 10;
      if (x < 0 || scale > 9'999'999) {
        scale = 1'000'000;
        x = static_cast<double>(truncate64(1'000'000.0 * v));
        break;
      }
    }
    // A scaled value beyond 32 bits would wrap into a wrong fraction (an
    // altitude of 8192.005 m became 3897 m): give up decimals instead.
    while (std::fabs(x) > kInt32Max && scale > 1) {
      scale /= 10;
      x = static_cast<double>(truncate64(v * static_cast<double>(scale)));
    }
    std::int64_t n = low32(truncate64(x));
    std::int64_t g = gcd64(n < 0 ? -n : n, low32(scale));
    numerator = truncate64(x / static_cast<double>(g));
    denominator = scale / g;
  }
  std::int64_t low = low32(numerator);
  if (negative && low < 0) low = -low;  // the fraction never carries the sign
  out[0] = low32(low);
  out[1] = low32(denominator);
}

void EXFUtils::appendRationalToData(Bytes& data, const Number& value, bool bigEndian) {
  std::array<std::int32_t, 2> pair{};
  convertRationalToFraction(pair, value);
  appendFractionToData(data, EXFraction(pair[0], pair[1]), bigEndian);
}

void EXFUtils::appendFractionToData(Bytes& data, const EXFraction& fraction, bool bigEndian) {
  std::uint8_t slot[8];
  write4Bytes(slot, Number::fromInt32(fraction.numerator()), bigEndian);
  write4Bytes(slot + 4, Number::fromInt32(fraction.denominator()), bigEndian);
  data.insert(data.end(), slot, slot + 8);
}

}  // namespace exif
