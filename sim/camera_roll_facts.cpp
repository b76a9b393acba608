#include "sim/camera_roll_facts.h"

#include "exif/exf_jpeg.h"
#include "platform/foundation/string_format.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace holdstill::sim {

namespace fs = std::filesystem;

namespace {

// GPS directory tags and DateTimeOriginal.
constexpr exif::TagKey kLatitudeRef = 1, kLatitude = 2, kLongitudeRef = 3, kLongitude = 4, kAltitudeRef = 5,
                       kAltitude = 6, kDateTimeOriginal = 0x9003;

// A text value without the NULs that end it in the file.
std::string textOf(const exif::TagValue* value) {
  if (!value) return "";
  std::string text = value->get<std::string>() ? *value->get<std::string>() : value->description();
  while (!text.empty() && text.back() == '\0') text.pop_back();
  return text;
}

// A coordinate: the GPS value with its reference ("S" or "W" negative).
std::optional<double> coordinate(const exif::EXFMetaData& meta, exif::TagKey key, exif::TagKey ref) {
  const exif::TagValue* value = meta.tagValue(key);
  const auto* loc = value ? value->get<exif::EXFGPSLoc>() : nullptr;
  if (!loc) return std::nullopt;
  const std::string side = textOf(meta.tagValue(ref));
  const double degrees = loc->descriptionAsDecimal();
  return (side == "S" || side == "W") ? -degrees : degrees;
}

std::optional<double> altitudeOf(const exif::EXFMetaData& meta) {
  const exif::TagValue* value = meta.tagValue(kAltitude);
  if (!value) return std::nullopt;
  const std::string metres = value->description();
  char* end = nullptr;
  const double number = std::strtod(metres.c_str(), &end);
  if (end == metres.c_str()) return std::nullopt;
  const std::string below = textOf(meta.tagValue(kAltitudeRef));
  return (below == "1" || below == "<01>") ? -number : number;
}

}  // namespace

PictureFacts readPictureFacts(const fs::path& file) {
  PictureFacts facts;
  facts.name = file.filename().string();
  std::error_code error;
  facts.size = fs::file_size(file, error);
  if (error) facts.size = 0;
  std::ifstream in(file, std::ios::binary);  // one that cannot be read gives no bytes: no facts
  exif::Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  exif::EXFJpeg jpeg;
  jpeg.scanImageData(std::move(bytes));
  const exif::EXFMetaData& meta = jpeg.exifMetaData();
  if (const exif::TagValue* taken = meta.tagValue(kDateTimeOriginal)) facts.taken = textOf(taken);
  facts.latitude = coordinate(meta, kLatitude, kLatitudeRef);
  facts.longitude = coordinate(meta, kLongitude, kLongitudeRef);
  if (!facts.latitude || !facts.longitude) facts.latitude = facts.longitude = std::nullopt;
  facts.altitude = altitudeOf(meta);
  if (meta.thumbnailBytes()) facts.thumbnail = *meta.thumbnailBytes();
  return facts;
}

bool isCameraRollName(const std::string& name) {
  if (name.size() < 5 || name.size() > 255 || name.substr(name.size() - 4) != ".JPG") return false;
  return std::all_of(name.begin(), name.end(), [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
           c == '.';
  }) && name.front() != '.';
}

std::vector<PictureFacts> readCameraRollFacts(const fs::path& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    // Links are left out: what they lead to is no picture of this roll.
    if (entry.symlink_status(error).type() == fs::file_type::regular && isCameraRollName(name)) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  std::vector<PictureFacts> roll;
  for (const auto& name : names) roll.push_back(readPictureFacts(folder / name));
  return roll;
}

std::string openStreetMapLink(double latitude, double longitude) {
  return platform::stringWithFormat("https://www.openstreetmap.org/?mlat=%.6f&mlon=%.6f#map=17/%.6f/%.6f", latitude,
                                    longitude, latitude, longitude);
}

}  // namespace holdstill::sim
