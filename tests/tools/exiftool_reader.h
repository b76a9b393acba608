#pragma once
// Test support: what exiftool reads from a file, and comparison of exf's JSON
// values with exiftool's numeric (-n) values.
#include <nlohmann/json.hpp>

#include <map>
#include <string>

namespace exif_testing {

// exiftool's tags of the EXIF groups, keyed "IFD0:271", "ExifIFD:33434",
// "GPS:2", "InteropIFD:1", "IFD1:259"; values as exiftool -n prints them.
std::map<std::string, nlohmann::json> exiftoolTags(const std::string& path);

// exiftool's group name for exf's JSON group key ("ifd0" → "IFD0").
std::string exiftoolGroup(const std::string& exfGroup);

// Whether exf's value (numbers, texts, "n/d" fractions, arrays, GPS objects)
// and exiftool's agree; `why` says how they differ.
bool sameValue(const nlohmann::json& ours, const nlohmann::json& theirs, std::string& why);

// Runs exf dump --json on the file and parses its output.
nlohmann::json exfJson(const std::string& path);

// exiftool -b of one tag (ThumbnailImage, say): the raw bytes.
std::string exiftoolBinary(const std::string& path, const std::string& tag);

}  // namespace exif_testing
