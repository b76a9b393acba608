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
  std::vector<std::string> tracks;    // the GPX files, read as one track
  std::vector<std::string> paths;     // pictures and folders, in the order given
  bool recursive = false;             // folders' subfolders too
  std::chrono::minutes offset{0};     // how far the cameras' clocks are ahead of UTC
  double maxGap = 1800;               // seconds between two track points, at most
  std::optional<std::string> outDir;  // write DIR/<name below the folder given>; else replace in place
  bool allowLoss = false;
  unsigned jobs = 1;                  // pictures at once
  bool progress = false;              // show a progress line on `err`
};

// Tags, skips or fails each picture with one line each ("PATH: tagged ...",
// "PATH: skipped: why" on `out`, "exf: PATH: why" on `err`), in the order
// of the pictures whatever `jobs` is, syncs the written files' folders to
// the disk, then writes the counts. Returns 0 when no picture failed, else 1.
int geotagFromTrack(const TrackGeotagRequest& request, std::ostream& out, std::ostream& err);

}  // namespace exf
