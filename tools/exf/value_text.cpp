#include "tools/exf/value_text.h"

#include "exif/exf_tag_definition_holder.h"
#include "exif/exf_utils.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace exf {
namespace {

std::string fractionText(const std::optional<exif::EXFraction>& f) {
  if (!f) return "0/0";
  return std::to_string(f->numeratorValue()) + "/" + std::to_string(f->denominatorValue());
}

// A decimal, or "undefined" where there is none (a zero denominator).
std::string decimalText(double v) { return std::isfinite(v) ? exif::shortestText(v) : "undefined"; }

std::string hex(const exif::Bytes& bytes, std::size_t limit) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  for (std::size_t i = 0; i < bytes.size() && i < limit; ++i) {
    out += kDigits[bytes[i] >> 4];
    out += kDigits[bytes[i] & 0xF];
  }
  return out;
}

std::int32_t parentOf(Group g) {
  switch (g) {
    case Group::Exif: return static_cast<std::int32_t>(exif::TAG_EXIF_OFFSET);
    case Group::Gps: return static_cast<std::int32_t>(exif::TAG_EXIF_GPS);
    case Group::Interop: return static_cast<std::int32_t>(exif::TAG_INTEROP_OFFSET);
    default: return exif::TAG_EXIF_ROOT;
  }
}

}  // namespace

std::string_view groupLabel(Group g) {
  switch (g) {
    case Group::Ifd0: return "IFD0";
    case Group::Exif: return "Exif";
    case Group::Gps: return "GPS";
    case Group::Interop: return "Interop";
    case Group::Ifd1: return "IFD1";
  }
  return "";
}

std::string tagName(Group g, exif::TagKey key) {
  const exif::EXFTag* tag = exif::EXFTagDefinitionHolder::shared().find(key);
  if (tag && tag->parentTagId() == parentOf(g)) return std::string(tag->name());
  if (key == 0x9101 && g == Group::Exif) return "ComponentsConfiguration";  // handler only
  return "(unknown)";
}

std::string trimNuls(const std::string& text) {
  std::size_t end = text.size();
  while (end > 0 && text[end - 1] == '\0') --end;
  return text.substr(0, end);
}

std::string valueText(const exif::TagValue& value) {
  using namespace exif;
  if (const auto* n = value.get<Number>()) return n->description();
  if (const auto* text = value.get<std::string>()) {
    std::string out;
    for (unsigned char c : trimNuls(*text)) {
      if (c < 0x20 || c == 0x7F) {
        char esc[8];
        std::snprintf(esc, sizeof esc, "\\x%02x", c);
        out += esc;
      } else {
        out += static_cast<char>(c);
      }
    }
    return out;
  }
  if (const auto* bytes = value.get<Bytes>()) {
    constexpr std::size_t kShown = 32;
    std::string out = "0x" + hex(*bytes, kShown);
    if (bytes->size() > kShown) out += "... (" + std::to_string(bytes->size()) + " bytes)";
    return out;
  }
  if (const auto* array = value.get<Array>()) {
    std::string out;
    for (std::size_t i = 0; i < array->size(); ++i) out += (i ? ", " : "") + valueText((*array)[i]);
    return out;
  }
  if (const auto* f = value.get<EXFraction>())
    return fractionText(*f) + (f->denominator() == 0 ? " (undefined)" : "");
  if (const auto* loc = value.get<EXFGPSLoc>())
    return loc->description() + " (" + decimalText(loc->descriptionAsDecimal()) + ")";
  if (const auto* t = value.get<EXFGPSTimeStamp>()) return t->description();
  return "(directory)";
}

nlohmann::ordered_json valueJson(const exif::TagValue& value) {
  using namespace exif;
  using json = nlohmann::ordered_json;
  if (const auto* n = value.get<Number>()) {
    if (n->isFloating()) return std::isfinite(n->doubleValue()) ? json(n->doubleValue()) : json("undefined");
    if (n->code() == 'Q') return static_cast<std::uint64_t>(n->int64Value());
    return n->int64Value();
  }
  if (const auto* text = value.get<std::string>()) return trimNuls(*text);
  if (const auto* bytes = value.get<Bytes>()) return json{{"hex", hex(*bytes, bytes->size())}};
  if (const auto* array = value.get<Array>()) {
    json out = json::array();
    for (const TagValue& element : *array) out.push_back(valueJson(element));
    return out;
  }
  if (const auto* f = value.get<EXFraction>()) return fractionText(*f);
  if (const auto* loc = value.get<EXFGPSLoc>())
    return json{{"dms", {fractionText(loc->degrees()), fractionText(loc->minutes()),
                         fractionText(loc->seconds())}},
                {"decimal", std::isfinite(loc->descriptionAsDecimal()) ? json(loc->descriptionAsDecimal())
                                                                       : json("undefined")}};
  if (const auto* t = value.get<EXFGPSTimeStamp>())
    return json{{"hms", {fractionText(t->hours()), fractionText(t->minutes()),
                         fractionText(t->seconds())}},
                {"text", t->description()}};
  return nullptr;
}

