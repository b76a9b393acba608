#include "exif/exf_utils.h"

#include <gtest/gtest.h>

#include <array>

namespace exif {
namespace {

TEST(ByteOrder, ReadsFollowTheFlag) {
  const std::uint8_t b[] = {0x12, 0x34, 0x56, 0x78};
  EXPECT_EQ(EXFUtils::read4Bytes(b, true), 0x12345678u);
  EXPECT_EQ(EXFUtils::read4Bytes(b, false), 0x78563412u);
  EXPECT_EQ(EXFUtils::read2Bytes(b, true), 0x1234);
  EXPECT_EQ(EXFUtils::read2Bytes(b, false), 0x3412);
  const std::uint8_t s[] = {0xFF, 0xFE};
  EXPECT_EQ(EXFUtils::read2SignedBytes(s, true), -2);
  EXPECT_EQ(EXFUtils::read2SignedBytes(s, false), -257);
}

struct WriteCase {
  const char* name;
  void (*write)(std::uint8_t*, const Number&, bool);
  Number value;
  bool big;
  std::array<std::uint8_t, 4> bytes;
};

TEST(ByteOrder, EveryWriteFillsAFourByteSlot) {
  const WriteCase cases[] = {
      {"write4Bytes MM", EXFUtils::write4Bytes, Number::fromUInt32(0x12345678), true, {0x12, 0x34, 0x56, 0x78}},
      {"write4Bytes II", EXFUtils::write4Bytes, Number::fromUInt32(0x12345678), false, {0x78, 0x56, 0x34, 0x12}},
      {"write4Bytes -1", EXFUtils::write4Bytes, Number::fromInt32(-1), true, {0xFF, 0xFF, 0xFF, 0xFF}},
      {"write4SignedBytes -1", EXFUtils::write4SignedBytes, Number::fromInt32(-1), false, {0xFF, 0xFF, 0xFF, 0xFF}},
      {"write2Bytes II", EXFUtils::write2Bytes, Number::fromInt32(0x1234), false, {0x34, 0x12, 0, 0}},
      {"write2Bytes MM", EXFUtils::write2Bytes, Number::fromInt32(0x1234), true, {0x12, 0x34, 0, 0}},
      {"write2SignedBytes -2", EXFUtils::write2SignedBytes, Number::fromInt16(-2), true, {0xFF, 0xFE, 0, 0}},
      {"write1Byte MM", EXFUtils::write1Byte, Number::fromInt32(7), true, {7, 0, 0, 0}},
      {"write1Byte II", EXFUtils::write1Byte, Number::fromInt32(7), false, {7, 0, 0, 0}},
      {"write1SignedByte -1", EXFUtils::write1SignedByte, Number::fromInt8(-1), false, {0xFF, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    std::array<std::uint8_t, 4> slot = {0xAA, 0xAA, 0xAA, 0xAA};
    c.write(slot.data(), c.value, c.big);
    EXPECT_EQ(slot, c.bytes) << c.name;
  }
}

TEST(ByteOrder, StringKeepsEveryByteIncludingNul) {
  const std::uint8_t b[] = {'a', 'b', 'c', 'd', 'e', 0};
  auto s = EXFUtils::createStringFromBuffer(b, 6, TextEncoding::ASCII);
  ASSERT_TRUE(s);
  EXPECT_EQ(*s, std::string("abcde\0", 6));
  const std::uint8_t high[] = {'a', 0xC3};
  EXPECT_FALSE(EXFUtils::createStringFromBuffer(high, 2, TextEncoding::ASCII));
}

TEST(Fractions, DecimalsBecomeReducedFractionsWithoutSign) {
  const std::pair<double, std::array<std::int32_t, 2>> cases[] = {
      {0, {0, 1}},      {1, {1, 1}},          {0.5, {1, 2}},     {12.25, {49, 4}},
      {0.0000001, {0, 1}}, {-0.5, {1, 2}},    {-12.5, {25, 2}},  {-3, {3, 1}},
      {2.5, {5, 2}},    {0.75, {3, 4}},       {5, {5, 1}},       {1.0 / 3, {333333, 1000000}},
      {0.1234567, {1929, 15625}},
  };
  for (const auto& [v, expected] : cases) {
    std::array<std::int32_t, 2> out{};
    EXFUtils::convertRationalToFraction(out, Number::fromDouble(v));
    EXPECT_EQ(out, expected) << v;
  }
}

TEST(Fractions, LargeValuesGiveUpDecimalsRatherThanWrap) {
  for (double v : {8192.005, 4096.043212, 2805.864171998, 999999.999}) {
    std::array<std::int32_t, 2> out{};
    EXFUtils::convertRationalToFraction(out, Number::fromDouble(v));
    EXPECT_GT(out[0], 0) << v;
    EXPECT_NEAR(static_cast<double>(out[0]) / out[1], v, 1e-4) << v;
  }
}

TEST(Fractions, ValuesWithoutAFiniteFormStayDefined) {
  for (double v : {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN(),
                   -1e300, 1e300}) {
    std::array<std::int32_t, 2> out{};
    EXFUtils::convertRationalToFraction(out, Number::fromDouble(v));  // must not trap under UBSan
    EXPECT_NE(out[1], 0) << v;
  }
}

TEST(Fractions, AppendsNumeratorThenDenominator) {
  Bytes data;
  EXFUtils::appendRationalToData(data, Number::fromDouble(0.5), true);
  EXPECT_EQ(data, (Bytes{0, 0, 0, 1, 0, 0, 0, 2}));
  data.clear();
  EXFUtils::appendFractionToData(data, EXFraction(-1, 2), false);
  EXPECT_EQ(data, (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 2, 0, 0, 0}));
}

TEST(Fractions, GcdByEuclid) {
  EXPECT_EQ(EXFUtils::ofr_gcd_euclid(12, 18), 6);
  EXPECT_EQ(EXFUtils::ofr_gcd_euclid(18, 12), 6);
  EXPECT_EQ(EXFUtils::ofr_gcd_euclid(7, 1), 1);
  EXPECT_EQ(EXFUtils::ofr_gcd_euclid(0, 5), 5);
}

TEST(Fractions, KeptAsGivenAndDescribedByTheirQuotient) {
  EXPECT_EQ(EXFraction(1, 3).description(), "0.3333333333333333");
  EXPECT_EQ(EXFraction(4, 2).numerator(), 4);  // not reduced
  EXPECT_EQ(EXFraction(4, 2).description(), "2");
  EXPECT_EQ(EXFraction(1, 2).description(), "0.5");
  EXPECT_EQ(EXFraction(5, 0).description(), "inf");
}

}  // namespace
}  // namespace exif
