#include "sim/run_watch.h"

#include "state/module_state.h"
#include "app/simple_table_view_app_delegate.h"
#include "capture/root_view_controller.h"
#include "exif/exf_jpeg.h"
#include "platform/album/photo_album.h"
#include "platform/device/device.h"
#include "platform/foundation/string_format.h"
#include "platform/foundation/user_defaults.h"
#include "platform/runloop/run_loop.h"
#include "platform/ui/application.h"
#include "platform/ui/modal_view.h"
#include "platform/ui/screen.h"
#include "storage/save_record.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace holdstill::sim {

using namespace platform;
namespace fs = std::filesystem;

namespace {

std::optional<fs::file_time_type> stampOf(const fs::path& path) {
  std::error_code error;
  const auto stamp = fs::last_write_time(path, error);
  if (error) return std::nullopt;
  return stamp;
}

// A label fit for a file name: letters and digits, the rest as '-'.
std::string fileLabel(const std::string& text) {
  std::string label;
  for (char c : text) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (plain)
      label += c;
    else if (!label.empty() && label.back() != '-')
      label += '-';
    if (label.size() >= 40) break;
  }
  while (!label.empty() && label.back() == '-') label.pop_back();
  return label;
}

std::string reference(const exif::TagValue* value) {
  if (!value) return "";
  if (auto text = value->get<std::string>()) return *text;
  return value->description();
}

}  // namespace

std::optional<std::string> gpsPositionOf(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  exif::EXFJpeg jpeg;
  jpeg.scanImageData(bytes);
  const exif::EXFMetaData& meta = jpeg.exifMetaData();
  const auto* lat = meta.tagValue(2);
  const auto* lon = meta.tagValue(4);
  const auto* latLoc = lat ? lat->get<exif::EXFGPSLoc>() : nullptr;
  const auto* lonLoc = lon ? lon->get<exif::EXFGPSLoc>() : nullptr;
  if (!latLoc || !lonLoc) return std::nullopt;
  std::string text = stringWithFormat("%.6f %@, %.6f %@", latLoc->descriptionAsDecimal(), reference(meta.tagValue(1)),
                                      lonLoc->descriptionAsDecimal(), reference(meta.tagValue(3)));
  if (const auto* alt = meta.tagValue(6)) {
    // A fraction or a number, as the block stores it; its description is decimal text.
    char* end = nullptr;
    const std::string metres = alt->description();
    const double value = std::strtod(metres.c_str(), &end);
    const auto* ref = meta.tagValue(5);
    const std::string below = ref ? ref->description() : "";
    if (end != metres.c_str())
      text += stringWithFormat(", alt %.1f m", (below == "1" || below == "<01>" ? -1.0 : 1.0) * value);
  }
  return text;
}

std::vector<CameraRollEntry> readCameraRoll() {
  std::vector<CameraRollEntry> entries;
  const fs::path folder = Device::current()->hostPath(kPicturesPath);
  std::error_code error;
  for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (!it->is_regular_file() || name.size() < 4 || name.substr(name.size() - 4) != ".JPG") continue;
    entries.push_back({it->path().lexically_relative(folder).generic_string(), gpsPositionOf(it->path())});
  }
  std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
  return entries;
}

std::string pictureName(const std::string& devicePath) {
  const std::string_view folder = kPicturesPath;
  return devicePath.starts_with(folder) ? devicePath.substr(folder.size()) : devicePath;
}

RunWatch::RunWatch(std::ostream& out, fs::path screenshots) : out_(out), screenshots_(std::move(screenshots)) {
  settingsStamp_ = stampOf(Device::current()->hostPath(NSUserDefaults::kDevicePath));
}

void RunWatch::line(const std::string& what) {
  out_ << stringWithFormat("[%8.3f] ", RunLoop::main().now()) << what << "\n";
  if (changeLabel_.empty()) changeLabel_ = what;
  changed_ = true;
}

void RunWatch::check() {
  changed_ = false;
  changeLabel_.clear();
  checkAlerts();
  checkCamera();
  checkLinks();
  checkSettings();
  checkAlbum();
  checkSaves();
  if (changed_) screenshot(changeLabel_);
}

void RunWatch::note(const std::string& what, bool withScreenshot) {
  out_ << stringWithFormat("[%8.3f] ", RunLoop::main().now()) << what << "\n";
  if (withScreenshot) screenshot(what);
}

void RunWatch::screenshot(const std::string& label) {
  if (screenshots_.empty() || screenshotError_) return;
  const std::string name =
      stringWithFormat("%03d-%08.3f-%@.png", shots_ + 1, RunLoop::main().now(), fileLabel(label));
  try {
    UIScreen::mainScreen().writeSnapshotPNG((screenshots_ / name).string());
    ++shots_;
  } catch (const std::exception& e) {
    screenshotError_ = e.what();
    out_ << "screenshots stopped: " << e.what() << "\n";
  }
}

