#include "sim/serve/phone_controls.h"

#include "state/app_services.h"
#include "state/module_state.h"
#include "views/meter_vertical.h"
#include "capture/root_view_controller.h"
#include "platform/device/device.h"
#include "platform/foundation/string_format.h"
#include "platform/gpx/gpx_track.h"
#include "platform/runloop/run_loop.h"
#include "platform/sensors/accelerometer.h"
#include "platform/sensors/location_manager.h"
#include "platform/sensors/location_replay.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/label.h"
#include "platform/ui/screen.h"
#include "sim/phone_session.h"
#include "sim/run_watch.h"
#include "sim/serve/request_checks.h"

#include <array>
#include <cmath>

namespace holdstill::sim::serve {

using namespace platform;
using nlohmann::json;

namespace {

struct Hold {
  const char* name;
  UIDeviceOrientation orientation;
  Gravity gravity;
};
constexpr std::array<Hold, 4> kHolds = {{
    {"portrait", UIDeviceOrientation::Portrait, {0, -1, 0}},
    {"landscapeLeft", UIDeviceOrientation::LandscapeLeft, {-1, 0, 0}},
    {"landscapeRight", UIDeviceOrientation::LandscapeRight, {1, 0, 0}},
    {"faceUp", UIDeviceOrientation::FaceUp, {0, 0, -1}},
}};

const Hold* holdNamed(const std::string& name) {
  for (const auto& hold : kHolds)
    if (name == hold.name) return &hold;
  return nullptr;
}

// Whether a person sees the view: in a window, and neither it nor any view
// holding it hidden or fully transparent.
bool onScreen(const std::shared_ptr<UIView>& view) {
  if (!view || !view->window()) return false;
  for (auto v = view; v; v = v->superview())
    if (v->isHidden() || v->alpha() <= 0) return false;
  return true;
}

}  // namespace

void PhoneControls::ready() const {
  if (shuttingDown_) throw RequestError(409, "the phone is shutting down");
}

json PhoneControls::state() const {
  json state = screenState();
  state.update(controls());
  return state;
}

json PhoneControls::tap(double x, double y) {
  ready();
  const CGRect screen = UIScreen::mainScreen().bounds();
  if (x < 0 || y < 0 || x >= screen.size.width || y >= screen.size.height)
    throw RequestError(400, stringWithFormat("(%g, %g) is not on the 320 x 480 screen", x, y));
  Scenario::Event event;
  event.kind = Scenario::Event::Kind::Tap;
  event.point = {static_cast<CGFloat>(x), static_cast<CGFloat>(y)};
  playEvent(event, watch_);
  return {{"tapped", {x, y}}};
}

json PhoneControls::tapAlertButton(int index) {
  ready();
  auto alert = frontAlert();
  if (!alert) throw RequestError(409, "no alert on the screen");
  if (index < 0 || index >= alert->numberOfButtons())
    throw RequestError(400, stringWithFormat("the alert has no button %d", index));
  const std::string title = alert->buttonTitleAtIndex(index);
  Scenario::Event event;
  event.kind = Scenario::Event::Kind::TapAlertButton;
  event.button = index;
  playEvent(event, watch_);
  return {{"tapped", title}};
}

json PhoneControls::setMotion(const std::optional<std::string>& motion, std::optional<double> amplitude,
                              const std::optional<std::string>& hold) {
  ready();
  if (motion && *motion != "still" && *motion != "shake")
    throw RequestError(400, "'motion' must be \"still\" or \"shake\"");
  if (amplitude && !(*amplitude >= kMinShake && *amplitude <= kMaxShake))
    throw RequestError(400, stringWithFormat("'amplitude' must lie between %g and %g g", kMinShake, kMaxShake));
  const Hold* held = holdNamed(hold.value_or(hold_));
  if (!held) throw RequestError(400, "'hold' must be portrait, landscapeLeft, landscapeRight or faceUp");
  if (motion) motion_ = *motion;
  if (amplitude) amplitude_ = *amplitude;
  hold_ = held->name;
  UIAccelerometer& accelerometer = UIAccelerometer::sharedAccelerometer();
  if (motion_ == "shake")
    accelerometer.setMotion(MotionScript::shaking(++seed_, amplitude_, held->gravity));
  else
    accelerometer.setMotion(MotionScript::still(++seed_, 0.001, held->gravity));
  Device::current()->setOrientation(held->orientation);
  watch_.note("motion: " + (motion_ == "shake" ? stringWithFormat("shaking %g g", amplitude_) : std::string("still")) +
                  ", held " + hold_,
              false);
  return controls()["motion"];
}

json PhoneControls::playFix(double latitude, double longitude, double altitude, double accuracy) {
  ready();
  if (!(std::fabs(latitude) <= 90) || !(std::fabs(longitude) <= 180))
    throw RequestError(400, "'lat' must lie within ±90 and 'lon' within ±180 degrees");
  const TimeInterval now = RunLoop::main().now();
  LocationService::current().play(
      LocationReplay({LocationEvent::fix(now, latitude, longitude, altitude, accuracy)}));
  gps_ = "fix";
  watch_.note(stringWithFormat("GPS: fix %.6f, %.6f, alt %g m, accuracy %g m", latitude, longitude, altitude,
                               accuracy),
              false);
  return controls()["gps"];
}

json PhoneControls::playTrack(const GPXTrack& track, const std::string& label) {
  ready();
  LocationReplay replay = LocationReplay::fromGPX(track, RunLoop::main().now(), 5, false);
  if (replay.empty()) throw RequestError(400, "the track has no points");
  const std::size_t fixes = replay.events().size();
  LocationService::current().play(std::move(replay));
  gps_ = label;
  watch_.note(stringWithFormat("GPS: playing %@ (%zu fixes)", label, fixes), false);
  json result = controls()["gps"];
  result["fixes"] = fixes;
  return result;
}

json PhoneControls::sendError(int code, const std::string& description) {
  ready();
  LocationService::current().play(LocationReplay({LocationEvent::failure(RunLoop::main().now(), code, description)}));
  gps_ = "error";
  watch_.note(stringWithFormat("GPS: error %d \"%@\"", code, description), false);
  return controls()["gps"];
}

json PhoneControls::switchGPSOff() {
  ready();
  LocationService::current().play(LocationReplay());
  gps_ = "off";
  watch_.note("GPS: off", false);
  return controls()["gps"];
}

json PhoneControls::setClock(std::optional<bool> paused, std::optional<double> speed) {
  ready();
  if (speed && *speed != 0.5 && *speed != 1 && *speed != 2 && *speed != 10)
    throw RequestError(400, "'speed' must be 0.5, 1, 2 or 10");
  if (paused) paused_ = *paused;
  if (speed) speed_ = *speed;
  RunLoop::main().setPace(paused_ ? 0 : speed_);
  watch_.note(paused_ ? std::string("clock: paused") : stringWithFormat("clock: running at %gx", speed_), false);
  return controls()["clock"];
}

json PhoneControls::controls() const {
  return {{"clock", {{"paused", paused_}, {"speed", speed_}}},
          {"motion", {{"motion", motion_}, {"amplitude", amplitude_}, {"hold", hold_}}},
          {"gps", {{"source", gps_}}}};
}

json PhoneControls::screenState() const {
  json alerts = json::array();
  for (const auto& view : UIModalView::shownModalViews()) {
    json buttons = json::array();
    for (int i = 0; i < view->numberOfButtons(); ++i) {
      json button = {{"title", view->buttonTitleAtIndex(i)}};
      if (auto shown = view->buttonAtIndex(i)) {
        const CGRect b = shown->bounds();
        const CGPoint origin = shown->convertPointToView(b.origin, nullptr);
        button["frame"] = {origin.x, origin.y, b.size.width, b.size.height};
      }
      buttons.push_back(button);
    }
    json alert = {{"title", view->title()}, {"buttons", buttons}};
    if (auto asAlert = std::dynamic_pointer_cast<UIAlertView>(view)) alert["message"] = asAlert->message();
    alerts.push_back(alert);
  }
  const auto root = appRootViewController();
  const auto meter = root ? root->stabilizeMeter() : nullptr;
  const auto badge = root ? root->gpsInfoText() : nullptr;
  const CGRect screen = UIScreen::mainScreen().bounds();
  return {{"time", RunLoop::main().now()},
          {"screen", {{"width", screen.size.width}, {"height", screen.size.height}}},
          {"alerts", alerts},
          {"cameraOpen", root && root->cameraHiddenLayerView() && root->imagePickerController()},
          {"helpShown", root && root->inHelp()},
          {"steadyMode", vwTakeStablePic != 0},
          {"meter", onScreen(meter) ? json(meter->progress()) : json(nullptr)},
          {"badge", onScreen(badge) ? json(badge->text()) : json(nullptr)}};
}

}  // namespace holdstill::sim::serve
