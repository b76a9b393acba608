#include "platform/sensors/location_replay.h"

#include <algorithm>

namespace platform {

LocationEvent LocationEvent::fix(TimeInterval at, double latitude, double longitude, double altitude,
                                 double horizontalAccuracy, double age) {
  LocationEvent e;
  e.kind = Kind::Fix;
  e.at = at;
  e.latitude = latitude;
  e.longitude = longitude;
  e.altitude = altitude;
  e.horizontalAccuracy = horizontalAccuracy;
  e.age = age;
  return e;
}

LocationEvent LocationEvent::failure(TimeInterval at, int code, std::string description) {
  LocationEvent e;
  e.kind = Kind::Error;
  e.at = at;
  e.error = NSError{"kCLErrorDomain", code, std::move(description)};
  return e;
}

LocationReplay::LocationReplay(std::vector<LocationEvent> events) : events_(std::move(events)) {
  std::stable_sort(events_.begin(), events_.end(),
                   [](const LocationEvent& a, const LocationEvent& b) { return a.at < b.at; });
}

LocationReplay LocationReplay::fromGPX(const GPXTrack& track, TimeInterval start, double accuracy,
                                       bool keepTimes) {
  std::vector<LocationEvent> events;
  const std::vector<GPXPoint> path = track.mainPath();
  std::optional<double> firstTime;
  TimeInterval previous = start;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const GPXPoint& p = path[i];
    TimeInterval at = i == 0 ? start : previous + 1.0;
    if (p.time) {
      if (!firstTime) firstTime = *p.time - (at - start);
      at = std::max(previous, start + (*p.time - *firstTime));
    }
    LocationEvent e = LocationEvent::fix(at, p.latitude, p.longitude, p.elevation.value_or(0), accuracy);
    if (keepTimes && p.time) e.timestamp = *p.time;
    events.push_back(e);
    previous = at;
  }
  return LocationReplay(std::move(events));
}

LocationReplay LocationReplay::fromGPXFile(const std::filesystem::path& path, TimeInterval start,
                                           double accuracy, bool keepTimes) {
  return fromGPX(GPXTrack::load(path), start, accuracy, keepTimes);
}

}  // namespace platform
