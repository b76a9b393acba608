#pragma once
// exf geotag --gpx: places each picture on a GPS track by the time it was
// taken and writes the position there.
#include <chrono>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace exf {

struct TrackGeotagRequest {
  std::string track;                  // the GPX file
  std::vector<std::string> pictures;  // in the order given
  std::chrono::minutes offset{0};     // how far the cameras' clocks are ahead of UTC
  double maxGap = 1800;               // seconds between two track points, at most
  std::optional<std::string> outDir;  // write DIR/<name>; else replace in place
  bool allowLoss = false;
};

// Tags, skips or fails each picture with one line each ("PATH: tagged ...",
// "PATH: skipped: why" on `out`, "exf: PATH: why" on `err`), then writes the
// counts. Returns 0 when no picture failed, else 1.
int geotagFromTrack(const TrackGeotagRequest& request, std::ostream& out, std::ostream& err);

}  // namespace exf
