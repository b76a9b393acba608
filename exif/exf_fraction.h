#pragma once
// EXFraction: an immutable pair of signed 32-bit integers, the value of a
// RATIONAL or SRATIONAL element. Stored exactly as given: no reduction, sign
// normalisation or zero check (3/6, -1/2 and 5/0 are all kept).
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

  constexpr std::int32_t numerator() const { return numerator_; }
  constexpr std::int32_t denominator() const { return denominator_; }

  // numerator ÷ denominator in double precision (inf or nan for a zero
  // denominator).
  double quotient() const { return static_cast<double>(numerator_) / denominator_; }
  // The quotient as shortest decimal text: 1/2 → "0.5", 6/2 → "3".
  std::string description() const;

  friend constexpr bool operator==(const EXFraction&, const EXFraction&) = default;

 private:
  std::int32_t numerator_;
  std::int32_t denominator_;
};

}  // namespace exif
