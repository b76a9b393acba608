#pragma once
// RunReport: `holdstill run --report DIR`. While the run plays it is told
// every line the run prints and keeps, for each event line ("[  12.345]
// ..."), a screenshot of the screen as it was then; at the end it writes
// DIR/index.html with the scenario, the timeline of event lines with their
// screenshots, the camera roll (EXIF thumbnail, time, position, altitude,
// map link and the file itself, copied into DIR) and the exit status. The
// page refers only to files in DIR, so it opens offline. Main thread.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace platform {
class CGImage;
}

namespace holdstill::sim {

class RunReport {
 public:
  // Makes DIR (and its folders); CommandError when it cannot.
  explicit RunReport(std::filesystem::path dir);

  // A line the run printed (without its newline).
  void line(const std::string& text);
  // Writes the pictures and DIR/index.html; returns the page's path.
  // CommandError when a file cannot be written.
  std::filesystem::path write(const std::filesystem::path& scenarioFile, const std::filesystem::path& cameraRoll,
                              int exitStatus);

 private:
  struct Entry {
    std::string time;   // "12.345", empty for lines that are not events
    std::string text;
    std::string shot;   // file name under screens/, empty for none
  };
  std::string screenshot();

  std::filesystem::path dir_;
  std::vector<Entry> entries_;
  std::shared_ptr<const platform::CGImage> lastShot_;
  std::string lastShotName_;
  int shots_ = 0;
};

}  // namespace holdstill::sim
