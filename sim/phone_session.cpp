#include "sim/phone_session.h"

#include "app/main.h"
#include "state/module_state.h"
#include "app/simple_table_view_app_delegate.h"
#include "capture/root_view_controller.h"
#include "platform/album/photo_album.h"
#include "platform/camera/camera_feed.h"
#include "platform/camera/camera_view_controller.h"
#include "platform/camera/photo_library_view_controller.h"
#include "platform/device/device.h"
#include "platform/foundation/string_format.h"
#include "platform/foundation/user_defaults.h"
#include "platform/runloop/run_loop.h"
#include "platform/sensors/accelerometer.h"
#include "platform/sensors/location_manager.h"
#include "platform/sensors/location_replay.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/application.h"
#include "platform/ui/bar_button_item.h"
#include "platform/ui/ui_state.h"
#include "platform/ui/window.h"
#include "platform/web/web_view.h"
#include "sim/commands.h"
#include "sim/run_watch.h"
#include "storage/save_record.h"

#include <stdlib.h>

namespace holdstill::sim {

using namespace platform;
namespace fs = std::filesystem;

// $HOLDSTILL_SCENARIOS, else an installed copy's (prefix/share/holdstill
// beside prefix/bin), else the source tree's.
fs::path defaultScenarioFile() {
  if (const char* given = std::getenv("HOLDSTILL_SCENARIOS")) return fs::path(given) / "default.json";
  std::error_code error;
  const fs::path program = fs::read_symlink("/proc/self/exe", error);
  const fs::path installed = program.parent_path().parent_path() / "share/holdstill/scenarios/default.json";
  if (!error && fs::is_regular_file(installed, error)) return installed;
  return fs::path(HOLDSTILL_SCENARIOS_DIR) / "default.json";
}

fs::path makeTemporaryDeviceFolder() {
  std::string pattern = (fs::temp_directory_path() / "holdstill-phone-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw CommandError("cannot make a temporary device folder");
  return pattern;
}

std::shared_ptr<UIModalView> frontAlert() {
  const auto shown = UIModalView::shownModalViews();
  return shown.empty() ? nullptr : shown.back();
}

namespace {

Gravity gravityFor(UIDeviceOrientation orientation) {
  switch (orientation) {
    case UIDeviceOrientation::LandscapeLeft: return {-1, 0, 0};
    case UIDeviceOrientation::LandscapeRight: return {1, 0, 0};
    case UIDeviceOrientation::PortraitUpsideDown: return {0, 1, 0};
    case UIDeviceOrientation::FaceUp: return {0, 0, -1};
    default: return {0, -1, 0};
  }
}

std::string pointText(CGPoint p) { return stringWithFormat("(%g, %g)", p.x, p.y); }

// The phone as the scenario describes it, rooted in `root`.
std::shared_ptr<Device> makeDevice(const Scenario& s, const fs::path& root) {
  DeviceProfile profile;
  profile.model = s.device.model;
  profile.name = s.device.name;
  profile.preferredLanguage = s.device.language;
  profile.utcOffsetSeconds = s.device.utcOffsetMinutes * 60;
  profile.clockOrigin = *parseLocalTime(s.device.start, s.device.utcOffsetMinutes);
  const fs::path bundle = Device::locateAppBundle();
  if (bundle.empty())
    throw CommandError("no application bundle (a resources folder holding Info.json, or share/holdstill/resources) "
                       "next to the program");
  return std::make_shared<Device>(root, profile, bundle);
}

[[noreturn]] void fail(const Scenario& s, const std::string& field, const std::string& what) {
  throw ScenarioError(s.file.string() + ": " + field + ": " + what);
}

// The motion segments, each switching the accelerometer (and the way the
// phone is held) at its start and back to still portrait at its end. A
// trace that cannot be read is the scenario's error.
void scheduleMotion(const Scenario& s) {
  UIAccelerometer& accelerometer = UIAccelerometer::sharedAccelerometer();
  std::uint64_t seed = 1;
  for (std::size_t i = 0; i < s.motion.size(); ++i) {
    const auto& m = s.motion[i];
    const Gravity gravity = gravityFor(m.orientation);
    std::optional<double> end = m.to;
    switch (m.kind) {
      case Scenario::MotionSegment::Kind::Still:
        accelerometer.setMotionAt(m.from, MotionScript::still(++seed, 0.001, gravity));
        break;
      case Scenario::MotionSegment::Kind::Shake:
        accelerometer.setMotionAt(m.from, MotionScript::shaking(++seed, m.amplitude, gravity));
        break;
      case Scenario::MotionSegment::Kind::Trace: {
        std::optional<MotionTrace> loaded;
        try {
          loaded = MotionTrace::load(m.trace);
        } catch (const MotionTraceError& e) {
          fail(s, "motion[" + std::to_string(i) + "].trace", e.what());
        }
        MotionTrace trace = std::move(*loaded);
        if (!end) end = m.from + trace.duration();
        accelerometer.setMotionAt(m.from, MotionScript::trace(std::move(trace)));
        break;
      }
    }
    accelerometer.setMotionAt(*end, MotionScript::still(++seed));
    const auto orientation = m.orientation;
    RunLoop::main().postAt(m.from, [orientation] { Device::current()->setOrientation(orientation); });
    RunLoop::main().postAt(*end, [] { Device::current()->setOrientation(UIDeviceOrientation::Portrait); });
  }
}

// The location service's replay: the GPX track or the fixes, and the errors.
void scheduleLocation(const Scenario& s) {
  std::vector<LocationEvent> events;
  if (s.gps.gpx) {
    try {
      events = LocationReplay::fromGPXFile(*s.gps.gpx, s.gps.start, s.gps.accuracy, s.gps.keepTimes).events();
    } catch (const std::exception& e) {
      fail(s, "gps.gpx", e.what());
    }
  }
  for (const auto& f : s.gps.fixes)
    events.push_back(LocationEvent::fix(f.at, f.lat, f.lon, f.alt, f.accuracy, f.ageSeconds));
  for (const auto& e : s.gps.errors) events.push_back(LocationEvent::failure(e.at, e.code, e.description));
  LocationService::current().setReplay(LocationReplay(std::move(events)));
}

// The camera's pictures and the album's faults.
void setUpCameraAndAlbum(const Scenario& s) {
  std::vector<CameraFeedPicture> pictures;
  for (const auto& p : s.pictures) {
    const UIImageOrientation orientation = p.orientation == "down"   ? UIImageOrientationDown
                                           : p.orientation == "left"  ? UIImageOrientationLeft
                                           : p.orientation == "right" ? UIImageOrientationRight
                                                                      : UIImageOrientationUp;
    pictures.push_back({p.file.string(), orientation});
  }
  CameraFeed::current().setPictures(std::move(pictures));
  for (int n : s.albumFailAt) PhotoAlbum::current().failAt(n);
  for (int n : s.albumElsewhereAt) PhotoAlbum::current().elsewhereAt(n);
  if (s.albumSeconds) PhotoAlbum::current().setWorkSeconds(*s.albumSeconds);
}

}  // namespace

void playEvent(const Scenario::Event& e, RunWatch& watch) {
  using Kind = Scenario::Event::Kind;
  switch (e.kind) {
    case Kind::Tap: {
      auto receiver = sendTapToScreen(e.point);
      watch.note("tap at " + pointText(e.point) + (receiver ? std::string(" on ") + object_getClassName(receiver) : " on nothing"), false);
      break;
    }
    case Kind::TapAlertButton: {
      auto alert = frontAlert();
      if (!alert || e.button >= alert->numberOfButtons()) {
        watch.note(stringWithFormat("tap on alert button %d: no such button on the screen", e.button), false);
        break;
      }
      watch.note("tap on alert button \"" + alert->buttonTitleAtIndex(e.button) + "\"", false);
      alert->tapButtonAtIndex(e.button);
      break;
    }
    case Kind::TouchAlert: {
      auto alert = frontAlert();
      if (!alert) {
        watch.note("touch on the alert: no alert on the screen", false);
        break;
      }
      watch.note("touch on the alert \"" + alert->title() + "\"", false);
      alert->touch();
      break;
    }
    case Kind::TapLink:
      if (UIWebView::tapLinkOnScreen(e.link))
        watch.note("tap on the link \"" + e.link + "\"", false);
      else
        watch.note("tap on the link \"" + e.link + "\": no page on the screen shows it", false);
      break;
    case Kind::CancelCamera: {
      auto root = appRootViewController();
      auto picker = root ? root->imagePickerController() : nullptr;
      auto camera = picker ? picker->cameraViewController() : nullptr;
      if (auto library = picker ? picker->photoLibraryViewController() : nullptr) {
        // Away from a phone the picker is the photo library, cancelled from its bar.
        auto cancel = library->navigationItem().rightBarButtonItem();
        if (cancel && picker->view()->window()) {
          watch.note("tap on the photo library's " + cancel->title() + " button", false);
          cancel->sendAction();
          break;
        }
      }
      auto cancel = camera ? camera->cancelButton() : nullptr;
      if (!cancel || !cancel->window()) {
        watch.note("tap on the camera's cancel button: the camera is not open", false);
        break;
      }
      // As a person taps it: through the screen, past the overlay's filter.
      const CGRect b = cancel->bounds();
      const CGPoint centre = cancel->convertPointToView(
          {b.origin.x + b.size.width / 2, b.origin.y + b.size.height / 2}, nullptr);
      watch.note("tap on the camera's cancel button at " + pointText(centre), false);
      sendTapToScreen(centre);
      break;
    }
  }
}


void bootPhone(const Scenario& scenario, const fs::path& root) {
  // A run starts afresh, whatever an earlier run in this process left.
  RunLoop::resetMain(RunLoop::Mode::Virtual);
  resetUserInterface();
  clearSaveRecords();
  Device::setCurrent(makeDevice(scenario, root));
  try {
    scheduleMotion(scenario);
    scheduleLocation(scenario);
  } catch (const ScenarioError&) {
    Device::setCurrent(nullptr);
    throw;
  }
  setUpCameraAndAlbum(scenario);
  NSUserDefaults& defaults = NSUserDefaults::standardUserDefaults();
  for (const auto& [key, value] : scenario.settings) defaults.setObject(value, key);
  // The storage faults begin with the launch.
  if (scenario.device.freeBytes) Device::current()->setFreeBytes(*scenario.device.freeBytes);
  if (scenario.device.readOnly) Device::current()->setReadOnly(true);
  UIApplication::sharedApplication().setOpenedURLLog(kOpenedURLsPath);
}

void queueScenarioEvents(const Scenario& scenario, RunWatch& watch) {
  RunLoop& loop = RunLoop::main();
  for (const auto& e : scenario.events) loop.postAt(e.at, [&watch, e] { playEvent(e, watch); });
  for (double t : scenario.screenshots) loop.postAt(t, [&watch] { watch.screenshot("scheduled"); });
}

ApplicationEnd runApplicationMain() {
  ApplicationEnd end;
  try {
    char name[] = "holdstill";
    char* argv[] = {name, nullptr};
    end.status = holdstill::main(1, argv);
  } catch (const std::exception& e) {
    end.failure = e.what();
  }
  return end;
}

SessionEnding describeEnd(const ApplicationEnd& end, const std::string& stoppedBecause) {
  if (!end.failure.empty()) return {"the application failed: " + end.failure, 1};
  if (end.status == RunLoop::kStalledStatus)
    return {"the run loop stalled: every thread waits and nothing is scheduled", 1};
  if (!stoppedBecause.empty()) return {stoppedBecause, 0};
  return {stringWithFormat("the application quit with status %d", end.status), end.status == 0 ? 0 : 1};
}

}  // namespace holdstill::sim
