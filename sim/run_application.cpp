// holdstill run [SCENARIO.json] [--device DIR] [--screenshots DIR]: the
// whole application on a simulated phone in virtual time, playing a
// scenario (see the usage text and README.md).
#include "platform/device/device.h"
#include "platform/foundation/string_format.h"
#include "platform/runloop/run_loop.h"
#include "platform/ui/application.h"
#include "sim/commands.h"
#include "sim/line_tap.h"
#include "sim/phone_session.h"
#include "sim/report/run_report.h"
#include "sim/run_watch.h"
#include "sim/scenario.h"

#include <optional>

namespace holdstill::sim {

using namespace platform;
namespace fs = std::filesystem;

int runApplication(const std::vector<std::string>& args, std::ostream& printed, std::ostream& err) {
  const Arguments arguments = parseArguments(args, {"--device", "--screenshots", "--report"});
  if (arguments.positional.size() > 1) throw UsageError("run takes at most one scenario file");
  Scenario scenario;
  try {
    scenario = readScenario(arguments.positional.empty() ? defaultScenarioFile() : fs::path(arguments.positional[0]));
  } catch (const ScenarioError& e) {
    err << "holdstill: " << e.what() << "\n";
    return 2;
  }

  fs::path root;
  bool madeRoot = false;
  if (auto given = arguments.options.find("--device"); given != arguments.options.end()) {
    root = given->second;
  } else {
    root = makeTemporaryDeviceFolder();
    madeRoot = true;
  }
  fs::path screenshots;
  if (auto given = arguments.options.find("--screenshots"); given != arguments.options.end()) {
    screenshots = given->second;
    std::error_code error;
    fs::create_directories(screenshots, error);
    if (!fs::is_directory(screenshots)) throw CommandError(screenshots.string() + ": cannot make the screenshot folder");
  }

  // With a report, every line printed also goes to it.
  std::optional<RunReport> report;
  std::optional<LineTap> tap;
  if (auto given = arguments.options.find("--report"); given != arguments.options.end()) {
    report.emplace(given->second);
    tap.emplace(printed, [&report](const std::string& line) { report->line(line); });
  }
  std::ostream& out = tap ? *tap : printed;

  try {
    bootPhone(scenario, root);
  } catch (const ScenarioError& e) {
    err << "holdstill: " << e.what() << "\n";
    std::error_code ignored;
    if (madeRoot) fs::remove_all(root, ignored);
    return 2;
  }
  out << "holdstill run " << scenario.file.string() << "\n"
      << "phone: " << scenario.device.model << " \"" << scenario.device.name << "\", " << scenario.device.language
      << ", " << scenario.device.start << " local; device folder " << root.string() << "\n";

  RunWatch watch(out, screenshots);
  RunLoop& loop = RunLoop::main();
  queueScenarioEvents(scenario, watch);
  bool timeUp = false;
  // The time limit keeps nothing going: an application that stops doing
  // anything before it is reached has stalled.
  loop.setWatchdog(scenario.until, [&timeUp, &loop, &watch] {
    timeUp = true;
    watch.screenshot("time ran out");  // while the application is still on the screen
    loop.stop(0);
  });
  loop.setObserver([&watch] { watch.check(); });

  const auto [status, failure] = runApplicationMain();
  loop.setObserver({});
  watch.check();

  int outcome = 0;
  std::string ending;
  if (!failure.empty()) {
    ending = "the application failed: " + failure;
    outcome = 1;
  } else if (status == RunLoop::kStalledStatus) {
    ending = "the run loop stalled: every thread waits and nothing is scheduled";
    outcome = 1;
  } else if (timeUp) {
    ending = stringWithFormat("time ran out at %g s", scenario.until);
  } else {
    ending = stringWithFormat("the application quit with status %d", status);
    outcome = status == 0 ? 0 : 1;
  }
  watch.note(ending, !timeUp);

  const auto roll = readCameraRoll();
  out << "camera roll " << Device::current()->hostPath(kCameraRollPath).string() << ": " << roll.size()
      << (roll.size() == 1 ? " picture\n" : " pictures\n");
  for (const auto& entry : roll)
    out << "  " << entry.name << "  " << (entry.position ? *entry.position : "no GPS position") << "\n";
  const auto opened = UIApplication::sharedApplication().openedURLs();
  out << "opened URLs: " << opened.size() << "\n";
  for (const auto& url : opened) out << "  " << url << "\n";
  if (!screenshots.empty()) out << "screenshots " << screenshots.string() << ": " << watch.screenshotCount() << "\n";
  out << "exit status " << outcome << "\n";
  if (report) {
    const fs::path page = report->write(scenario.file, Device::current()->hostPath(kCameraRollPath), outcome);
    printed << "report " << page.string() << "\n";
  }
  if (outcome != 0) err << "holdstill: " << ending << "\n";
  return outcome;
}

}  // namespace holdstill::sim