std::optional<Group> groupOf(const exif::UnkeptEntry& entry) {
  if (entry.thumbnail) return Group::Ifd1;
  switch (entry.group) {
    case exif::TAG_EXIF_ROOT: return Group::Ifd0;
    case exif::TAG_EXIF_OFFSET: return Group::Exif;
    case exif::TAG_EXIF_GPS: return Group::Gps;
    case exif::TAG_INTEROP_OFFSET: return Group::Interop;
    default: return std::nullopt;
  }
}

std::string_view typeName(int type) {
  static constexpr const char* kNames[] = {"?",     "BYTE",  "ASCII",  "SHORT",     "LONG",  "RATIONAL", "SBYTE",
                                           "UNDEFINED", "SSHORT", "SLONG", "SRATIONAL", "FLOAT", "DOUBLE"};
  return type >= 1 && type <= 12 ? kNames[type] : "?";
}

nlohmann::ordered_json rawValueJson(int type, std::uint32_t count, const exif::Bytes& bytes, bool big) {
  using json = nlohmann::ordered_json;
  using exif::EXFUtils;
  if (type == exif::kAscii) {
    auto nul = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
    return std::string(bytes.begin(), nul);
  }
  if (type < 1 || type > 12 || type == exif::kUndefined) return json{{"hex", hex(bytes, bytes.size())}};
  const std::size_t size = exif::bytesPerFormat[static_cast<std::size_t>(type)];
  json elements = json::array();
  for (std::size_t i = 0; i < count && (i + 1) * size <= bytes.size(); ++i) {
    const std::uint8_t* at = bytes.data() + i * size;
    switch (type) {
      case exif::kByte: elements.push_back(at[0]); break;
      case exif::kSByte: elements.push_back(static_cast<std::int8_t>(at[0])); break;
      case exif::kShort: elements.push_back(EXFUtils::read2Bytes(at, big)); break;
      case exif::kSShort: elements.push_back(EXFUtils::read2SignedBytes(at, big)); break;
      case exif::kLong: elements.push_back(EXFUtils::read4Bytes(at, big)); break;
      case exif::kSLong: elements.push_back(EXFUtils::read4SignedBytes(at, big)); break;
      case exif::kRational:
        elements.push_back(std::to_string(EXFUtils::read4Bytes(at, big)) + "/" +
                           std::to_string(EXFUtils::read4Bytes(at + 4, big)));
        break;
      case exif::kSRational:
        elements.push_back(std::to_string(EXFUtils::read4SignedBytes(at, big)) + "/" +
                           std::to_string(EXFUtils::read4SignedBytes(at + 4, big)));
        break;
      case exif::kFloat: {
        const std::uint32_t bits = EXFUtils::read4Bytes(at, big);
        float f;
        std::memcpy(&f, &bits, 4);
        elements.push_back(f);
        break;
      }
      case exif::kDouble: {
        const std::uint64_t bits = std::uint64_t{EXFUtils::read4Bytes(at, big)} << (big ? 32 : 0) |
                                   std::uint64_t{EXFUtils::read4Bytes(at + 4, big)} << (big ? 0 : 32);
        double d;
        std::memcpy(&d, &bits, 8);
        elements.push_back(d);
        break;
      }
      default: break;
    }
  }
  if (elements.size() == 1) return elements[0];
  return elements;
}

nlohmann::ordered_json rawJson(const exif::UnkeptEntry& entry, bool big) {
  using json = nlohmann::ordered_json;
  json raw = {{"type", entry.type}, {"count", entry.count}};
  raw["value"] = entry.value ? rawValueJson(entry.type, entry.count, *entry.value, big) : json(nullptr);
  raw["reason"] = entry.reason;
  return json{{"raw", raw}};
}

std::string rawText(const exif::UnkeptEntry& entry, bool big) {
  std::string out = "(raw " + std::string(typeName(entry.type)) + " x" + std::to_string(entry.count) + ") ";
  if (!entry.value) return out + "(" + entry.reason + ")";
  const auto v = rawValueJson(entry.type, entry.count, *entry.value, big);
  if (v.is_object()) {
    constexpr std::size_t kShown = 32;
    out += "0x" + hex(*entry.value, kShown);
    if (entry.value->size() > kShown) out += "... (" + std::to_string(entry.value->size()) + " bytes)";
    return out;
  }
  if (v.is_string()) return out + valueText(exif::TagValue(v.get<std::string>()));
  if (v.is_array()) {
    std::string list;
    for (std::size_t i = 0; i < v.size(); ++i)
      list += (i ? ", " : "") + (v[i].is_string() ? v[i].get<std::string>() : v[i].dump());
    return out + list;
  }
  return out + v.dump();
}

}  // namespace exf
