#pragma once
// EXFUtils: stateless byte-order reads and writes, text from raw bytes, and
// decimal → 32-bit fraction conversion.
//
// The raw reads and writes trust their caller for bounds (4 readable bytes
// for a 4-byte read, 2 for a 2-byte read, 4 writable bytes for any write);
// parsing code reaches them only through ByteReader, which checks first.
// `bigEndian` true is the "MM" order, false the "II" order.
#include "exif/exf_fraction.h"
#include "exif/exif_constants.h"
#include "exif/number.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace exif {

enum class TextEncoding { ASCII, ShiftJIS, UTF16 };

class EXFUtils {
 public:
  static std::uint32_t read4Bytes(const std::uint8_t* cursor, bool bigEndian) {
    return bigEndian ? (std::uint32_t{cursor[0]} << 24 | std::uint32_t{cursor[1]} << 16 |
                        std::uint32_t{cursor[2]} << 8 | cursor[3])
                     : (std::uint32_t{cursor[3]} << 24 | std::uint32_t{cursor[2]} << 16 |
                        std::uint32_t{cursor[1]} << 8 | cursor[0]);
  }
  static std::int32_t read4SignedBytes(const std::uint8_t* cursor, bool bigEndian) {
    return static_cast<std::int32_t>(read4Bytes(cursor, bigEndian));
  }
  static std::uint16_t read2Bytes(const std::uint8_t* cursor, bool bigEndian) {
    return static_cast<std::uint16_t>(bigEndian ? (cursor[0] << 8 | cursor[1])
                                                : (cursor[1] << 8 | cursor[0]));
  }
  static std::int16_t read2SignedBytes(const std::uint8_t* cursor, bool bigEndian) {
    return static_cast<std::int16_t>(read2Bytes(cursor, bigEndian));
  }

  // Each write fills a whole 4-byte slot: 2- and 1-byte forms pad with zeros.
  static void write4Bytes(std::uint8_t* cursor, const Number& value, bool bigEndian);
  static void write4SignedBytes(std::uint8_t* cursor, const Number& value, bool bigEndian);
  static void write2Bytes(std::uint8_t* cursor, const Number& value, bool bigEndian);
  static void write2SignedBytes(std::uint8_t* cursor, const Number& value, bool bigEndian);
  static void write1Byte(std::uint8_t* cursor, const Number& value, bool bigEndian);
  static void write1SignedByte(std::uint8_t* cursor, const Number& value, bool bigEndian);

  // Exactly `length` bytes as text, nothing trimmed (a NUL stays a NUL
  // character). Empty when the bytes are not valid in the encoding: ASCII
  // takes bytes below 0x80 only; UTF-16 honours a byte-order mark and
  // otherwise uses `bigEndian`. Results are UTF-8.
  static std::optional<std::string> createStringFromBuffer(const std::uint8_t* cursor,
                                                           std::size_t length,
                                                           TextEncoding encoding,
                                                           bool bigEndian = true);

  // Greatest common divisor by Euclid's method; gcd(0, n) is n.
  static std::int32_t ofr_gcd_euclid(std::int32_t a, std::int32_t b);

  // The fraction approximating the number: exact and reduced up to six
  // decimal places, truncated to six beyond; the result carries no sign.
  // Where the scaled numerator would not fit 31 bits, fewer decimals are
  // kept rather than letting it wrap.
  // Element 0 is the numerator, element 1 the denominator.
  static void convertRationalToFraction(std::array<std::int32_t, 2>& out, const Number& value);

  // Appends numerator then denominator, 4 bytes each in the given order.
  static void appendRationalToData(Bytes& data, const Number& value, bool bigEndian);
  static void appendFractionToData(Bytes& data, const EXFraction& fraction, bool bigEndian);
};

}  // namespace exif
