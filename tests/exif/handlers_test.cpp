// The built-in handlers: their field bytes in both orders, and decoders that
// store nothing for fields that do not make a value.
#include "exif/exf_handlers.h"

#include <gtest/gtest.h>

namespace exif {
namespace {

Bytes encode(const EXFTagHandler& h, const TagValue& v, bool big = true) {
  Bytes out;
  h.encodeTag(out, v, big);
  return out;
}

const TagValue* decode(const EXFTagHandler& h, Directory& d, const Bytes& field, bool big = true) {
  d.clear();
  h.decodeTag(d, 1, field, big);
  return d.find(1);
}

TEST(GpsHandlers, LocationIsThreeRationalsInEitherOrderWithEmptyPartsAsZeroOverZero) {
  EXFGPSLocationHandler h;
  EXFGPSLoc loc;
  loc.setDegrees(EXFraction(37, 1));
  loc.setMinutes(EXFraction(46, 1));
  loc.setSeconds(EXFraction(2964, 100));
  const Bytes mm = {0, 0, 0, 0x25, 0, 0, 0, 1, 0, 0, 0, 0x2E, 0, 0, 0, 1, 0, 0, 0x0B, 0x94, 0, 0, 0, 0x64};
  const Bytes ii = {0x25, 0, 0, 0, 1, 0, 0, 0, 0x2E, 0, 0, 0, 1, 0, 0, 0, 0x94, 0x0B, 0, 0, 0x64, 0, 0, 0};
  Directory d;
  for (auto [big, bytes] : {std::pair{true, mm}, std::pair{false, ii}}) {
    EXPECT_EQ(encode(h, loc, big), bytes);
    EXPECT_EQ(*decode(h, d, bytes, big), TagValue(loc));
  }
  loc.setSeconds(std::nullopt);
  Bytes out = encode(h, loc);
  EXPECT_EQ(Bytes(out.begin() + 16, out.end()), Bytes(8, 0));
}

TEST(GpsHandlers, AltitudeIsAnUnsignedQuotientWrittenAsItsMagnitude) {
  EXFGPSAltitudeHandler h;
  Directory d;
  EXPECT_EQ(*decode(h, d, {0, 0, 1, 0x2C, 0, 0, 0, 0x0A}), TagValue(Number::fromDouble(30)));
  // Over a zero denominator it is undefined, not sea level.
  EXPECT_EQ(*decode(h, d, {0, 0, 1, 0x2C, 0, 0, 0, 0}), TagValue(EXFraction::fromUnsigned(300, 0)));
  EXPECT_EQ(*decode(h, d, {0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0}, false), TagValue(Number::fromDouble(4294967295.0)));
  EXPECT_EQ(encode(h, Number::fromDouble(-12.5), false), (Bytes{25, 0, 0, 0, 2, 0, 0, 0}));
}

TEST(Handlers, FieldsTooShortForAValueStoreNothing) {
  Directory d;
  EXPECT_FALSE(decode(EXFGPSLocationHandler{}, d, Bytes(23, 1)));
  EXPECT_FALSE(decode(EXFGPSTimeHandler{}, d, Bytes(8, 1)));
  EXPECT_FALSE(decode(EXFGPSAltitudeHandler{}, d, Bytes(7, 1)));
  EXPECT_FALSE(decode(EXFByteHandler{}, d, Bytes{}));
  EXPECT_FALSE(decode(EXFTextHandler{}, d, {'A', 'S', 'C', 'I', 'I', 0, 0, 0}));
}

TEST(TextHandler, WritesAsciiOrElseUnicodeInTheBlocksOrder) {
  EXFTextHandler h;
  EXPECT_EQ(encode(h, "abc"), (Bytes{'A', 'S', 'C', 'I', 'I', 0, 0, 0, 'a', 'b', 'c'}));
  EXPECT_EQ(h.getSizeOfValue("abc"), 11);
  EXPECT_EQ(h.getSizeOfValue(Number::fromInt32(1)), -1);
  EXPECT_EQ(encode(h, "\xED\xA0\x80"), (Bytes{'A', 'S', 'C', 'I', 'I', 0, 0, 0}));  // U+D800 is no UTF-8: no text
  const std::string text = "Gr\u00FC\u20AC";  // four characters, no ASCII form
  const Bytes mm = encode(h, text, true);
  EXPECT_EQ(mm, (Bytes{'U', 'N', 'I', 'C', 'O', 'D', 'E', 0, 0, 'G', 0, 'r', 0, 0xFC, 0x20, 0xAC}));
  EXPECT_EQ(h.getSizeOfValue(text), 16);
  Directory d;
  EXPECT_EQ(*decode(h, d, mm, true)->get<std::string>(), text);
  const Bytes ii = encode(h, text, false);
  EXPECT_EQ(Bytes(ii.begin() + 14, ii.end()), (Bytes{0xAC, 0x20}));
  EXPECT_EQ(*decode(h, d, ii, false)->get<std::string>(), text);
}

TEST(TextHandler, DecodesByCharacterCode) {
  EXFTextHandler h;
  Directory d;
  auto text = [&](const Bytes& field) {
    const TagValue* v = decode(h, d, field);
    return v ? *v->get<std::string>() : std::string("(none)");
  };
  EXPECT_EQ(text({0, 0, 0, 0, 0, 0, 0, 0, 'H', 'i'}), "Hi");
  EXPECT_EQ(text({'A', 'S', 'C', 'I', 'I', 0, 0, 0, 'H', 'i'}), "Hi");
  EXPECT_EQ(text({'U', 'N', 'I', 'C', 'O', 'D', 'E', 'x', 0, 'H', 0, 'i'}), "Hi");
  EXPECT_EQ(text({'U', 'N', 'I', 'C', 'O', 'D', 'E', 0, 0x20, 0xAC, 0xD8, 0x3D, 0xDE, 0x00}), "\u20AC\U0001F600");
  EXPECT_EQ(text({'J', 'I', 'S', 0, 0, 0, 0, 0, 0x82, 0xA0}), "\u3042");
  EXPECT_EQ(text({'A', 'B', 'C', 0, 0, 0, 0, 0, 'H', 'i'}), "(none)");          // unknown code
  EXPECT_EQ(text({'A', 'S', 'C', 'I', 'I', 0, 0, 0, 0xC3, 0xA9}), "(none)");    // not ASCII
  EXPECT_EQ(text({'U', 'N', 'I', 'C', 'O', 'D', 'E', 0, 0xD8, 0x00}), "(none)");  // lone surrogate
  EXPECT_EQ(text({'U', 'N', 'I', 'C', 'O', 'D', 'E', 0, 0xD8, 0x00, 0, 'A'}), "(none)");
  EXPECT_EQ(text({'U', 'N', 'I', 'C', 'O', 'D', 'E', 0, 0, 'H', 0}), "(none)");   // half a character
}

}  // namespace
}  // namespace exif
