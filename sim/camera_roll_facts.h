#pragma once
// What a person wants to know of each picture in the camera roll, read back
// from the file by the EXIF library: when it was taken, where (position and
// altitude) and its EXIF thumbnail. The browser phone and the run report
// show these. Any thread; files only.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace holdstill::sim {

struct PictureFacts {
  std::string name;                      // IMG_0001.JPG
  std::uintmax_t size = 0;               // bytes
  std::optional<std::string> taken;      // DateTimeOriginal, "2010:06:15 12:00:04"
  std::optional<double> latitude;        // degrees, south negative
  std::optional<double> longitude;       // degrees, west negative
  std::optional<double> altitude;        // metres, below sea level negative
  std::vector<std::uint8_t> thumbnail;   // the EXIF thumbnail (JPEG); empty without one
};

// The facts of one picture file; a file without EXIF (or unreadable) gives
// the name and size alone.
PictureFacts readPictureFacts(const std::filesystem::path& file);

// The JPEG pictures in a camera-roll folder, in name order; empty when the
// folder does not exist.
std::vector<PictureFacts> readCameraRollFacts(const std::filesystem::path& folder);

// Whether a name is one the camera roll shows: a plain file name (no
// folder part) ending in .JPG.
bool isCameraRollName(const std::string& name);

// The position on OpenStreetMap:
// https://www.openstreetmap.org/?mlat=LAT&mlon=LON#map=17/LAT/LON
std::string openStreetMapLink(double latitude, double longitude);

}  // namespace holdstill::sim
