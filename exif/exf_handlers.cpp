#include "exif/exf_handlers.h"

#include "exif/byte_reader.h"
#include "exif/exf_utils.h"
#include "exif/text_codec.h"

#include <algorithm>
#include <array>

namespace exif {
namespace {

// Three fractions from a 24-byte field; nothing when the field is shorter.
std::optional<std::array<EXFraction, 3>> readThreeFractions(std::span<const std::uint8_t> field,
                                                            bool bigEndian) {
  ByteReader r(field);
  if (!r.has(0, 24)) return std::nullopt;
  std::array<EXFraction, 3> out{EXFraction(0, 0), EXFraction(0, 0), EXFraction(0, 0)};
  for (int i = 0; i < 3; ++i)
    out[i] = EXFraction(static_cast<std::int32_t>(*r.u32(8 * i, bigEndian)),
                        static_cast<std::int32_t>(*r.u32(8 * i + 4, bigEndian)));
  return out;
}

// The three fractions of a GPS value, in field order.
std::array<std::optional<EXFraction>, 3> partsOf(const EXFGPSLoc& v) {
  return {v.degrees(), v.minutes(), v.seconds()};
}
std::array<std::optional<EXFraction>, 3> partsOf(const EXFGPSTimeStamp& v) {
  return {v.hours(), v.minutes(), v.seconds()};
}
void setParts(EXFGPSLoc& v, const std::array<EXFraction, 3>& f) {
  v.setDegrees(f[0]);
  v.setMinutes(f[1]);
  v.setSeconds(f[2]);
}
void setParts(EXFGPSTimeStamp& v, const std::array<EXFraction, 3>& f) {
  v.setHours(f[0]);
  v.setMinutes(f[1]);
  v.setSeconds(f[2]);
}

// A GPS value as three RATIONALs; an empty part is written as 0/0.
template <class V>
void encodeTriple(Bytes& out, const TagValue& value, bool bigEndian) {
  if (const V* v = value.get<V>())
    for (const auto& part : partsOf(*v))
      EXFUtils::appendFractionToData(out, part.value_or(EXFraction(0, 0)), bigEndian);
}

template <class V>
void decodeTriple(Directory& dir, TagKey key, std::span<const std::uint8_t> field, bool bigEndian) {
  auto f = readThreeFractions(field, bigEndian);
  if (!f) return;
  V v;
  setParts(v, *f);
  dir.set(key, std::move(v));
}

void appendBytes(Bytes& out, std::string_view text) {
  out.insert(out.end(), text.begin(), text.end());
}

template <std::size_t N>
bool startsWith(std::span<const std::uint8_t> field, const std::array<std::uint8_t, N>& prefix,
                std::size_t count) {
  return field.size() >= count && std::equal(prefix.begin(), prefix.begin() + count, field.begin());
}

// A user comment's body: ASCII when the text has an ASCII form, else UTF-16.
std::optional<std::u16string> unicodeBody(const std::string& text) {
  if (isAscii(text)) return std::nullopt;
  return utf8ToUtf16(text);
}

}  // namespace

// --- GPS location ---------------------------------------------------------

void EXFGPSLocationHandler::encodeTag(Bytes& out, const TagValue& value, bool bigEndian) const {
  encodeTriple<EXFGPSLoc>(out, value, bigEndian);
}
bool EXFGPSLocationHandler::supportsValueType(const TagValue& value) const {
  return value.is<EXFGPSLoc>();
}
std::int32_t EXFGPSLocationHandler::getSizeOfValue(const TagValue&) const { return 3; }
void EXFGPSLocationHandler::decodeTag(Directory& dir, TagKey key,
                                      std::span<const std::uint8_t> field, bool bigEndian) const {
  decodeTriple<EXFGPSLoc>(dir, key, field, bigEndian);
}

// --- GPS altitude ---------------------------------------------------------

void EXFGPSAltitudeHandler::encodeTag(Bytes& out, const TagValue& value, bool bigEndian) const {
  if (const auto* n = value.get<Number>()) EXFUtils::appendRationalToData(out, *n, bigEndian);
}
bool EXFGPSAltitudeHandler::supportsValueType(const TagValue& value) const {
  return value.is<Number>();
}
std::int32_t EXFGPSAltitudeHandler::getSizeOfValue(const TagValue&) const { return 1; }
void EXFGPSAltitudeHandler::decodeTag(Directory& dir, TagKey key,
                                      std::span<const std::uint8_t> field, bool bigEndian) const {
  ByteReader r(field);
  auto n = r.u32(0, bigEndian);
  auto d = r.u32(4, bigEndian);
  if (!n || !d) return;
  // Over a zero denominator the altitude is undefined, not sea level: the
  // fraction is kept as it is.
  if (*d == 0)
    dir.set(key, EXFraction::fromUnsigned(*n, *d));
  else
    dir.set(key, Number::fromDouble(static_cast<double>(*n) / static_cast<double>(*d)));
}

// --- GPS time -------------------------------------------------------------

void EXFGPSTimeHandler::encodeTag(Bytes& out, const TagValue& value, bool bigEndian) const {
  encodeTriple<EXFGPSTimeStamp>(out, value, bigEndian);
}
bool EXFGPSTimeHandler::supportsValueType(const TagValue& value) const {
  return value.is<EXFGPSTimeStamp>();
}
std::int32_t EXFGPSTimeHandler::getSizeOfValue(const TagValue&) const { return 3; }
void EXFGPSTimeHandler::decodeTag(Directory& dir, TagKey key, std::span<const std::uint8_t> field,
                                  bool bigEndian) const {
  decodeTriple<EXFGPSTimeStamp>(dir, key, field, bigEndian);
}

// --- User comment ---------------------------------------------------------

void EXFTextHandler::encodeTag(Bytes& out, const TagValue& value, bool bigEndian) const {
  const auto* text = value.get<std::string>();
  if (!text) return;
  if (auto body = unicodeBody(*text)) {
    out.insert(out.end(), UNIChars.begin(), UNIChars.end());
    for (char16_t u : *body) {
      std::uint8_t hi = static_cast<std::uint8_t>(u >> 8), lo = static_cast<std::uint8_t>(u);
      out.push_back(bigEndian ? hi : lo);
      out.push_back(bigEndian ? lo : hi);
    }
    return;
  }
  out.insert(out.end(), ASCIIChars.begin(), ASCIIChars.end());
  if (isAscii(*text)) appendBytes(out, *text);
}
bool EXFTextHandler::supportsValueType(const TagValue& value) const {
  return value.is<std::string>();
}
std::int32_t EXFTextHandler::getSizeOfValue(const TagValue& value) const {
  const auto* text = value.get<std::string>();
  if (!text) return -1;
  if (auto body = unicodeBody(*text)) return static_cast<std::int32_t>(8 + 2 * body->size());
  return isAscii(*text) ? static_cast<std::int32_t>(8 + text->size()) : 8;
}
void EXFTextHandler::decodeTag(Directory& dir, TagKey key, std::span<const std::uint8_t> field,
                               bool bigEndian) const {
  if (field.size() <= 8) return;
  TextEncoding encoding;
  if (std::all_of(field.begin(), field.begin() + 8, [](std::uint8_t b) { return b == 0; }) ||
      startsWith(field, ASCIIChars, 8))
    encoding = TextEncoding::ASCII;
  else if (startsWith(field, JISChars, 3))
    encoding = TextEncoding::ShiftJIS;
  else if (startsWith(field, UNIChars, 7))
    encoding = TextEncoding::UTF16;
  else
    return;
  auto text = EXFUtils::createStringFromBuffer(field.data() + 8, field.size() - 8, encoding,
                                               bigEndian);
  if (text) dir.set(key, std::move(*text));
}

// --- Version texts --------------------------------------------------------

void EXFASCIIHandler::encodeTag(Bytes& out, const TagValue& value, bool) const {
  const auto* text = value.get<std::string>();
  if (text && isAscii(*text)) appendBytes(out, *text);
}
bool EXFASCIIHandler::supportsValueType(const TagValue& value) const {
  return value.is<std::string>();
}
std::int32_t EXFASCIIHandler::getSizeOfValue(const TagValue& value) const {
  const auto* text = value.get<std::string>();
  if (!text) return -1;
  return isAscii(*text) ? static_cast<std::int32_t>(text->size()) : 0;
}
void EXFASCIIHandler::decodeTag(Directory& dir, TagKey key, std::span<const std::uint8_t> field,
                                bool) const {
  auto text = EXFUtils::createStringFromBuffer(field.data(), field.size(), TextEncoding::ASCII);
  if (text) dir.set(key, std::move(*text));
}

// --- Single byte ----------------------------------------------------------

void EXFByteHandler::encodeTag(Bytes& out, const TagValue& value, bool) const {
  if (const auto* n = value.get<Number>()) out.push_back(static_cast<std::uint8_t>(n->int32Value()));
}
bool EXFByteHandler::supportsValueType(const TagValue& value) const { return value.is<Number>(); }
std::int32_t EXFByteHandler::getSizeOfValue(const TagValue& value) const {
  return value.is<Number>() ? 1 : -1;
}
void EXFByteHandler::decodeTag(Directory& dir, TagKey key, std::span<const std::uint8_t> field,
                               bool) const {
  if (field.empty()) return;
  dir.set(key, Number::fromInt32(field[0]));
}

// --- Byte array -----------------------------------------------------------

void EXFByteArrayHandler::encodeTag(Bytes& out, const TagValue& value, bool) const {
  const auto* array = value.get<Array>();
  if (!array) return;
  for (const TagValue& element : *array) {
    const auto* n = element.get<Number>();
    out.push_back(n ? static_cast<std::uint8_t>(n->int32Value()) : 0);
  }
}
bool EXFByteArrayHandler::supportsValueType(const TagValue& value) const {
  return value.is<Array>();
}
std::int32_t EXFByteArrayHandler::getSizeOfValue(const TagValue& value) const {
  const auto* array = value.get<Array>();
  return array ? static_cast<std::int32_t>(array->size()) : -1;
}
void EXFByteArrayHandler::decodeTag(Directory& dir, TagKey key, std::span<const std::uint8_t> field,
                                    bool) const {
  Array out;
  out.reserve(field.size());
  for (std::uint8_t b : field) out.emplace_back(Number::fromUInt8(b));
  dir.set(key, std::move(out));
}

// --- The table ------------------------------------------------------------

namespace {

const EXFGPSLocationHandler kLocation;
const EXFGPSAltitudeHandler kAltitude;
const EXFGPSTimeHandler kTime;
const EXFTextHandler kText;
const EXFASCIIHandler kAscii;
const EXFByteHandler kByte;
const EXFByteArrayHandler kByteArray;

// In registration order.
const std::array<std::pair<TagKey, const EXFTagHandler*>, 11> kHandlers = {{
    {0x0002, &kLocation}, {0x0004, &kLocation}, {0x0014, &kLocation}, {0x0016, &kLocation},
    {0x0006, &kAltitude}, {0x0007, &kTime},     {0x9286, &kText},     {0x9000, &kAscii},
    {0xA000, &kAscii},    {0xA300, &kByte},     {0x9101, &kByteArray},
}};

}  // namespace

const BuiltInHandlers& BuiltInHandlers::shared() {
  static const BuiltInHandlers table;
  return table;
}

const EXFTagHandler* BuiltInHandlers::find(TagKey key) const {
  for (const auto& [tag, handler] : kHandlers)
    if (tag == key) return handler;
  return nullptr;
}

std::span<const std::pair<TagKey, const EXFTagHandler*>> BuiltInHandlers::entries() const {
  return kHandlers;
}

}  // namespace exif
