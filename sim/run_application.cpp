// holdstill run [SCENARIO.json] [--device DIR | --keep-device] [--screenshots DIR]
// [--report DIR]: the whole application on a simulated phone in virtual
// time, playing a scenario (see the usage text and README.md).
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
#include "storage/save_record.h"

#include <algorithm>
#include <optional>

namespace holdstill::sim {

using namespace platform;
namespace fs = std::filesystem;

int runApplication(const std::vector<std::string>& args, std::ostream& printed, std::ostream& err) {
  std::vector<std::string> words;
  bool keepDevice = false;
  for (const std::string& word : args) {
    if (word != "--keep-device") {
      words.push_back(word);
    } else if (keepDevice) {
      throw UsageError("--keep-device is given twice");
    } else {
      keepDevice = true;
    }
  }
  const Arguments arguments = parseArguments(words, {"--device", "--screenshots", "--report"});
  if (arguments.positional.size() > 1) throw UsageError("run takes at most one scenario file");
  if (keepDevice && arguments.options.contains("--device"))
    throw UsageError("--keep-device keeps the temporary phone; a phone given with --device stays anyway");
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

  // Whatever way the run ends, a temporary phone goes unless asked to stay.
  struct TemporaryPhone {
    fs::path root;
    ~TemporaryPhone() {
      std::error_code ignored;
      if (!root.empty()) fs::remove_all(root, ignored);
    }
  } temporary{madeRoot && !keepDevice ? root : fs::path()};

  try {
    bootPhone(scenario, root);
  } catch (const ScenarioError& e) {
    err << "holdstill: " << e.what() << "\n";
    return 2;
  }
  out << "holdstill run " << scenario.file.string() << "\n"
      << "phone: " << scenario.device.model << " \"" << scenario.device.name << "\", " << scenario.device.language
      << ", " << scenario.device.start << " local; device folder " << root.string()
      << (temporary.root.empty() ? "" : " (removed at the end)") << "\n";

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

  const ApplicationEnd end = runApplicationMain();
  loop.setObserver({});
  watch.check();

  auto [ending, outcome] = describeEnd(end, timeUp ? stringWithFormat("time ran out at %g s", scenario.until) : "");
  watch.note(ending, !timeUp);

  // Every shutter press should have left a picture: one that did not is lost.
  const auto records = saveRecords();
  const auto count = [&](SaveRecord::Result result) {
    return static_cast<int>(std::count_if(records.begin(), records.end(),
                                          [result](const SaveRecord& r) { return r.result == result; }));
  };
  const int saved = count(SaveRecord::Result::Saved) + count(SaveRecord::Result::Rescued);
  const int unfinished = std::max(0, watch.shutterPresses() - static_cast<int>(records.size()));
  const int lost = count(SaveRecord::Result::Lost) + unfinished;
  if (lost > 0 && outcome == 0) {
    outcome = 1;
    ending = stringWithFormat(lost == 1 ? "%d picture lost" : "%d pictures lost", lost);
  }

  const auto roll = readCameraRoll();
  out << "camera roll " << Device::current()->hostPath(kPicturesPath).string() << ": " << roll.size()
      << (roll.size() == 1 ? " picture\n" : " pictures\n");
  for (const auto& entry : roll) {
    // Why a picture saved by this run has no position, as its save knew it.
    std::string why;
    for (const auto& r : records)
      if (!r.geotagged && !r.why.empty() && pictureName(r.path) == entry.name) why = ": " + r.why;
    out << "  " << entry.name << "  " << (entry.position ? *entry.position : "no GPS position" + why) << "\n";
  }
  out << stringWithFormat("shutter presses %d: pictures saved %d (rescued %d), lost %d", watch.shutterPresses(),
                          saved, count(SaveRecord::Result::Rescued), lost);
  if (unfinished > 0) out << stringWithFormat(" (%d not saved when the run ended)", unfinished);
  out << "\n";
  const auto opened = UIApplication::sharedApplication().openedURLs();
  out << "opened URLs: " << opened.size() << "\n";
  for (const auto& url : opened) out << "  " << url << "\n";
  if (!screenshots.empty()) out << "screenshots " << screenshots.string() << ": " << watch.screenshotCount() << "\n";
  if (!temporary.root.empty()) out << "device folder " << root.string() << " removed\n";
  out << "exit status " << outcome << "\n";
  if (report) {
    const fs::path page = report->write(scenario.file, Device::current()->hostPath(kCameraRollPath), outcome);
    printed << "report " << page.string() << "\n";
  }
  if (outcome != 0) err << "holdstill: " << ending << "\n";
  return outcome;
}

}  // namespace holdstill::sim
