#pragma once
// EXFraction: an immutable pair of signed 32-bit integers, the value of a
// RATIONAL or SRATIONAL element. Stored exactly as given: no reduction, sign
// normalisation or zero check (3/6, -1/2 and 5/0 are all kept).
//
// A fraction read from a RATIONAL field is marked unsigned: its two 32-bit
// patterns stand for values 0..2^32-1, so 4294967295/1 reads as that and not
// as -1/1. The mark changes only how the value reads (quotient, description,
// the unsigned accessors); equality compares the bit patterns.
#include <cstdint>
#include <string>

namespace exif {

class EXFraction {
 public:
  constexpr EXFraction(std::int32_t numerator, std::int32_t denominator)
      : numerator_(numerator), denominator_(denominator) {}
  static constexpr EXFraction initWith(std::int32_t numerator, std::int32_t denominator) {
    return EXFraction(numerator, denominator);
  }
  // The value of a RATIONAL element: two unsigned 32-bit numbers.
  static constexpr EXFraction fromUnsigned(std::uint32_t numerator, std::uint32_t denominator) {
    EXFraction f(static_cast<std::int32_t>(numerator), static_cast<std::int32_t>(denominator));
    f.unsigned_ = true;
    return f;
  }

  constexpr std::int32_t numerator() const { return numerator_; }
  constexpr std::int32_t denominator() const { return denominator_; }

  constexpr bool isUnsigned() const { return unsigned_; }
  // The parts as the field holds them: unsigned for a RATIONAL, else signed.
  constexpr std::int64_t numeratorValue() const {
    return unsigned_ ? std::int64_t{static_cast<std::uint32_t>(numerator_)} : numerator_;
  }
  constexpr std::int64_t denominatorValue() const {
    return unsigned_ ? std::int64_t{static_cast<std::uint32_t>(denominator_)} : denominator_;
  }

  // numerator ÷ denominator in double precision (inf or nan for a zero
  // denominator).
  double quotient() const {
    return static_cast<double>(numeratorValue()) / static_cast<double>(denominatorValue());
  }
  // The quotient as shortest decimal text: 1/2 → "0.5", 6/2 → "3".
  std::string description() const;

  friend constexpr bool operator==(const EXFraction& a, const EXFraction& b) {
    return a.numerator_ == b.numerator_ && a.denominator_ == b.denominator_;
  }

 private:
  std::int32_t numerator_;
  std::int32_t denominator_;
  bool unsigned_ = false;
};

}  // namespace exif
