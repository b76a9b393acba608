// holdstill serve [SCENARIO.json] [--device DIR] [--port N] [--host ADDR]:
// the application on the simulated phone in real time, live in a web page
// and scriptable over HTTP (see README.md).
#include "sim/serve/serve_command.h"

#include "platform/device/device.h"
#include "platform/runloop/run_loop.h"
#include "platform/runloop/thread.h"
#include "sim/commands.h"
#include "sim/line_tap.h"
#include "sim/phone_session.h"
#include "sim/run_watch.h"
#include "sim/serve/phone_controls.h"
#include "sim/serve/phone_feed.h"
#include "sim/serve/phone_server.h"
#include "sim/serve/screen_monitor.h"
#include "storage/saving_state.h"

#include <atomic>
#include <csignal>
#include <thread>

#include <pthread.h>

namespace holdstill::sim::serve {

using namespace platform;
using nlohmann::json;
namespace fs = std::filesystem;

namespace {

// How long a shutdown waits for saves in flight, in phone seconds.
constexpr double kSaveGrace = 30;
constexpr double kQuitPoll = 0.05;

// Ctrl-C and SIGTERM, taken by a thread of their own (blocked everywhere
// else), ask the phone to quit as POST /api/quit does.
class SignalWatch {
 public:
  explicit SignalWatch(bool active) : active_(active) {
    if (!active_) return;
    sigemptyset(&set_);
    sigaddset(&set_, SIGINT);
    sigaddset(&set_, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &set_, &previous_);
  }
  void start(std::function<void()> quit) {
    if (!active_) return;
    thread_ = std::thread([this, quit = std::move(quit)] {
      const timespec tick{0, 200'000'000};
      while (!done_) {
        if (sigtimedwait(&set_, nullptr, &tick) > 0) quit();
      }
    });
  }
  ~SignalWatch() {
    done_ = true;
    if (thread_.joinable()) thread_.join();
    if (active_) pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
  }

 private:
  bool active_;
  sigset_t set_{}, previous_{};
  std::atomic<bool> done_{false};
  std::thread thread_;
};

// Ends the run loop once no save is in flight (or the grace is over), so
// that no picture is left half-written. Main thread.
void stopWhenSavesAreDone(double deadline) {
  const bool idle = NSThread::liveWorkerCount() == 0 && !_bBusySaving;
  RunLoop& loop = RunLoop::main();
  if (idle || loop.now() >= deadline) {
    loop.stop(0);
    return;
  }
  loop.postAt(loop.now() + kQuitPoll, [deadline] { stopWhenSavesAreDone(deadline); });
}

}  // namespace

int servePhone(const ServeOptions& options, std::ostream& out, std::ostream& err) {
  Scenario scenario;
  try {
    // Without one: a phone with GPS recording on, walking, and no touches.
    scenario = readScenario(options.scenario.empty() ? defaultScenarioFile().parent_path() / "live.json"
                                                     : options.scenario);
  } catch (const ScenarioError& e) {
    err << "holdstill: " << e.what() << "\n";
    return 2;
  }
  const fs::path bundle = Device::locateAppBundle();
  if (bundle.empty() || !fs::is_regular_file(bundle / "web" / "index.html"))
    throw CommandError("no page to serve (web/index.html in the application bundle)");

  SignalWatch signals(options.handleSignals);
  fs::path root = options.device;
  bool madeRoot = false;
  if (root.empty()) {
    root = makeTemporaryDeviceFolder();
    madeRoot = true;
  }
  try {
    bootPhone(scenario, root);
  } catch (const ScenarioError& e) {
    err << "holdstill: " << e.what() << "\n";
    std::error_code ignored;
    if (madeRoot) fs::remove_all(root, ignored);
    return 2;
  }

  PhoneFeed feed;
  LineTap log(out, [&feed](const std::string& line) { feed.publishLog(line); });
  log << "holdstill serve " << scenario.file.string() << "\n"
      << "phone: " << scenario.device.model << " \"" << scenario.device.name << "\", " << scenario.device.language
      << ", " << scenario.device.start << " local; device folder " << root.string() << "\n";
  RunWatch watch(log, {});
  queueScenarioEvents(scenario, watch);
  PhoneControls controls(watch);
  const fs::path cameraRoll = Device::current()->hostPath(kCameraRollPath);
  ScreenMonitor monitor(feed, [&controls] { return controls.state(); }, cameraRoll);

  RunLoop& loop = RunLoop::main();
  auto quit = [&controls, &watch] {
    RunLoop::main().post([&controls, &watch] {
      if (controls.shuttingDown()) return;
      controls.shutDown();
      watch.note("quit asked for: the phone shuts down once no picture is being saved", false);
      RunLoop::main().setPace(10);  // a paused clock would hold the saves back
      stopWhenSavesAreDone(RunLoop::main().now() + kSaveGrace);
    });
  };
  ServerSetup setup{options.host, options.port, bundle / "web", cameraRoll,
                    defaultScenarioFile().parent_path() / "walk.gpx"};
  PhoneServer server(setup, feed, monitor, controls, quit);
  int port = 0;
  try {
    port = server.bind();
  } catch (const CommandError&) {
    Device::setCurrent(nullptr);
    std::error_code ignored;
    if (madeRoot) fs::remove_all(root, ignored);
    throw;
  }
  const bool v6 = options.host.find(':') != std::string::npos;
  log << "serving the phone at http://" << (v6 ? "[" + options.host + "]" : options.host) << ":" << port
      << "/ (Ctrl-C quits)\n";
  loop.setPace(1);
  loop.setObserver([&watch, &monitor] {
    watch.check();
    monitor.taskRan();
  });
  monitor.start();
  server.start();
  signals.start(quit);
  if (options.listening) options.listening(port);

  const ApplicationEnd end = runApplicationMain();
  loop.setObserver({});
  watch.check();

  const auto [ending, outcome] = describeEnd(end, controls.shuttingDown() ? "the phone was switched off" : "");
  watch.note(ending, false);
  feed.finish(json{{"status", outcome}, {"reason", ending}}.dump());
  monitor.stop();
  server.stop();

  const auto roll = readCameraRoll();
  out << "camera roll " << cameraRoll.string() << ": " << roll.size() << (roll.size() == 1 ? " picture\n" : " pictures\n");
  for (const auto& entry : roll)
    out << "  " << entry.name << "  " << (entry.position ? *entry.position : "no GPS position") << "\n";
  out << "exit status " << outcome << "\n";
  if (outcome != 0) err << "holdstill: " << ending << "\n";
  return outcome;
}

int serveCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const Arguments arguments = parseArguments(args, {"--device", "--port", "--host"});
  if (arguments.positional.size() > 1) throw UsageError("serve takes at most one scenario file");
  ServeOptions options;
  if (!arguments.positional.empty()) options.scenario = arguments.positional[0];
  if (auto given = arguments.options.find("--device"); given != arguments.options.end()) options.device = given->second;
  if (auto given = arguments.options.find("--host"); given != arguments.options.end()) options.host = given->second;
  if (auto given = arguments.options.find("--port"); given != arguments.options.end()) {
    const long long port = wholeNumberArgument("--port", given->second);
    if (port < 0 || port > 65535) throw CommandError("--port takes 0 to 65535, not " + given->second);
    options.port = static_cast<int>(port);
  }
  return servePhone(options, out, err);
}

}  // namespace holdstill::sim::serve
