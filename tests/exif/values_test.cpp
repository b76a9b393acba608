// The value types and the stateless conversions: decimal → fraction,
// numbers, directories, and the GPS time stamp's text form.
#include "exif/exf_gps_values.h"
#include "exif/exf_utils.h"
#include "exif/tag_value.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace exif {
namespace {

std::array<std::int32_t, 2> fractionOf(double v) {
  std::array<std::int32_t, 2> out{};
  EXFUtils::convertRationalToFraction(out, Number::fromDouble(v));
  return out;
}

TEST(Fractions, DecimalsBecomeReducedFractionsWithoutSign) {
  const std::pair<double, std::array<std::int32_t, 2>> cases[] = {
      {0, {0, 1}},       {1, {1, 1}},         {0.5, {1, 2}},     {12.25, {49, 4}},
      {0.0000001, {0, 1}}, {-12.5, {25, 2}},  {-3, {3, 1}},      {1.0 / 3, {333333, 1000000}},
      {0.1234567, {1929, 15625}},
  };
  for (const auto& [v, expected] : cases) EXPECT_EQ(fractionOf(v), expected) << v;
  EXPECT_EQ(EXFUtils::ofr_gcd_euclid(12, 18), 6);
  EXPECT_EQ(EXFUtils::ofr_gcd_euclid(0, 5), 5);
}

TEST(Fractions, LargeValuesGiveUpDecimalsRatherThanWrap) {
  for (double v : {8192.005, 4096.043212, 2805.864171998, 999999.999}) {
    auto [n, d] = fractionOf(v);
    EXPECT_GT(n, 0) << v;
    EXPECT_NEAR(static_cast<double>(n) / d, v, 1e-4) << v;
  }
  // No finite form: the conversion must stay defined (UBSan watches it).
  for (double v : {std::numeric_limits<double>::infinity(), std::nan(""), -1e300, 1e300})
    EXPECT_NE(fractionOf(v)[1], 0) << v;
}

TEST(Values, NumbersAndFractionsDescribeThemselvesWithoutOverflow) {
  EXPECT_EQ(Number::fromDouble(1e300).int64Value(), std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(Number::fromDouble(std::nan("")).int32Value(), 0);
  EXPECT_EQ(Number::fromInt64(0x1'0000'0005).int32Value(), 5);  // low 32 bits
  EXPECT_EQ(EXFraction(1, 3).description(), "0.3333333333333333");
  EXPECT_EQ(EXFraction(4, 2), EXFraction(4, 2));  // kept as given, not reduced
  EXPECT_NE(EXFraction(4, 2), EXFraction(2, 1));
  EXPECT_EQ(EXFraction(5, 0).description(), "inf");
}

TEST(Values, DirectoriesKeepKeysAscendingWhateverTheInsertOrder) {
  Directory d;
  for (TagKey k : {0x0110, 0x010F, 0x8769, 0x0001, 0x8769}) d.set(k, Number::fromInt32(static_cast<int>(k)));
  d.set(0x010F, "replaced");
  std::vector<TagKey> keys;
  for (const auto& entry : d) keys.push_back(entry.first);
  EXPECT_EQ(keys, (std::vector<TagKey>{0x0001, 0x010F, 0x0110, 0x8769}));
  EXPECT_EQ(*d.find(0x010F)->get<std::string>(), "replaced");
  EXPECT_TRUE(d.erase(0x0001));
  EXPECT_FALSE(d.erase(0x0001));
}

TEST(Values, GpsTimeStampPadsItsPartsAndSurvivesZeroDenominators) {
  auto stamp = [](EXFraction h, EXFraction m, EXFraction s) {
    EXFGPSTimeStamp t;
    t.setHours(h);
    t.setMinutes(m);
    t.setSeconds(s);
    return t.description();
  };
  EXPECT_EQ(stamp({9, 1}, {5, 1}, {30, 1}), "09:05:30");
  EXPECT_EQ(stamp({14, 1}, {30, 1}, {5, 2}), "14:30:02");
  EXPECT_EQ(stamp({123, 1}, {-5, 1}, {0, 1}), "123:-5:00");
  EXPECT_EQ(stamp({12, 0}, {std::numeric_limits<std::int32_t>::min(), -1}, {0, 0}), "--:2147483648:--");
}

}  // namespace
}  // namespace exif
