// Arbitrary text as a GPX file: it parses or is refused with GPXError, and
// every point read has its coordinates in range and finite values.
#include "platform/gpx/gpx_track.h"

#include <cmath>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    const auto track = platform::GPXTrack::parse({reinterpret_cast<const char*>(data), size}, "fuzz.gpx");
    if (track.points().empty()) std::abort();
    for (const auto& p : track.points()) {
      if (!(std::fabs(p.latitude) <= 90) || !(std::fabs(p.longitude) <= 180) || p.line < 1) std::abort();
      if ((p.elevation && !std::isfinite(*p.elevation)) || (p.time && !std::isfinite(*p.time))) std::abort();
    }
    (void)track.mainPath();
  } catch (const platform::GPXError&) {
  }
  return 0;
}
