#pragma once
// A scenario for `holdstill run`: the phone, its settings, how it moves,
// the GPS fixes it gets, the camera's pictures, album faults, the user's
// touches, and when to take screenshots. Read from JSON (see README.md,
// "holdstill run"); every field is optional and paths are relative to the
// scenario file. Times are seconds of phone time since the run began.
#include "platform/device/device.h"
#include "platform/foundation/property_value.h"
#include "platform/graphics/geometry.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace holdstill::sim {

// A scenario that cannot be read; what() is one line naming the file and
// the field: "walk.json: motion[1].shake: expected a number above 0".
class ScenarioError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Scenario {
  struct Device {
    std::string model = "iPhone";
    std::string name = "Holdstill Phone";
    std::string language = "en";
    int utcOffsetMinutes = 0;
    // The local time at which the run begins, "YYYY-MM-DDTHH:MM:SS".
    std::string start = "2010-06-15T12:00:00";
    // Storage faults from launch: the space left for files, a read-only phone.
    std::optional<std::uint64_t> freeBytes;
    bool readOnly = false;
  };
  struct MotionSegment {
    enum class Kind { Still, Shake, Trace };
    Kind kind = Kind::Still;
    double from = 0;
    std::optional<double> to;  // a trace ends with its log
    double amplitude = 0;      // shake, in g
    std::filesystem::path trace;
    platform::UIDeviceOrientation orientation = platform::UIDeviceOrientation::Portrait;
  };
  struct Fix {
    double at = 0, lat = 0, lon = 0, alt = 0, accuracy = 5, ageSeconds = 0;
  };
  struct GpsError {
    double at = 0;
    int code = 0;
    std::string description;
  };
  struct Gps {
    std::optional<std::filesystem::path> gpx;
    double start = 0;      // when the track's first point arrives
    double accuracy = 5;   // metres, for every point of the track
    bool keepTimes = false;
    std::vector<Fix> fixes;
    std::vector<GpsError> errors;
  };
  struct Picture {
    std::filesystem::path file;
    std::string orientation = "up";  // up, down, left, right
  };
  struct Event {
    enum class Kind { Tap, TapAlertButton, TouchAlert, TapLink, CancelCamera };
    Kind kind = Kind::Tap;
    double at = 0;
    platform::CGPoint point;  // tap
    int button = 0;           // tapAlertButton
    std::string link;         // tapLink: the link's text
  };

  std::filesystem::path file;  // where it was read from
  Device device;
  std::vector<std::pair<std::string, platform::PropertyValue>> settings;
  std::vector<MotionSegment> motion;
  Gps gps;
  std::vector<Picture> pictures;
  std::vector<int> albumFailAt, albumElsewhereAt;  // the Nth save, from 1
  std::optional<double> albumSeconds;              // the album's working time per save
  std::vector<Event> events;                       // in time order
  std::vector<double> screenshots;
  double until = 300;
};

// Reads a scenario file. Throws ScenarioError for a file that cannot be
// read, is not JSON, has a field of the wrong kind or value, an unknown
// field, or names a file that does not exist.
Scenario readScenario(const std::filesystem::path& file);
// The same for a text; `file` names it and anchors its relative paths.
Scenario parseScenario(std::string_view text, const std::filesystem::path& file);

// Seconds since 1970-01-01 UTC of a local "YYYY-MM-DDTHH:MM:SS" at the
// given offset from UTC; nullopt when the text is not such a time.
std::optional<double> parseLocalTime(std::string_view text, int utcOffsetMinutes);

}  // namespace holdstill::sim
