#include "tools/exf/value_text.h"

#include "exif/exf_tag_definition_holder.h"

#include <cstdio>

namespace exf {
namespace {

std::string fractionText(const std::optional<exif::EXFraction>& f) {
  if (!f) return "0/0";
  return std::to_string(f->numerator()) + "/" + std::to_string(f->denominator());
}

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
  if (const auto* f = value.get<EXFraction>()) return fractionText(*f);
  if (const auto* loc = value.get<EXFGPSLoc>())
    return loc->description() + " (" + shortestText(loc->descriptionAsDecimal()) + ")";
  if (const auto* t = value.get<EXFGPSTimeStamp>()) return t->description();
  return "(directory)";
}

nlohmann::ordered_json valueJson(const exif::TagValue& value) {
  using namespace exif;
  using json = nlohmann::ordered_json;
  if (const auto* n = value.get<Number>()) {
    if (n->isFloating()) return n->doubleValue();
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
                {"decimal", loc->descriptionAsDecimal()}};
  if (const auto* t = value.get<EXFGPSTimeStamp>())
    return json{{"hms", {fractionText(t->hours()), fractionText(t->minutes()),
                         fractionText(t->seconds())}},
                {"text", t->description()}};
  return nullptr;
}

}  // namespace exf