void RunWatch::checkAlerts() {
  const auto shown = UIModalView::shownModalViews();
  for (const auto& view : shown) {
    const bool known = std::any_of(alerts_.begin(), alerts_.end(),
                                   [&](const auto& weak) { return weak.lock() == view; });
    if (known) continue;
    std::string what = "alert shown: \"" + view->title() + "\"";
    if (auto alert = std::dynamic_pointer_cast<UIAlertView>(view); alert && !alert->message().empty())
      what += " \"" + alert->message() + "\"";
    for (int i = 0; i < view->numberOfButtons(); ++i) what += " [" + view->buttonTitleAtIndex(i) + "]";
    line(what);
  }
  for (const auto& weak : alerts_) {
    auto view = weak.lock();
    if (view && std::find(shown.begin(), shown.end(), view) == shown.end()) line("alert gone: \"" + view->title() + "\"");
    if (!view) line("alert gone");
  }
  alerts_.assign(shown.begin(), shown.end());
}

namespace {

// A flip transition is still turning the screen, so what it shows is
// neither the old screen nor the new one yet.
bool flipInFlight() {
  const double now = RunLoop::main().now();
  const auto& blocks = UIView::committedAnimations();
  return std::any_of(blocks.begin(), blocks.end(), [now](const UIViewAnimationRecord& block) {
    return block.transition != UIViewAnimationTransitionNone &&
           block.committedAt + block.delay + block.duration > now;
  });
}

}  // namespace

void RunWatch::checkCamera() {
  auto root = appRootViewController();
  if (!root) return;
  const auto picker = root->imagePickerController();
  const auto overlay = root->cameraHiddenLayerView();
  // Away from a phone the picker shows the photo library: no shutter there.
  const bool library = picker && picker->sourceType() != UIImagePickerControllerSourceTypeCamera;
  // Open once the overlay and buttons are in and the opening flip has
  // ended; closed once that picker is gone (another may follow at once).
  const auto shown = shownPicker_.lock();
  const bool open = overlay != nullptr && picker != nullptr && (picker == shown || !flipInFlight());
  if (cameraOpen_ && (!open || picker != shown)) {
    line(cameraIsLibrary_ ? "photo library closed" : "camera closed");
    cameraOpen_ = false;
  }
  if (open && !cameraOpen_) {
    line(library ? "photo library opened" : "camera opened");
    shownPicker_ = picker;
    cameraIsLibrary_ = library;
    cameraOpen_ = true;
  }
  const bool inTouch = overlay && overlay->inTouch();
  if (inTouch && !inTouch_) {
    if (library) {
      line("touch on the photo library: it has no shutter");
    } else {
      ++shutterPresses_;
      line(vwTakeStablePic ? "shutter pressed (steady shot)" : "shutter pressed (touch)");
    }
  }
  inTouch_ = inTouch;
  if (root->inHelp() != inHelp_) line(root->inHelp() ? "help shown" : "help closed");
  inHelp_ = root->inHelp();
  if (vwTakeStablePic != stableMode_) line(vwTakeStablePic ? "steady mode on" : "steady mode off");
  stableMode_ = vwTakeStablePic;
}

void RunWatch::checkLinks() {
  const auto opened = UIApplication::sharedApplication().openedURLs();
  for (std::size_t i = links_; i < opened.size(); ++i) line("URL opened: " + opened[i]);
  links_ = opened.size();
}

void RunWatch::checkSettings() {
  const fs::path file = Device::current()->hostPath(NSUserDefaults::kDevicePath);
  const auto stamp = stampOf(file);
  if (stamp == settingsStamp_) return;
  settingsStamp_ = stamp;
  std::ifstream in(file, std::ios::binary);
  const auto json = nlohmann::json::parse(in, nullptr, false);
  std::string text;
  if (json.is_object()) {
    for (const auto& [key, value] : json.items()) text += (text.empty() ? "" : ", ") + key + " = " + value.dump();
  } else {
    text = "(unreadable)";
  }
  if (text == settingsText_) return;
  settingsText_ = text;
  line("settings written: " + text);
}

void RunWatch::checkAlbum() {
  const auto outcomes = PhotoAlbum::current().outcomes();
  for (std::size_t i = albumOutcomes_; i < outcomes.size(); ++i) {
    const auto& o = outcomes[i];
    if (o.error)
      line(stringWithFormat("album: save %d failed: %@", o.number, o.error->localizedDescription));
    else if (!o.path.starts_with(kCameraRollPath))
      line(stringWithFormat("album: save %d written outside the camera roll: %@", o.number, pictureName(o.path)));
  }
  albumOutcomes_ = outcomes.size();
}

void RunWatch::checkSaves() {
  const auto records = saveRecords();
  for (std::size_t i = saves_; i < records.size(); ++i) {
    const SaveRecord& r = records[i];
    if (r.result == SaveRecord::Result::Lost) {
      line("picture lost: " + r.why);
      continue;
    }
    std::string what = r.result == SaveRecord::Result::Rescued ? "picture rescued" : "picture saved";
    if (!r.path.empty()) what += ": " + pictureName(r.path);
    const auto position = r.path.empty() ? std::nullopt : gpsPositionOf(Device::current()->hostPath(r.path));
    what += position ? " at " + *position : " without GPS position";
    if (!r.why.empty()) what += "; " + r.why;
    line(what);
  }
  saves_ = records.size();
}

}  // namespace holdstill::sim
