#pragma once
// The simulated phone a scenario describes, booted as `holdstill run` boots
// it: a fresh main run loop, the device (its folder, model, language, clock),
// the motion and location replay, the camera's pictures and the album's
// faults, the settings written before launch, and the scenario's events
// queued on the run loop. Main thread only.
#include "platform/ui/modal_view.h"
#include "sim/scenario.h"

#include <filesystem>
#include <memory>
#include <string>

namespace holdstill::sim {

class RunWatch;

// Where the application's opened addresses are kept on the device.
inline constexpr const char* kOpenedURLsPath = "/private/var/mobile/Library/OpenedURLs.txt";

// The built-in scenario file: $HOLDSTILL_SCENARIOS, an installed copy's
// (share/holdstill/scenarios beside the program's bin/), or the source's.
std::filesystem::path defaultScenarioFile();
// A fresh phone folder in the temporary directory; CommandError when none
// can be made.
std::filesystem::path makeTemporaryDeviceFolder();

// Boots the phone rooted in `root` from the scenario, on a fresh
// Virtual-mode main run loop (the calling thread becomes the main thread),
// with no alert, animation or save record left from an earlier run; the
// scenario's storage faults start once its settings are written.
// A motion trace or GPX track that cannot be read is a ScenarioError, and
// then no device is left current. CommandError when the application bundle
// cannot be found.
void bootPhone(const Scenario& scenario, const std::filesystem::path& root);

// Queues the scenario's events and screenshot times on the main run loop;
// each event played is told to `watch`, which must outlive the run.
void queueScenarioEvents(const Scenario& scenario, RunWatch& watch);
// Plays one event at once, as a person would, and tells `watch`.
void playEvent(const Scenario::Event& event, RunWatch& watch);

// How the application's run ended.
struct ApplicationEnd {
  int status = 0;        // what main returned (RunLoop::kStalledStatus: stalled)
  std::string failure;   // the exception's text when it failed; empty otherwise
};
// Runs the application on the booted phone until its run loop ends.
ApplicationEnd runApplicationMain();

// The line that tells how a session ended, and its exit status (1 for a
// failure, a stall or a quit with another status than 0). `stoppedBecause`
// is why the session itself ended a run that still went on (time ran out,
// the phone was switched off), or empty.
struct SessionEnding {
  std::string text;
  int status = 0;
};
SessionEnding describeEnd(const ApplicationEnd& end, const std::string& stoppedBecause);

// The newest shown alert (or action sheet), or null.
std::shared_ptr<platform::UIModalView> frontAlert();

}  // namespace holdstill::sim
