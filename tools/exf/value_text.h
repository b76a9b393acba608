#pragma once
// How exf shows tag values: one-line text for `exf dump`, JSON for
// `exf dump --json`, and the name of a tag in the directory it stands in.
#include "exif/rewrite_report.h"
#include "exif/tag_value.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <string_view>

namespace exf {

// The directories exf reports, and the definition parent each stands for.
enum class Group { Ifd0, Exif, Gps, Interop, Ifd1 };
std::string_view groupLabel(Group g);  // "IFD0", "Exif", "GPS", "Interop", "IFD1"

// The tag's name when the library's table defines it for this directory.
std::string tagName(Group g, exif::TagKey key);

// A text with its trailing NUL characters removed.
std::string trimNuls(const std::string& text);

// Numbers as decimal, texts without trailing NULs (other control bytes
// escaped), fractions "n/d", bytes as hex (long data shortened), arrays
// comma-separated, GPS values in their text forms.
std::string valueText(const exif::TagValue& value);

// The JSON form: numbers as numbers, texts as strings, bytes {"hex": ...},
// arrays as arrays, fractions "n/d", EXFGPSLoc {"dms": [...], "decimal": x},
// EXFGPSTimeStamp {"hms": [...], "text": "hh:mm:ss"}.
nlohmann::ordered_json valueJson(const exif::TagValue& value);

// The directory an entry the library did not keep stands in.
std::optional<Group> groupOf(const exif::UnkeptEntry& entry);

// An entry the library did not keep, read from its raw field by its own
// type: numbers, "n/d" rationals, text (to its first NUL), {"hex": ...} for
// UNDEFINED and unknown types; one element alone, several as an array. The
// JSON form is {"raw": {"type", "count", "value", "reason"}}; the text form
// "(raw SHORT x2) 1, 2".
nlohmann::ordered_json rawJson(const exif::UnkeptEntry& entry, bool bigEndian);
std::string rawText(const exif::UnkeptEntry& entry, bool bigEndian);

}  // namespace exf
