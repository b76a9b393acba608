#pragma once
// Test support: what exiftool reads from a file, and comparison of exf's JSON
// values with exiftool's numeric (-n) values.
#include <nlohmann/json.hpp>

#include <array>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace exif_testing {

// exf's JSON group keys with exiftool's names for them, in exf::Group order.
inline constexpr std::array<std::pair<const char*, const char*>, 5> kGroups = {
    {{"ifd0", "IFD0"}, {"exif", "ExifIFD"}, {"gps", "GPS"}, {"interop", "InteropIFD"}, {"ifd1", "IFD1"}}};

// What exiftool reads from one file, in one run of it.
struct ExiftoolView {
  // The tags of the EXIF groups keyed "IFD0:271", "GPS:2", ...: values as -n prints them.
  std::map<std::string, nlohmann::json> tags;
  std::string thumbnail;              // the ThumbnailImage bytes
  std::vector<std::string> findings;  // what -validate reports, one line each
};
ExiftoolView exiftoolRead(const std::string& path);

// Whether exf's value (numbers, texts, "n/d" fractions, arrays, GPS objects)
// and exiftool's agree; `why` says how they differ.
bool sameValue(const nlohmann::json& ours, const nlohmann::json& theirs, std::string& why);

// Runs exf dump --json on the file and parses its output.
nlohmann::json exfJson(const std::string& path);

}  // namespace exif_testing
