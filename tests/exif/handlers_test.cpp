#include "exif/exf_handlers.h"

#include <gtest/gtest.h>

namespace exif {
namespace {

EXFGPSLoc sanFrancisco() {
  EXFGPSLoc loc;
  loc.setDegrees(EXFraction(37, 1));
  loc.setMinutes(EXFraction(46, 1));
  loc.setSeconds(EXFraction(2964, 100));
  return loc;
}

Bytes encode(const EXFTagHandler& h, const TagValue& v, bool big) {
  Bytes out;
  h.encodeTag(out, v, big);
  return out;
}

const TagValue* decode(const EXFTagHandler& h, Directory& d, const Bytes& field, bool big = true) {
  d.clear();
  h.decodeTag(d, 1, field, big);
  return d.find(1);
}

TEST(GpsLocationHandler, EncodesThreeRationalsInEitherOrderAndDecodesThemBack) {
  EXFGPSLocationHandler h;
  const Bytes mm = {0, 0, 0, 0x25, 0, 0, 0, 1, 0, 0, 0, 0x2E, 0, 0, 0, 1, 0, 0, 0x0B, 0x94, 0, 0, 0, 0x64};
  const Bytes ii = {0x25, 0, 0, 0, 1, 0, 0, 0, 0x2E, 0, 0, 0, 1, 0, 0, 0, 0x94, 0x0B, 0, 0, 0x64, 0, 0, 0};
  Directory d;
  for (auto [big, bytes] : {std::pair{true, mm}, std::pair{false, ii}}) {
    EXPECT_EQ(encode(h, sanFrancisco(), big), bytes);
    const TagValue* back = decode(h, d, bytes, big);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back->get<EXFGPSLoc>(), sanFrancisco());
  }
  EXPECT_EQ(h.getSizeOfValue("anything"), 3);
  EXPECT_FALSE(h.supportsValueType("text"));
}

TEST(GpsLocationHandler, EmptySecondsAreWrittenAsZeroOverZero) {
  EXFGPSLoc loc = sanFrancisco();
  loc.setSeconds(std::nullopt);
  Bytes out = encode(EXFGPSLocationHandler{}, loc, true);
  ASSERT_EQ(out.size(), 24u);
  EXPECT_EQ(Bytes(out.begin() + 16, out.end()), Bytes(8, 0));
}

TEST(GpsHandlers, ShortFieldsStoreNothing) {
  Directory d;
  EXPECT_FALSE(decode(EXFGPSLocationHandler{}, d, Bytes(23, 1)));
  EXPECT_FALSE(decode(EXFGPSTimeHandler{}, d, Bytes(8, 1)));
  EXPECT_FALSE(decode(EXFGPSAltitudeHandler{}, d, Bytes(7, 1)));
  EXPECT_FALSE(decode(EXFByteHandler{}, d, Bytes{}));
}

TEST(GpsAltitudeHandler, DecodesUnsignedQuotientAndEncodesTheMagnitude) {
  EXFGPSAltitudeHandler h;
  Directory d;
  EXPECT_EQ(decode(h, d, {0, 0, 1, 0x2C, 0, 0, 0, 0x0A})->get<Number>()->doubleValue(), 30.0);
  EXPECT_EQ(decode(h, d, {0, 0, 1, 0x2C, 0, 0, 0, 0})->get<Number>()->doubleValue(), 0.0);
  EXPECT_EQ(decode(h, d, {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 1})->get<Number>()->doubleValue(), 4294967295.0);
  EXPECT_EQ(encode(h, Number::fromDouble(-12.5), true), (Bytes{0, 0, 0, 25, 0, 0, 0, 2}));
}

TEST(TextHandler, WritesTheAsciiPrefixAndText) {
  EXFTextHandler h;
  EXPECT_EQ(encode(h, "abc", true), (Bytes{0x41, 0x53, 0x43, 0x49, 0x49, 0, 0, 0, 0x61, 0x62, 0x63}));
  EXPECT_EQ(h.getSizeOfValue("abc"), 11);
  EXPECT_EQ(encode(h, "", true).size(), 8u);
  EXPECT_EQ(h.getSizeOfValue(""), 8);
  EXPECT_EQ(h.getSizeOfValue(Number::fromInt32(1)), -1);
}

TEST(TextHandler, WritesTextWithoutAnAsciiFormAsUnicodeRatherThanDroppingIt) {
  EXFTextHandler h;
  const std::string text = "Gr\u00FC\u00DF";  // four characters
  Bytes mm = encode(h, text, true);
  EXPECT_EQ(static_cast<std::int32_t>(mm.size()), h.getSizeOfValue(text));
  EXPECT_EQ(mm, (Bytes{'U', 'N', 'I', 'C', 'O', 'D', 'E', 0, 0, 'G', 0, 'r', 0, 0xFC, 0, 0xDF}));
  Directory d;
  EXPECT_EQ(*decode(h, d, mm, true)->get<std::string>(), text);
  EXPECT_EQ(*decode(h, d, encode(h, text, false), false)->get<std::string>(), text);
}

TEST(TextHandler, DecodesByCharacterCode) {
  EXFTextHandler h;
  Directory d;
  const Bytes zeros = {0, 0, 0, 0, 0, 0, 0, 0, 'H', 'i'};
  const Bytes ascii = {'A', 'S', 'C', 'I', 'I', 0, 0, 0, 'H', 'i'};
  EXPECT_EQ(*decode(h, d, zeros)->get<std::string>(), "Hi");
  EXPECT_EQ(*decode(h, d, ascii)->get<std::string>(), "Hi");
  EXPECT_FALSE(decode(h, d, Bytes(ascii.begin(), ascii.begin() + 8)));
  EXPECT_FALSE(decode(h, d, {'A', 'B', 'C', 0, 0, 0, 0, 0, 'H', 'i'}));
  EXPECT_EQ(*decode(h, d, {'U', 'N', 'I', 'C', 'O', 'D', 'E', 'x', 0, 'H', 0, 'i'})->get<std::string>(), "Hi");
  EXPECT_EQ(*decode(h, d, {'J', 'I', 'S', 0, 0, 0, 0, 0, 0x82, 0xA0})->get<std::string>(), "\u3042");
  EXPECT_FALSE(decode(h, d, {'A', 'S', 'C', 'I', 'I', 0, 0, 0, 0xC3, 0xA9}));  // not ASCII
  EXPECT_FALSE(decode(h, d, {'U', 'N', 'I', 'C', 'O', 'D', 'E', 0, 0xD8, 0x00}));  // lone surrogate
}

TEST(SmallHandlers, VersionByteAndByteArray) {
  Directory d;
  EXFASCIIHandler ascii;
  EXPECT_EQ(ascii.getSizeOfValue("0220"), 4);
  EXPECT_EQ(encode(ascii, "0220", true), (Bytes{0x30, 0x32, 0x32, 0x30}));
  EXPECT_EQ(*decode(ascii, d, {0x30, 0x32, 0x32, 0x30})->get<std::string>(), "0220");

  EXFByteHandler byte;
  EXPECT_EQ(encode(byte, Number::fromInt32(257), true), (Bytes{1}));
  EXPECT_EQ(byte.getSizeOfValue("text"), -1);
  EXPECT_EQ(*decode(byte, d, {3})->get<Number>(), Number::fromInt32(3));

  EXFByteArrayHandler array;
  Array values = {Number::fromInt32(1), Number::fromInt32(2), Number::fromInt32(3), Number::fromInt32(0)};
  EXPECT_EQ(encode(array, values, true), (Bytes{1, 2, 3, 0}));
  EXPECT_EQ(array.getSizeOfValue(values), 4);
  const Array* back = decode(array, d, {1, 2, 3, 0})->get<Array>();
  ASSERT_EQ(back->size(), 4u);
  EXPECT_EQ((*back)[2].get<Number>()->int32Value(), 3);
}

}  // namespace
}  // namespace exif
