#pragma once
// GPXTrack: the points of a GPX 1.0/1.1 file, as a GPS logger writes them.
//
// Track points (trkpt), route points (rtept) and way points (wpt) are read
// in document order with their latitude and longitude (degrees), elevation
// (metres, "ele") and time ("time", UTC). The simulated location service
// replays them and `exf geotag --gpx` places pictures on them.
//
// Depends on pugixml only, so tools outside the phone stand-in can link it.
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A file that cannot be used; what() names the file and, where there is
// one, the line: "walk.gpx: line 12: trkpt has no lat attribute".
class GPXError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct GPXPoint {
  enum class Kind { Track, Route, Way };
  Kind kind = Kind::Track;
  double latitude = 0;   // [-90, 90]
  double longitude = 0;  // [-180, 180]
  std::optional<double> elevation;
  std::optional<double> time;  // seconds since 1970-01-01T00:00:00Z
  int line = 0;                // where the point starts in the file
};

class GPXTrack {
 public:
  // Parses GPX text; `source` names it in error messages. Throws GPXError
  // for XML that does not parse, a document that is not GPX, a point whose
  // coordinates are missing or out of range, an elevation or time that does
  // not parse, and a document without points.
  static GPXTrack parse(std::string_view text, const std::string& source);
  // Reads and parses a file; files over 256 MiB are refused unread.
  static GPXTrack load(const std::filesystem::path& path);

  const std::vector<GPXPoint>& points() const { return points_; }  // never empty

  // The points of one kind, in file order: the track when the file has
  // one, else its route, else its way points.
  std::vector<GPXPoint> mainPath() const;

 private:
  explicit GPXTrack(std::vector<GPXPoint> points) : points_(std::move(points)) {}
  std::vector<GPXPoint> points_;
};

// Parses an ISO 8601 UTC time as GPX writes it ("2024-05-01T09:30:00Z",
// fractions of a second and a "+02:00" offset allowed, no zone read as
// UTC) into seconds since the epoch; nullopt when the text is not one.
std::optional<double> parseGPXTime(std::string_view text);

}  // namespace platform
