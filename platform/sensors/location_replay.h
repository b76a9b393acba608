#pragma once
// LocationReplay: what the simulated location service reports, and when.
//
// A replay is a list of events at loop times: fixes (position, altitude,
// accuracy, and either the age the fix has when it arrives or a timestamp
// of its own) and errors (code and description). It is made from a GPX
// track (the first point arrives at a chosen start time and later points
// keep their spacing) or from events given directly by a scenario or test.
#include "platform/foundation/error.h"
#include "platform/gpx/gpx_track.h"
#include "platform/runloop/run_loop.h"

#include <filesystem>
#include <optional>
#include <vector>

namespace platform {

struct LocationEvent {
  enum class Kind { Fix, Error };
  Kind kind = Kind::Fix;
  TimeInterval at = 0;  // loop time of delivery
  // Fix.
  double latitude = 0, longitude = 0, altitude = 0;
  double horizontalAccuracy = 5;
  double age = 0;                    // seconds the fix is old on arrival
  std::optional<double> timestamp;   // seconds since 1970; replaces `age`
  // Error.
  NSError error;

  static LocationEvent fix(TimeInterval at, double latitude, double longitude, double altitude = 0,
                           double horizontalAccuracy = 5, double age = 0);
  static LocationEvent failure(TimeInterval at, int code, std::string description);
};

class LocationReplay {
 public:
  LocationReplay() = default;
  // Events in any order; they are kept sorted by time (stable).
  explicit LocationReplay(std::vector<LocationEvent> events);

  // The main path of a track (see GPXTrack::mainPath): point k arrives at
  // start + (its time − the first point's time). Points without a time
  // follow the one before after a second; a time earlier than the one
  // before arrives with it. Every fix has the given accuracy. With
  // keepTimes each fix is stamped with its own time from the file (when it
  // has one), otherwise with its arrival time.
  static LocationReplay fromGPX(const GPXTrack& track, TimeInterval start, double accuracy,
                                bool keepTimes);
  // The same from a file; throws GPXError naming the file (and the line).
  static LocationReplay fromGPXFile(const std::filesystem::path& path, TimeInterval start,
                                    double accuracy, bool keepTimes);

  const std::vector<LocationEvent>& events() const { return events_; }
  bool empty() const { return events_.empty(); }

 private:
  std::vector<LocationEvent> events_;
};

}  // namespace platform
