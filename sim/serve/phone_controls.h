#pragma once
// The browser phone's controls: what a person at the page (or a script)
// does to the simulated phone (touches, alert buttons, motion, GPS, the
// clock), and what the phone's screen side shows (time, alerts, camera,
// steady mode, meter, badge). Each action is noted in the event log as
// `holdstill run` notes a scenario's events. Main thread only; requests
// that cannot be carried out throw RequestError and change nothing.
#include <nlohmann/json.hpp>

#include <filesystem>
#include <optional>
#include <string>

namespace platform {
class GPXTrack;
}

namespace holdstill::sim {
class RunWatch;
}

namespace holdstill::sim::serve {

class PhoneControls {
 public:
  // Bounds of the shake amplitude a person may choose, in g.
  static constexpr double kMinShake = 0.05, kMaxShake = 3;

  explicit PhoneControls(RunWatch& watch) : watch_(watch) {}

  // A tap at a screen point (inside 320 × 480).
  nlohmann::json tap(double x, double y);
  // A tap on button `index` of the front alert.
  nlohmann::json tapAlertButton(int index);
  // "still" or "shake" (with an amplitude), and how the phone is held:
  // "portrait", "landscapeLeft", "landscapeRight" or "faceUp". What is not
  // given stays as it was.
  nlohmann::json setMotion(const std::optional<std::string>& motion, std::optional<double> amplitude,
                           const std::optional<std::string>& hold);
  // The GPS from now on: one fix, a track (its first point now), an error,
  // or nothing more.
  nlohmann::json playFix(double latitude, double longitude, double altitude, double accuracy);
  nlohmann::json playTrack(const platform::GPXTrack& track, const std::string& label);
  nlohmann::json sendError(int code, const std::string& description);
  nlohmann::json switchGPSOff();
  // Pause or resume the clock and choose its speed (0.5, 1, 2 or 10).
  nlohmann::json setClock(std::optional<bool> paused, std::optional<double> speed);

  // From now on every action is refused (409): the phone is shutting down.
  void shutDown() { shuttingDown_ = true; }
  bool shuttingDown() const { return shuttingDown_; }

  // The screen state with the controls (what GET /api/state shows but the
  // camera roll).
  nlohmann::json state() const;
  // The clock, motion and GPS as the controls left them.
  nlohmann::json controls() const;
  // What the phone shows: time, screen size, alerts and their buttons (with
  // their frames on the screen), camera open, help, steady mode, meter
  // level and the GPS badge's text.
  nlohmann::json screenState() const;

 private:
  void ready() const;

  RunWatch& watch_;
  bool shuttingDown_ = false;
  std::string motion_ = "still";
  double amplitude_ = 0.3;
  std::string hold_ = "portrait";
  std::string gps_ = "scenario";
  bool paused_ = false;
  double speed_ = 1;
  std::uint64_t seed_ = 100;
};

}  // namespace holdstill::sim::serve
