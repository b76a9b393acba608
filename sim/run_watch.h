#pragma once
// RunWatch: what `holdstill run` tells its user while the application runs.
//
// After every run-loop task it compares what the user would notice with
// what it saw last (alerts, the camera display or photo library, the
// shutter, help, steady mode, opened addresses, the settings file, the
// album's mishaps and what became of each picture saved) and prints a line
// per change, stamped with the phone time; with a screenshot folder it also
// writes a PNG of the screen for each. Cheap when nothing changed: the
// settings file is only read when its time stamp moved. Main thread only.
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace platform {
class UIImagePickerController;
class UIModalView;
}

namespace holdstill::sim {

// The camera roll folder on the device, and the folder of every picture.
inline constexpr const char* kCameraRollPath = "/private/var/mobile/Media/DCIM/100APPLE/";
inline constexpr const char* kPicturesPath = "/private/var/mobile/Media/DCIM/";

// One picture file and the GPS position its EXIF block carries, as the
// EXIF library reads it back.
struct CameraRollEntry {
  std::string name;                     // relative to DCIM: "100APPLE/IMG_0001.JPG"
  std::optional<std::string> position;  // "48.858370 N, 2.294481 E, alt 35 m"
};
// Every JPEG file under DCIM, in name order (empty when there is none).
std::vector<CameraRollEntry> readCameraRoll();
// The position in a JPEG file's EXIF block, or nullopt (no GPS, no EXIF,
// not readable).
std::optional<std::string> gpsPositionOf(const std::filesystem::path& file);
// A device path under DCIM as the log shows it ("100APPLE/IMG_0001.JPG");
// other paths as they are.
std::string pictureName(const std::string& devicePath);

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
  // Touches that pressed the camera's shutter.
  int shutterPresses() const { return shutterPresses_; }
  // Thrown away by the first screenshot that cannot be written.
  const std::optional<std::string>& screenshotError() const { return screenshotError_; }

 private:
  void line(const std::string& what);
  void checkAlerts();
  void checkCamera();
  void checkLinks();
  void checkSettings();
  void checkAlbum();
  void checkSaves();

  std::ostream& out_;
  std::filesystem::path screenshots_;
  std::optional<std::string> screenshotError_;
  int shots_ = 0;
  bool changed_ = false;
  std::string changeLabel_;

  std::vector<std::weak_ptr<platform::UIModalView>> alerts_;
  std::weak_ptr<platform::UIImagePickerController> shownPicker_;
  bool cameraOpen_ = false, cameraIsLibrary_ = false, inTouch_ = false, inHelp_ = false;
  int stableMode_ = 0, shutterPresses_ = 0;
  std::size_t links_ = 0, albumOutcomes_ = 0, saves_ = 0;
  std::optional<std::filesystem::file_time_type> settingsStamp_;
  std::string settingsText_;
};

}  // namespace holdstill::sim
