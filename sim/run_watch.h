#pragma once
// RunWatch: what `holdstill run` tells its user while the application runs.
//
// After every run-loop task it compares what the user would notice with
// what it saw last (alerts, the camera display, the shutter, help, steady
// mode, opened addresses, the settings file, the camera roll) and prints a
// line per change, stamped with the phone time; with a screenshot folder it
// also writes a PNG of the screen for each. Cheap when nothing changed: the
// files are only looked at when their folder's or their own time stamp
// moved. Main thread only.
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace platform {
class UIModalView;
}

namespace holdstill::sim {

// The camera roll folder on the device.
inline constexpr const char* kCameraRollPath = "/private/var/mobile/Media/DCIM/100APPLE/";

// One camera-roll file and the GPS position its EXIF block carries, as the
// EXIF library reads it back.
struct CameraRollEntry {
  std::string name;
  std::optional<std::string> position;  // "48.858370 N, 2.294481 E, alt 35 m"
};
// The camera roll's JPEG files in name order (empty when there is none).
std::vector<CameraRollEntry> readCameraRoll();
// The position in a JPEG file's EXIF block, or nullopt (no GPS, no EXIF,
// not readable).
std::optional<std::string> gpsPositionOf(const std::filesystem::path& file);

class RunWatch {
 public:
  // `screenshots` empty: no screenshots.
  RunWatch(std::ostream& out, std::filesystem::path screenshots);

  // Looks for changes and reports them.
  void check();
  // A line of the run's own (an event played, the end); with a screenshot.
  void note(const std::string& what, bool screenshot = true);
  // A screenshot without a line (the scenario's times).
  void screenshot(const std::string& label);

  int screenshotCount() const { return shots_; }
  // Thrown away by the first screenshot that cannot be written.
  const std::optional<std::string>& screenshotError() const { return screenshotError_; }

 private:
  void line(const std::string& what);
  void checkAlerts();
  void checkCamera();
  void checkLinks();
  void checkSettings();
  void checkCameraRoll();

  std::ostream& out_;
  std::filesystem::path screenshots_;
  std::optional<std::string> screenshotError_;
  int shots_ = 0;
  bool changed_ = false;
  std::string changeLabel_;

  std::vector<std::weak_ptr<platform::UIModalView>> alerts_;
  bool cameraOpen_ = false, inTouch_ = false, inHelp_ = false;
  int stableMode_ = 0;
  std::size_t links_ = 0;
  std::optional<std::filesystem::file_time_type> settingsStamp_, rollStamp_;
  std::string settingsText_;
  std::map<std::string, std::filesystem::file_time_type> roll_;
};

}  // namespace holdstill::sim
