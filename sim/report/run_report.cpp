#include "sim/report/run_report.h"

#include "platform/foundation/ns_string.h"
#include "platform/foundation/string_format.h"
#include "platform/graphics/image_codec.h"
#include "platform/ui/screen.h"
#include "sim/camera_roll_facts.h"
#include "sim/commands.h"

#include <fstream>
#include <iterator>
#include <sstream>

namespace holdstill::sim {

using platform::stringWithFormat;
namespace fs = std::filesystem;

namespace {

// HTML text of a line or file as the run wrote it; carriage returns of
// files written elsewhere are left out.
std::string escaped(std::string text) {
  std::erase(text, '\r');
  return platform::escapeHTML(text);
}

void writeFile(const fs::path& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << bytes;
  out.close();
  if (!out) throw CommandError(file.string() + ": cannot write the report");
}

std::string readFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

constexpr const char* kStyle = R"(
body { font: 14px/1.45 system-ui, sans-serif; color: #1d232a; margin: 0 auto; max-width: 70em; padding: 1em 1.5em; }
h1 { font-size: 1.4em; } h2 { font-size: 1.1em; margin-top: 2em; border-bottom: 1px solid #d5dae0; }
pre { background: #f6f7f9; padding: 0.8em; overflow: auto; border-radius: 6px; white-space: pre-wrap; }
table { border-collapse: collapse; width: 100%; }
td { border-top: 1px solid #e4e7eb; padding: 0.3em 0.6em; vertical-align: top; }
td.time { font-variant-numeric: tabular-nums; white-space: nowrap; color: #5c6670; text-align: right; }
td.shot img { width: 120px; border: 1px solid #d5dae0; }
.roll { display: grid; grid-template-columns: repeat(auto-fill, minmax(22em, 1fr)); gap: 1em; padding: 0; list-style: none; }
.roll li { display: grid; grid-template-columns: 160px 1fr; gap: 0.7em; border: 1px solid #d5dae0; border-radius: 8px; padding: 0.5em; }
.roll img { width: 160px; height: 120px; object-fit: contain; background: #000; }
.facts { color: #5c6670; } .status { font-size: 1.2em; font-weight: 600; }
.ok { color: #116329; } .failed { color: #b42318; }
)";

}  // namespace

RunReport::RunReport(fs::path dir) : dir_(std::move(dir)) {
  std::error_code error;
  for (const char* sub : {"screens", "pictures", "thumbnails"}) fs::create_directories(dir_ / sub, error);
  if (!fs::is_directory(dir_ / "screens")) throw CommandError(dir_.string() + ": cannot make the report folder");
}

std::string RunReport::screenshot() {
  auto image = platform::UIScreen::mainScreen().snapshot()->CGImage();
  // The same screen as the line before: the same file.
  if (lastShot_ && lastShot_->width() == image->width() && lastShot_->pixels() == image->pixels())
    return lastShotName_;
  const std::string name = stringWithFormat("%03d.png", ++shots_);
  const auto png = platform::encodePNG(*image);
  writeFile(dir_ / "screens" / name, std::string(png.begin(), png.end()));
  lastShot_ = std::move(image);
  lastShotName_ = name;
  return name;
}

void RunReport::line(const std::string& text) {
  Entry entry;
  const auto close = text.find("] ");
  if (text.size() > 2 && text[0] == '[' && close != std::string::npos) {
    entry.time = text.substr(1, close - 1);
    entry.time.erase(0, entry.time.find_first_not_of(' '));
    entry.text = text.substr(close + 2);
    entry.shot = screenshot();
  } else {
    entry.text = text;
  }
  entries_.push_back(std::move(entry));
}

fs::path RunReport::write(const fs::path& scenarioFile, const fs::path& cameraRoll, int exitStatus) {
  std::ostringstream html;
  html << "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>Holdstill run: "
       << escaped(scenarioFile.filename().string()) << "</title>\n<style>" << kStyle << "</style></head><body>\n"
       << "<h1>Holdstill run of " << escaped(scenarioFile.filename().string()) << "</h1>\n";
  // What the run said of itself before its first event.
  for (const auto& entry : entries_) {
    if (!entry.time.empty()) break;
    html << "<p>" << escaped(entry.text) << "</p>\n";
  }
  html << "<h2 id=\"scenario\">Scenario</h2>\n<p>" << escaped(scenarioFile.string()) << "</p>\n<pre>"
       << escaped(readFile(scenarioFile)) << "</pre>\n";

  html << "<h2 id=\"timeline\">Timeline</h2>\n<table>\n";
  for (const auto& entry : entries_) {
    if (entry.time.empty()) continue;
    html << "<tr><td class=\"time\">" << escaped(entry.time) << " s</td><td>" << escaped(entry.text)
         << "</td><td class=\"shot\"><a href=\"screens/" << entry.shot << "\"><img src=\"screens/" << entry.shot
         << "\" alt=\"the screen at " << escaped(entry.time) << " s\" loading=\"lazy\"></a></td></tr>\n";
  }
  html << "</table>\n";

  const auto roll = readCameraRollFacts(cameraRoll);
  html << "<h2 id=\"roll\">Camera roll (" << roll.size() << (roll.size() == 1 ? " picture" : " pictures") << ")</h2>\n<ul class=\"roll\">\n";
  for (const auto& picture : roll) {
    std::error_code error;
    fs::copy_file(cameraRoll / picture.name, dir_ / "pictures" / picture.name, fs::copy_options::overwrite_existing,
                  error);
    if (error) throw CommandError((dir_ / "pictures" / picture.name).string() + ": " + error.message());
    html << "<li>";
    if (!picture.thumbnail.empty()) {
      writeFile(dir_ / "thumbnails" / picture.name, std::string(picture.thumbnail.begin(), picture.thumbnail.end()));
      html << "<img src=\"thumbnails/" << picture.name << "\" alt=\"EXIF thumbnail of " << picture.name << "\">";
    } else {
      html << "<div>no EXIF thumbnail</div>";
    }
    html << "<div><div><a href=\"pictures/" << picture.name << "\"><strong>" << picture.name << "</strong></a> ("
         << picture.size / 1024 << " KB)</div><div class=\"facts\">"
         << (picture.taken ? "taken " + escaped(*picture.taken) : std::string("no time recorded")) << "</div>";
    if (picture.latitude) {
      html << "<div class=\"facts\">" << stringWithFormat("%.6f, %.6f", *picture.latitude, *picture.longitude);
      if (picture.altitude) html << stringWithFormat(", altitude %.1f m", *picture.altitude);
      html << "</div><div><a href=\"" << escaped(openStreetMapLink(*picture.latitude, *picture.longitude))
           << "\">OpenStreetMap</a></div>";
    } else {
      html << "<div class=\"facts\">no GPS position</div>";
    }
    html << "</div></li>\n";
  }
  html << "</ul>\n";

  // What the run said after its first event that is no event: its summary.
  html << "<h2 id=\"summary\">Summary</h2>\n<pre>";
  bool started = false;
  for (const auto& entry : entries_) {
    started = started || !entry.time.empty();
    if (started && entry.time.empty()) html << escaped(entry.text) << "\n";
  }
  html << "</pre>\n<p class=\"status " << (exitStatus == 0 ? "ok" : "failed") << "\">Exit status " << exitStatus
       << "</p>\n</body></html>\n";
  const fs::path page = dir_ / "index.html";
  writeFile(page, html.str());
  return page;
}

}  // namespace holdstill::sim
